# Installation and the Debian package. Included from the top-level list.
include(GNUInstallDirs)

install(TARGETS netsonde RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The window library, loaded by the executable from this private folder by
# its absolute path (NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR, see app/CMakeLists.txt).
if(TARGET netsonde_window)
  install(TARGETS netsonde_window LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/netsonde)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/netsonde.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/netsonde.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/netsonde.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME netsonde)
set(CPACK_PACKAGE_VERSION 2.1a)
set(CPACK_PACKAGE_CONTACT "Netsonde developers <netsonde@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop network toolkit: Ping, TraceRoute, Finger, WhoIs, DNS lookups")
set(CPACK_PACKAGE_DESCRIPTION "One window with six functions on tabs: Ping, TraceRoute, Finger,\nWhoIs, Name Server LookUp and Quote Of The Day. A report mode runs one\nfunction without a window and prints its output.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt runtime of Debian 12, declared by hand so that the package also
# builds where dpkg-shlibdeps is missing; libcap2-bin brings setcap.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), libqt6printsupport6 (>= 6.4), libc6, libstdc++6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
