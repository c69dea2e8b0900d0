# SPDX-License-Identifier: MIT
# The project's version for the programs' sources: project() holds it, a header generated from
# it carries it, and the INTERFACE target tabbit_version lets a target include it as "Version.h".
# Nothing else spells the version; the package's changelog and the AppStream data are checked
# against it by tests/package/test_packaging_data.sh.
set(TABBIT_VERSION_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${TABBIT_VERSION_DIR}/Version.h @ONLY)
add_library(tabbit_version INTERFACE)
target_include_directories(tabbit_version INTERFACE ${TABBIT_VERSION_DIR})
