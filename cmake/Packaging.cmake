# SPDX-License-Identifier: MIT
# Desktop integration. The programs themselves are installed by their own folders; this adds
# what a Linux desktop expects around them: the menu entry and the AppStream data under the
# application id, the icon in every size of the hicolor theme and the manual pages. These are
# the install rules of `cmake --install` and of the Debian packages, which debian/ builds from
# them and to which it adds the copyright, the changelog and the lintian overrides.

set(TABBIT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TABBIT_APP_ID org.tabbit.tabbit)

install(FILES ${TABBIT_PACKAGING_DIR}/${TABBIT_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TABBIT_PACKAGING_DIR}/${TABBIT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
    install(FILES ${TABBIT_PACKAGING_DIR}/icons/${size}/tabbit.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TABBIT_APP_ID}.png)
endforeach()
install(FILES ${TABBIT_PACKAGING_DIR}/icons/scalable/tabbit.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TABBIT_APP_ID}.svg)

# Manual pages are installed compressed, as man and Debian expect them;
# -n keeps the name and time out of the header so that the same text gives the same bytes.
set(TABBIT_GZIP_DIR ${PROJECT_BINARY_DIR}/packaging)
set(TABBIT_GZIPPED)
function(tabbit_gzip source)
    get_filename_component(name ${source} NAME)
    set(copy ${TABBIT_GZIP_DIR}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TABBIT_GZIP_DIR}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND gzip -9nf ${copy}
        DEPENDS ${source}
        VERBATIM)
    set(TABBIT_GZIPPED ${TABBIT_GZIPPED} ${copy}.gz PARENT_SCOPE)
endfunction()

# A page that turns up later is picked up by the next build, which configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TABBIT_PACKAGING_DIR})
foreach(page tabbit.1 tabbit-gen.1)
    if(EXISTS ${TABBIT_PACKAGING_DIR}/${page})
        tabbit_gzip(${TABBIT_PACKAGING_DIR}/${page})
        install(FILES ${TABBIT_GZIP_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        message(WARNING "packaging/${page} is missing: its manual page is not installed")
    endif()
endforeach()

add_custom_target(tabbit_packaging_docs ALL DEPENDS ${TABBIT_GZIPPED})

# A stripped install (`cmake --install --strip`) also drops the sections that only record the
# compiler's version, as dh_strip does for the Debian packages.
if(CMAKE_STRIP)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program tabbit tabbit-gen)
                execute_process(
                    COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endforeach()
        endif()")
endif()
