# Installing the Windows program: Vantrel.exe with grab.ico beside it (the drag reads the icon from
# the program's own folder), a short text and the licence, all in one folder. CPack makes from
# that install an installer (NSIS, into Program Files with a Start-menu shortcut and an uninstall
# entry) and a portable zip. Included from packaging/CMakeLists.txt.
install(TARGETS Vantrel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/grab.ico DESTINATION .)
# The texts get Windows line ends, for Notepad.
configure_file(windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY
               NEWLINE_STYLE WIN32)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt @ONLY
               NEWLINE_STYLE WIN32)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
        DESTINATION .)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME Vantrel)
set(CPACK_PACKAGE_FILE_NAME "Vantrel-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vantrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Vantrel)
# The installer's own script (packaging/windows/NSIS.template.in) replaces CPack's default one:
# a 64-bit installer, per machine, a shortcut straight in the Start menu, a complete uninstall
# entry, and an uninstaller that removes exactly what was installed.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/windows)
set(CPACK_NSIS_DISPLAY_NAME Vantrel)
set(CPACK_NSIS_PACKAGE_NAME Vantrel)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_VANTREL_ICON ${PROJECT_SOURCE_DIR}/resources/vantrel.ico)
# The four-part version Windows shows in a file's properties, as the program's own record has.
set(CPACK_VANTREL_FILE_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
# The zip unpacks into one folder named like the zip (CPack's default for archives).
