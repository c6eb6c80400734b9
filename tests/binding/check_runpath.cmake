# SPDX-License-Identifier: MIT
# Fails unless PROGRAM's RUNPATH is $ORIGIN/../lib/hokora.
execute_process(COMMAND readelf -d ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${PROGRAM}")
endif()
if(NOT dynamic MATCHES "\\(RUNPATH\\)[^\n]*\\[\\$ORIGIN/\\.\\./lib/hokora[]:]")
  message(FATAL_ERROR "RUNPATH is not $ORIGIN/../lib/hokora:\n${dynamic}")
endif()
