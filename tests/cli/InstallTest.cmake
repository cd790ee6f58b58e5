# Installs the build into a fresh prefix and runs the installed command-line tool from
# there, with no settings but the user's configuration folder.
#   cmake -DBUILD_DIR=<build> -DWORK=<scratch folder> -P InstallTest.cmake
file(REMOVE_RECURSE "${WORK}")
set(PREFIX "${WORK}/prefix")
set(HOME "${WORK}/home")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}): ${out}${err}")
endif()
foreach(f bin/ordalis bin/ordalis-cli share/applications/ordalis.desktop
          share/icons/hicolor/scalable/apps/ordalis.svg)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/ordalis.desktop" RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop entry: ${out}${err}")
  endif()
endif()

set(RUN "${CMAKE_COMMAND}" -E env --unset=ORDALIS_CFG --unset=XDG_CONFIG_HOME "HOME=${HOME}")
execute_process(COMMAND ${RUN} "${PREFIX}/bin/ordalis-cli" --help RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Usage: ordalis-cli COMMAND")
  message(FATAL_ERROR "installed ordalis-cli --help (${rc}): ${out}")
endif()
# The user's configuration folder is where the installed tools find their settings.
file(WRITE "${HOME}/.config/Ordalis/cfg.ini" "[ports]\r\nCOM1=/dev/ordalis-install-test\r\n")
execute_process(COMMAND ${RUN} "${PREFIX}/bin/ordalis-cli" ports RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "COM1 +/dev/ordalis-install-test +missing" OR NOT out MATCHES "COM2 +/dev/ttyUSB1")
  message(FATAL_ERROR "installed ordalis-cli ports (${rc}): ${out}${err}")
endif()
message(STATUS "installed and ran from ${PREFIX}:\n${out}")
file(REMOVE_RECURSE "${WORK}")
