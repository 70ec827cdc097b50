# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules and the Debian package: the program, its desktop entry, icon, metainfo, man page
# and the udev rule that lets the logged-in user open the meter.
include(GNUInstallDirs)

# One identifier for the desktop entry, the icon and the metainfo (the files in data/ carry it).
set(KRX_APP_ID "org.krx738.KRX738")
# Date of the release in the metainfo and on the man page; set with each new VERSION.
set(KRX_RELEASE_DATE "2026-12-07")
# Relative to the prefix, and not LIBDIR: udev reads <prefix>/lib/udev/rules.d, never a multiarch folder.
set(KRX_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule goes, relative to the prefix")

set(krx_data "${PROJECT_SOURCE_DIR}/data")
set(krx_gen "${PROJECT_BINARY_DIR}/data")
configure_file(${krx_data}/${KRX_APP_ID}.metainfo.xml.in ${krx_gen}/${KRX_APP_ID}.metainfo.xml @ONLY)
configure_file(${krx_data}/krx738.1.in ${krx_gen}/krx738.1 @ONLY)
configure_file(${krx_data}/man/krx738-cli.1.in ${krx_gen}/krx738-cli.1 @ONLY)
# Man pages are installed compressed, as Debian's man reads them; -n keeps the package reproducible.
foreach(page krx738 krx738-cli)
  add_custom_command(OUTPUT ${krx_gen}/${page}.1.gz
    COMMAND gzip -9nkf ${page}.1
    DEPENDS ${krx_gen}/${page}.1
    WORKING_DIRECTORY ${krx_gen}
    VERBATIM)
endforeach()
add_custom_target(krx738_manpage ALL DEPENDS ${krx_gen}/krx738.1.gz ${krx_gen}/krx738-cli.1.gz)

install(TARGETS krx738 krx738-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${krx_data}/${KRX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${krx_data}/icons/${KRX_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${krx_gen}/${KRX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${krx_gen}/krx738.1.gz ${krx_gen}/krx738-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${krx_data}/limits/s20.20-2021.json ${krx_data}/limits/iec-61340-5-1-2016.json
  ${krx_data}/limits/packaging-classes.json DESTINATION ${CMAKE_INSTALL_DATADIR}/krx738/limits)
install(FILES ${krx_qm_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/krx738/translations)
install(FILES ${krx_data}/bash-completion/krx738-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${krx_data}/udev/60-krx738.rules DESTINATION ${KRX_UDEV_RULES_DIR})
# The group rule is an example for headless use, not active as installed.
install(FILES ${krx_data}/udev/60-krx738-plugdev.rules README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Licence and changelog where Debian looks for them. The copyright file points to the system's copy
# of the licence text, so COPYING itself is not installed.
install(FILES ${krx_data}/debian/copyright ${krx_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME "krx738")
set(CPACK_PACKAGE_VENDOR "${KRX_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "${KRX_COMPANY_NAME} <maintainers@krx738.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read-out program for the KRX 738 insulation-resistance meter")
set(CPACK_PACKAGE_DESCRIPTION [[A desktop program for the KRX 738, a portable insulation-resistance
meter attached over USB: live measurements, read-out and erasing of the
meter's memories, break-down and break-off tests, and semicolon-separated
export files. A udev rule lets the user logged in at the computer open the
meter without root rights; krx738 --simulate runs against a simulated meter.
krx738-cli does the same from the shell, for scripts and test stands.]])
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/COPYING")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library packages from the linked libraries; the platform plugins are loaded at run time, so
# dpkg-shlibdeps cannot see them, and libqt6gui6 only recommends them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQL drivers are plugins as well: the test history needs the SQLite one, a lab's shared
# history the PostgreSQL one.
# Qt's own buttons and dialogs in the user's language come from qt6-translations-l10n.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${krx_data}/debian/postinst;${krx_data}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The changelog in Debian's format from CHANGELOG.md. Built with the program, so that a version
# without its section in CHANGELOG.md stops the build, not the release. The package's version has
# no Debian revision, which makes it a native package: its changelog is changelog.gz, not
# changelog.Debian.gz.
add_custom_command(OUTPUT ${krx_gen}/changelog.gz
  COMMAND awk -v package=${CPACK_PACKAGE_NAME} -v version=${PROJECT_VERSION} -v date=${KRX_RELEASE_DATE}
          -v maintainer=${CPACK_PACKAGE_CONTACT} -v out=changelog
          -f ${PROJECT_SOURCE_DIR}/cmake/debian_changelog.awk ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  COMMAND gzip -9nf changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/debian_changelog.awk
  WORKING_DIRECTORY ${krx_gen}
  VERBATIM)
add_custom_target(krx738_changelog ALL DEPENDS ${krx_gen}/changelog.gz)
