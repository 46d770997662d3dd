# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/demo builds rix-term and rix-sim and nothing else (the whole suite took a newcomer
# 41 minutes on a loaded machine), then starts both. It runs here in a copy of the scripts
# with stand-ins: `cmake` writes down how it was called, scripts/setup installs nothing, and
# the two programs are scripts that say what they were started with.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P demo_check.cmake
cmake_policy(VERSION 3.22)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/tree/scripts" "${WORK_DIR}/bin" "${WORK_DIR}/tree/build/tools/rix-sim"
     "${WORK_DIR}/tree/build/src/window")
file(COPY "${SOURCE_DIR}/scripts/demo" "${SOURCE_DIR}/scripts/build" DESTINATION "${WORK_DIR}/tree/scripts")
# Configured already: only the build step runs.
file(WRITE "${WORK_DIR}/tree/build/build.ninja" "")

function(stand_in path text)
  file(WRITE "${path}" "#!/bin/sh\n${text}\n")
  file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
stand_in("${WORK_DIR}/tree/scripts/setup" "exit 0")
stand_in("${WORK_DIR}/bin/cmake" "echo \"cmake $*\" >> '${WORK_DIR}/calls'")
stand_in("${WORK_DIR}/tree/build/tools/rix-sim/rix-sim"
         "echo \"rix-sim $*\" >> '${WORK_DIR}/calls'\necho /dev/pts/stand-in\nexec sleep 30")
stand_in("${WORK_DIR}/tree/build/src/window/rix-term" "echo \"rix-term $*\" >> '${WORK_DIR}/calls'")

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "PATH=${WORK_DIR}/bin:$ENV{PATH}" RIX_SIM_LINK=${WORK_DIR}/link
          bash "${WORK_DIR}/tree/scripts/demo"
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "scripts/demo failed (${result}):\n${out}\n${err}")
endif()
file(STRINGS "${WORK_DIR}/calls" calls)
set(expected
  "cmake --build build --target rix-term rix-sim"
  "rix-sim --link ${WORK_DIR}/link"
  "rix-term --port ${WORK_DIR}/link --baud 19200 --address S")
if(NOT calls STREQUAL expected)
  string(REPLACE ";" "\n  " calls "${calls}")
  string(REPLACE ";" "\n  " expected "${expected}")
  message(FATAL_ERROR "scripts/demo ran\n  ${calls}\ninstead of\n  ${expected}")
endif()
message(STATUS "scripts/demo builds rix-term and rix-sim only, then starts both")
