# SPDX-License-Identifier: MIT
# tabbit_add_test(<name> LABEL <subsystem> [QT] SOURCES <files...> LIBS <targets...>)
#
# One test executable per unit. Without QT it is a GoogleTest program whose cases are
# registered one by one; with QT it is a Qt Test program run on the offscreen platform.
# The label lets `ctest -L <subsystem>` run one subsystem's tests.
include(GoogleTest)

set(TABBIT_LSAN_SUPPRESSIONS ${CMAKE_CURRENT_LIST_DIR}/lsan.supp)

function(tabbit_add_test name)
    cmake_parse_arguments(T "QT" "LABEL" "SOURCES;LIBS" ${ARGN})
    if(NOT T_LABEL)
        message(FATAL_ERROR "tabbit_add_test(${name}): LABEL is required")
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    target_compile_definitions(${name} PRIVATE TABBIT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
    set(env "LSAN_OPTIONS=suppressions=${TABBIT_LSAN_SUPPRESSIONS}:print_suppressions=0"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    if(T_QT)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            LABELS ${T_LABEL}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${env}"
            TIMEOUT 300)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
        gtest_discover_tests(${name}
            DISCOVERY_MODE PRE_TEST
            PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "${env}" TIMEOUT 300)
    endif()
endfunction()
