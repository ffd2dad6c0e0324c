# The installed layout (GNUInstallDirs): programs in bin/, template programs in
# libexec/varnoki/, data in share/varnoki/, and the desktop's files where freedesktop
# and Debian look for them. Also the Debian package (cpack -G DEB, scripts/package.sh).

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(VARNOKI_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/varnoki)

# Data: the template programs are installed with their targets (templates/).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/blog/ DESTINATION ${VARNOKI_INSTALL_DATADIR}/blog)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/template/ DESTINATION ${VARNOKI_INSTALL_DATADIR}/template)
install(FILES ${VARNOKI_DATA_OUTPUTS_DB} DESTINATION ${VARNOKI_INSTALL_DATADIR}/db)

# Icons, rendered from the program's own SVG icon.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VARNOKI_ICON_SVG ${CMAKE_SOURCE_DIR}/src/app/icons/varnoki.svg)
set(VARNOKI_ICON_PNGS)
foreach(size 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${VARNOKI_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${VARNOKI_ICON_SVG}
    DEPENDS ${VARNOKI_ICON_SVG})
  list(APPEND VARNOKI_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${VARNOKI_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${VARNOKI_APP_ID}.svg)

# Desktop entry, AppStream file and the Debian documents, with the version and date above.
configure_file(${CMAKE_SOURCE_DIR}/data/desktop/varnoki.desktop.in
  ${CMAKE_BINARY_DIR}/desktop/${VARNOKI_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/desktop/varnoki.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/desktop/${VARNOKI_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${VARNOKI_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${VARNOKI_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The project file type; the package's trigger of shared-mime-info updates the database.
configure_file(${CMAKE_SOURCE_DIR}/data/desktop/varnoki-mime.xml
  ${CMAKE_BINARY_DIR}/desktop/mime/${VARNOKI_APP_ID}.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/mime/${VARNOKI_APP_ID}.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

execute_process(COMMAND date -u -R -d "${VARNOKI_RELEASE_DATE} 00:00:00"
  OUTPUT_VARIABLE VARNOKI_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
# Debian wants it compressed without a name or a time stamp, so builds are reproducible.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND ${GZIP} -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog)
set(VARNOKI_MAN_PAGES)
foreach(page varnoki.1 varnoki-cli.1)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${GZIP} -9n < ${CMAKE_SOURCE_DIR}/data/man/${page} > ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/man/${page})
  list(APPEND VARNOKI_MAN_PAGES ${gz})
endforeach()
install(FILES ${VARNOKI_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
add_custom_target(varnoki_desktop_files ALL
  DEPENDS ${VARNOKI_ICON_PNGS} ${CMAKE_BINARY_DIR}/debian/changelog.gz ${VARNOKI_MAN_PAGES})
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnoki)
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
  ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${VARNOKI_DOCDIR})

# The Debian package. Libraries come from dpkg-shlibdeps; the rest are what Qt and
# the database engine load at run time without linking them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnoki)
set(CPACK_PACKAGE_VENDOR Quillfen)
set(CPACK_PACKAGE_CONTACT "Quillfen <varnoki@quillfen.example.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "table of contents maker for weblogs")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VARNOKI_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libqt6svg6 too: the linker drops it as unused, but its plugins draw the SVG icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "firebird3.0-server-core, libib-util, libqt6sql6-ibase, libqt6sql6-sqlite, libqt6svg6, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils, shared-mime-info")
# CPack puts the summary first and indents every line itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnoki (ブログ目次作成ソフト) walks a weblog from its newest entry back
to the oldest, records every entry's address, title and date, collects which
entries belong to which category and lets you comment on each entry. From that
it makes one HTML page: a filterable list of entries, or a table of contents by
category or by month.
.
It knows WordPress, Blogger, Hatena Blog, livedoor Blog, FC2, Ameba and Seesaa
blogs, and comes with varnoki-cli for scripted and scheduled use.")
include(CPack)
