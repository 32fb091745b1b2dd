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
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland backend, so that on a Wayland session the windows are the compositor's own
# clients rather than going through Xwayland. Recommended only: X11 alone runs it too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
