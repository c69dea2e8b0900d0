# SPDX-License-Identifier: MIT
# tabbit_forbid_qt(<target> <glob>...)
#
# The record engine and the settings-file engine must stay free of Qt: this stops the
# configuration when one of the files matched by the globs includes a Qt header.
function(tabbit_forbid_qt target)
    file(GLOB sources ${ARGN})
    foreach(f ${sources})
        file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
        if(hits)
            message(FATAL_ERROR "${f} includes Qt, but ${target} must not depend on Qt: ${hits}")
        endif()
    endforeach()
endfunction()
