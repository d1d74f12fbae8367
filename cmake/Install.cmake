# What `cmake --install` puts where, and the Debian packages CPack makes of
# it (`cpack -G DEB` in the build folder):
#   launcher-tools  launcher-cli and launcher-publish, the default skin and
#                   configuration, the documentation and the man pages
#   launcher        the windowed launcher (where Qt was found)
# Each package depends on the Debian packages of the libraries its programs
# link, as dpkg-shlibdeps finds them.
include(GNUInstallDirs)

install(TARGETS launcher-cli launcher-publish RUNTIME COMPONENT tools)
if(TARGET launcher AND NOT WIN32)
  install(TARGETS launcher RUNTIME COMPONENT gui)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/skin
        DESTINATION ${CMAKE_INSTALL_DATADIR}/launcher COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/assets/config.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/launcher COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/configuration.md
              ${PROJECT_SOURCE_DIR}/docs/json-events.md
              ${PROJECT_SOURCE_DIR}/docs/skin-source-format.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT tools)

# Man pages from the programs' own --help and --version and their
# subcommands' --help (help2man, scripts/man_page.sh), so they never
# disagree with the programs; without help2man there are none. The
# windowed launcher takes no options but -debug: its page is written.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
  set(man_folder ${CMAKE_BINARY_DIR}/man)
  set(man_pages)
  set(summary_launcher-cli "update, check and start a game without a window")
  set(summary_launcher-publish "the publisher's toolkit of the game launcher")
  foreach(program launcher-cli launcher-publish)
    set(page ${man_folder}/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_folder}
      COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/man_page.sh ${HELP2MAN} $<TARGET_FILE:${program}>
              ${summary_${program}} ${page}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/scripts/man_page.sh
      COMMENT "Writing the man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endif()
if(TARGET launcher AND NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/launcher.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT gui)
endif()

set(CPACK_PACKAGE_NAME launcher)
set(CPACK_PACKAGE_VENDOR "The launcher's developers")
set(CPACK_PACKAGE_CONTACT "Launcher developers <launcher@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Self-updating, skinned game launcher")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY launcher)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME launcher-tools)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
    "Game launcher without a window, and the publisher's toolkit\n launcher-cli updates, verifies and starts a game from its update server;\n launcher-publish packs skins and configurations into launchers and\n publishes game folders as update-server trees.")
set(CPACK_DEBIAN_GUI_PACKAGE_NAME launcher)
set(CPACK_DEBIAN_GUI_DESCRIPTION
    "Self-updating, skinned game launcher (windowed)\n The launcher with its skinned main and settings windows, news page and\n tray icon.")
set(CPACK_COMPONENTS_ALL tools)
if(TARGET launcher AND NOT WIN32)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
include(CPack)
