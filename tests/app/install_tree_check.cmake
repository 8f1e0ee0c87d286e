# Installs the build into a scratch prefix and checks that a Linux desktop finds everything
# there: the programs, their data where the program looks (../share/wendral from bin), the icon
# in the hicolor theme, a desktop entry naming the program and the icon, and AppStream metadata.
# Run by ctest with -DBUILD_DIR=... -DPREFIX=... -DAPPSTREAM_ID=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(missing "")
foreach(f bin/wendral bin/wendral-batch share/wendral/wendral.bmy share/wendral/wendral.bmx
          share/applications/wendral.desktop share/metainfo/${APPSTREAM_ID}.metainfo.xml
          share/icons/hicolor/scalable/apps/wendral.svg)
  if(NOT EXISTS ${PREFIX}/${f})
    list(APPEND missing ${f})
  endif()
endforeach()
foreach(size 16 24 32 48 64 128 256)
  if(NOT EXISTS ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/wendral.png)
    list(APPEND missing share/icons/hicolor/${size}x${size}/apps/wendral.png)
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()
foreach(program wendral wendral-batch)
  if(IS_DIRECTORY ${PREFIX}/bin/${program} OR NOT EXISTS ${PREFIX}/bin/${program})
    message(FATAL_ERROR "bin/${program} is no program")
  endif()
  execute_process(COMMAND test -x ${PREFIX}/bin/${program} RESULT_VARIABLE executable)
  if(NOT executable EQUAL 0)
    message(FATAL_ERROR "bin/${program} is not executable")
  endif()
endforeach()
# The program's own rule for its data: ../share/wendral/ from the executable's folder.
get_filename_component(data ${PREFIX}/bin/../share/wendral/wendral.bmx ABSOLUTE)
if(NOT EXISTS ${data})
  message(FATAL_ERROR "the program would not find ${data}")
endif()

# The desktop entry starts the installed program and shows the installed icon.
file(STRINGS ${PREFIX}/share/applications/wendral.desktop entry)
set(exec "")
set(icon "")
foreach(line ${entry})
  if(line MATCHES "^Exec=([^ ]+)")
    set(exec ${CMAKE_MATCH_1})
  elseif(line MATCHES "^Icon=(.+)$")
    set(icon ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT exec STREQUAL "wendral" OR NOT EXISTS ${PREFIX}/bin/${exec})
  message(FATAL_ERROR "the desktop entry runs '${exec}', not the installed bin/wendral")
endif()
set(icons ${PREFIX}/share/icons/hicolor)
if(NOT icon STREQUAL "wendral" OR NOT EXISTS ${icons}/scalable/apps/${icon}.svg)
  message(FATAL_ERROR "the desktop entry shows icon '${icon}', which is not installed")
endif()

# The desktop's own checkers, which `make deps` installs.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
  message(FATAL_ERROR
          "desktop-file-validate (desktop-file-utils) and appstreamcli (appstream) are needed")
endif()
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/wendral.desktop
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
set(metainfo ${PREFIX}/share/metainfo/${APPSTREAM_ID}.metainfo.xml)
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${metainfo}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate: ${out}")
endif()
file(REMOVE_RECURSE ${PREFIX})
