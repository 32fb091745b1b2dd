# Installing the Linux program like any desktop program, and the .deb made from that install.
# Included from packaging/CMakeLists.txt, so paths are relative to packaging/.
include(GNUInstallDirs)

set(VANTREL_APP_ID org.vantrel.Vantrel)
# The program and its drag icon share a private folder, since the drag reads "grab.ico" from the
# program's own folder; bin/vantrel is a link to it.
set(VANTREL_PRIVATE_DIR lib/vantrel)

install(TARGETS vantrel RUNTIME DESTINATION ${VANTREL_PRIVATE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/grab.ico DESTINATION ${VANTREL_PRIVATE_DIR})
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  file(CREATE_LINK ../${VANTREL_PRIVATE_DIR}/vantrel \"\${bin}/vantrel\" SYMBOLIC)
  message(STATUS \"Installing: \${bin}/vantrel -> ../${VANTREL_PRIVATE_DIR}/vantrel\")
")

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrel
        RENAME copyright)
# The README holds the safety promises the manual page points at.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrel)

# The changelog and the manual page carry the project's version and the date it was released
# (bump both together). They are compressed as Debian wants: at the highest level, with no name
# or time stamp in the gzip header, so that the package is the same at every build.
set(VANTREL_RELEASE_DATE 2026-12-07)
set(VANTREL_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/linux)
configure_file(linux/changelog.in ${packaging_out}/changelog @ONLY)
configure_file(linux/vantrel.1.in ${packaging_out}/vantrel.1 @ONLY)
foreach(file changelog vantrel.1)
  add_custom_command(OUTPUT ${packaging_out}/${file}.gz
                     COMMAND gzip -9 -n -f -k ${packaging_out}/${file}
                     DEPENDS ${packaging_out}/${file}
                     COMMENT "Compressing ${file}")
endforeach()
add_custom_target(vantrel_docs ALL DEPENDS ${packaging_out}/changelog.gz ${packaging_out}/vantrel.1.gz)
install(FILES ${packaging_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
install(FILES ${packaging_out}/vantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES linux/${VANTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES linux/${VANTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/vantrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VANTREL_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vantrel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VANTREL_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The long description in lines of at most 80 characters, as Debian wants; CPack puts the
# summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Copy, move and delete files between a source and a destination pane, make
folders, and run programs. Each pane has a drive list, a folder list and a file
list; a run pane lists the programs of the source folder and starts them.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland backend, so that on a Wayland session the windows are the compositor's own
# clients rather than going through Xwayland. Recommended only: X11 alone runs it too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
