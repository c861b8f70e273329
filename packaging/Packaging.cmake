# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package. Included from the top-level list.
# scripts/package.sh builds what the package holds and makes it.
include(GNUInstallDirs)

set(NETSONDE_APP_ID org.example.Netsonde)
set(NETSONDE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(NETSONDE_DATA_DIR ${CMAKE_BINARY_DIR}/packaging)
set(NETSONDE_ICON_SIZES 16 32 48 128 256)

# The hicolor renders of the scalable icon, made by rsvg-convert.
find_program(NETSONDE_RSVG_CONVERT rsvg-convert)
set(icon_renders)
if(NETSONDE_RSVG_CONVERT)
  foreach(size IN LISTS NETSONDE_ICON_SIZES)
    set(render ${NETSONDE_DATA_DIR}/icons/${size}x${size}/${NETSONDE_APP_ID}.png)
    add_custom_command(OUTPUT ${render}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${NETSONDE_DATA_DIR}/icons/${size}x${size}
      COMMAND ${NETSONDE_RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
              --output ${render} ${NETSONDE_PACKAGING_DIR}/${NETSONDE_APP_ID}.svg
      DEPENDS ${NETSONDE_PACKAGING_DIR}/${NETSONDE_APP_ID}.svg
      VERBATIM)
    list(APPEND icon_renders ${render})
    install(FILES ${render} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: the icon is installed as SVG only")
endif()

# netsonde_gzip(NAME): packaging/NAME compressed, reproducibly, into the build tree.
function(netsonde_gzip name)
  add_custom_command(OUTPUT ${NETSONDE_DATA_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${NETSONDE_PACKAGING_DIR}/${name} ${NETSONDE_DATA_DIR}/${name}
    COMMAND gzip -9nf ${NETSONDE_DATA_DIR}/${name}
    DEPENDS ${NETSONDE_PACKAGING_DIR}/${name}
    VERBATIM)
endfunction()
netsonde_gzip(netsonde.1)
netsonde_gzip(changelog)

add_custom_target(netsonde_data ALL
  DEPENDS ${icon_renders} ${NETSONDE_DATA_DIR}/netsonde.1.gz ${NETSONDE_DATA_DIR}/changelog.gz)

install(TARGETS netsonde RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The window and RDAP libraries, loaded by the executable from this private
# folder, found from the executable's own folder
# (NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR, see platform/CMakeLists.txt).
if(TARGET netsonde_window)
  install(TARGETS netsonde_window netsonde_rdap_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/netsonde)
endif()
install(FILES ${NETSONDE_PACKAGING_DIR}/${NETSONDE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${NETSONDE_PACKAGING_DIR}/${NETSONDE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${NETSONDE_PACKAGING_DIR}/${NETSONDE_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${NETSONDE_DATA_DIR}/netsonde.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${NETSONDE_PACKAGING_DIR}/copyright ${NETSONDE_DATA_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${NETSONDE_PACKAGING_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME netsonde)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME netsonde)
set(CPACK_PACKAGE_VERSION 2.1a)
set(CPACK_PACKAGE_CONTACT "Netsonde developers <packages@netsonde.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop network toolkit with six functions in one window")
set(CPACK_PACKAGE_DESCRIPTION [=[
Netsonde is a desktop network toolkit: one window with six functions on
tabs. Type a host, press Go and read the results below the tabs.
 * Ping sends ICMP echo requests and reports each reply's time;
 * TraceRoute lists the routers on the way to a host;
 * Finger asks a host about its users;
 * WhoIs asks a registry who holds a domain or an address;
 * NS LookUp builds DNS queries and reports every section of the answer;
 * Quote Of The Day fetches a host's quote.
Results can be saved, copied and printed. A report mode runs one function
without a window and prints its output.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://netsonde.example.org/)
# The Qt runtime of Debian 12, declared by hand so that the package also
# builds where dpkg-shlibdeps is missing; libcap2-bin brings setcap.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), libqt6printsupport6 (>= 6.4), libc6, libstdc++6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${NETSONDE_PACKAGING_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# The binaries are stripped; their debug symbols go to the package
# netsonde-dbgsym_<version>_<arch>.ddeb beside the .deb.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_OBJCOPY_EXECUTABLE ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${NETSONDE_PACKAGING_DIR}/StripComment.cmake)
include(CPack)
