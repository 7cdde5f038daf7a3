# What `cmake --install` puts in place: the programs, the menu entry with its
# icon, and the licence texts; CPack makes a Debian package of the same.
include(GNUInstallDirs)

install(TARGETS znscan znscan-cli znsim znterm-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ZN_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${ZN_DESKTOP_DIR}/znscan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZN_DESKTOP_DIR}/znscan.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/i16_zentra.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/16x16/apps RENAME znscan.png)
foreach(size 48 128)
    install(FILES ${ZN_DESKTOP_DIR}/znscan-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME znscan.png)
endforeach()
install(FILES ${ZN_DESKTOP_DIR}/copyright ${PROJECT_SOURCE_DIR}/resources/licenses/famfamfam-silk-copyright.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A menu entry that the desktop would refuse is caught at build time.
find_program(ZN_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(ZN_DESKTOP_FILE_VALIDATE AND ZN_BUILD_TESTS)
    add_test(NAME desktop_entry_valid COMMAND ${ZN_DESKTOP_FILE_VALIDATE} ${ZN_DESKTOP_DIR}/znscan.desktop)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME znscan)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finds and configures Zentra controllers on the local network")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Zentra Network Scan finds the Zentra controller boards on the local network"
    "segments by UDP broadcast, lists them with their network and hardware identity,"
    "makes them buzz, resets them, and transfers their configuration registry."
    "znscan is the desktop window, znscan-cli the same engine for scripts; znsim"
    "simulates controllers for tests and znterm-dump shows what the message window"
    "makes of a byte stream.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillon <support@quillon.example>")
# A Debian package documents its version in a changelog.
string(TIMESTAMP ZN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/changelog
     "znscan (${PROJECT_VERSION}) stable; urgency=medium\n\n  * Release ${PROJECT_VERSION}.\n\n"
     " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${ZN_CHANGELOG_DATE}\n")
file(ARCHIVE_CREATE OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz PATHS ${PROJECT_BINARY_DIR}/changelog
     FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zentra.example/controllers")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The libraries from what the programs link; Qt's platform plugins are loaded
# at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
