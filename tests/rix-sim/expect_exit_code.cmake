# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command and checks its exit code and that it printed exactly one line
# on stderr: cmake -DEXPECTED=2 -DCOMMAND="prog;arg;..." -P expect_exit_code.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT code STREQUAL EXPECTED)
  message(FATAL_ERROR "exit code ${code}, expected ${EXPECTED}; stderr: ${err}")
endif()
string(REGEX MATCHALL "\n" newlines "${err}")
list(LENGTH newlines lines)
if(NOT lines EQUAL 1)
  message(FATAL_ERROR "expected one line on stderr, got ${lines}: ${err}")
endif()
