# Installs the build into a scratch prefix and checks that every file a
# listener's desktop and package need is there, and that the metainfo
# announces this version.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(expected
    bin/talvir-cli bin/talvir-dde bin/talvir-signalgen
    share/applications/${APP_ID}.desktop
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/metainfo/${APP_ID}.metainfo.xml
    share/doc/talvir/images/talvir-main-window.png)
if(GUI)
  list(APPEND expected bin/talvir)
endif()
if(MAN_PAGES)
  list(APPEND expected share/man/man1/talvir-cli.1.gz share/man/man1/talvir-dde.1.gz
       share/man/man1/talvir-signalgen.1.gz)
  if(GUI)
    list(APPEND expected share/man/man1/talvir.1.gz)
  endif()
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

file(READ ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]+)\"" newest "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "metainfo's newest release is '${CMAKE_MATCH_1}', the project is ${VERSION}")
endif()
file(REMOVE_RECURSE ${PREFIX})
