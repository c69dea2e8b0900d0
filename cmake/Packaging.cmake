# SPDX-License-Identifier: MIT
# Desktop integration and the Debian package. The programs themselves are installed by their
# own folders; this adds what a Linux desktop expects around them: the menu entry and the
# AppStream data under the application id, the icon in every size of the hicolor theme and the
# manual pages. The Debian package adds its copyright, changelog and lintian overrides.

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

# Manual pages and the changelog are installed compressed, as man and Debian expect them;
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

# What only the Debian package carries; `cmake --install` leaves it out unless asked for with
# --component debian.
tabbit_gzip(${TABBIT_PACKAGING_DIR}/changelog)
set(TABBIT_DEB_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tabbit)
install(FILES ${TABBIT_PACKAGING_DIR}/copyright ${TABBIT_GZIP_DIR}/changelog.gz
        DESTINATION ${TABBIT_DEB_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${TABBIT_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tabbit
        COMPONENT debian EXCLUDE_FROM_ALL)

add_custom_target(tabbit_packaging_docs ALL DEPENDS ${TABBIT_GZIPPED})

# A stripped install (`cmake --install --strip`, and every package) also drops the sections
# that only record the compiler's version, as Debian's own packages do.
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabbit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The tabbit developers")
set(CPACK_PACKAGE_CONTACT "The tabbit developers <tabbit@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.example.org/tabbit")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "generator of random test records")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "tabbit writes files of test data: a chosen number of records whose fields are\n"
    "filled at random. One record is described as a table of fields (digits, hex,\n"
    "letters, tab stops, blanks, fixed strings, characters from a pool, control\n"
    "bytes, any byte, random dates), and the definitions can be saved under a name.\n"
    "\n"
    "The package holds the window program tabbit with its help pages and the\n"
    "command-line generator tabbit-gen, which runs the same record engine in\n"
    "scripts and continuous integration.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Everything installed by default, and the package's own files besides.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries only recommend their platform plugins, but the window cannot open without them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
