# What `cmake --install` puts beside the programs (desktop entry, icon,
# metainfo, manual, man pages) and the Debian package CPack makes of it.
include(GNUInstallDirs)

set(TALVIR_APP_ID org.talvir.Talvir)
install(FILES packaging/${TALVIR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/talvir.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TALVIR_APP_ID}.svg)
install(FILES packaging/${TALVIR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Man pages from each program's --help, so that they never disagree with it.
find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM)
  set(man_pages "")
  set(man_names
      "talvir-cli=HFDL and ACARS receiver-decoder for the command line"
      "talvir-dde=print the live feed of a running TALVIR"
      "talvir-signalgen=make HFDL and VHF ACARS test recordings")
  if(TALVIR_BUILD_GUI)
    list(APPEND man_names "talvir=HFDL and ACARS receiver-decoder with a window")
  endif()
  foreach(entry IN LISTS man_names)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 program)
    list(GET parts 1 name)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${HELP2MAN_PROGRAM} --no-info --no-discard-stderr --section=1
              --name=${name} --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Man page for ${program}"
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(talvir_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no man pages (scripts/install-deps installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvir)
set(CPACK_PACKAGE_VENDOR "TALVIR developers")
set(CPACK_PACKAGE_CONTACT "TALVIR developers <talvir@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "TALVIR decodes HF Data Link and VHF ACARS from the audio of an HF single-sideband receiver and a VHF airband receiver: decoded text, the aircraft heard with their positions, daily logs, KML, a map window, a live feed for other programs, a spectrum waterfall and a constellation. It only listens.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
