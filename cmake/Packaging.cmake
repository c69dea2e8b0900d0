# SPDX-License-Identifier: MIT
# Desktop integration and the Debian package. The programs themselves are installed by their
# own folders; this adds what a Linux desktop expects around them: the menu entry, the icon in
# the hicolor theme and the manual page of tabbit-gen.

set(TABBIT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(FILES ${TABBIT_PACKAGING_DIR}/tabbit.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 256)
    install(FILES ${TABBIT_PACKAGING_DIR}/icons/${size}/tabbit.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TABBIT_PACKAGING_DIR}/tabbit-gen.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
