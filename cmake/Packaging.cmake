# Installation layout and the Debian package `velqoris`.
include(GNUInstallDirs)

foreach(program velqoris velqoris-demo velqoris-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${pkg}/velqoris.desktop ${pkg}/velqoris-demo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/velqoris.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# udev reads rules from /usr/lib/udev/rules.d on a merged-/usr system.
install(FILES ${pkg}/60-velqoris-ftdi.rules DESTINATION lib/udev/rules.d)
install(FILES ${pkg}/60-velqoris-pgothic.conf DESTINATION /etc/fonts/conf.d)
install(FILES ${pkg}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian wants the changelog gzip-compressed, reproducibly.
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                   COMMAND gzip -n -9 -c ${pkg}/changelog > ${changelog_gz}
                   DEPENDS ${pkg}/changelog VERBATIM)
add_custom_target(velqoris_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.Debian.gz)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velqoris)
set(CPACK_PACKAGE_VERSION 2.10)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "VELQORIS developers <velqoris@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "measurement program for the VELQORIS USB ADC evaluation board")
set(CPACK_PACKAGE_DESCRIPTION
    "VELQORIS sets up the board's 24-bit sigma-delta converter (data rate, sample\n count, channels, gain, filter, buffer, chopping), collects a run over the\n board's USB FIFO link, plots one or both channels and shows maximum, minimum,\n peak-to-peak and standard deviation in codes or microvolts. Runs are saved\n and loaded as .DTA text files. velqoris-demo runs the same window on a\n virtual board; velqoris-cli measures, reports, plots and exports headless.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no binary reveals: the window's Japanese font and Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-vlgothic, fonts-ipafont-gothic, qt6-translations-l10n, libhdf5-103-1")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkg}/postinst ${pkg}/postrm ${pkg}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
