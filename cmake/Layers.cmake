# SPDX-License-Identifier: MIT
# hokora_forbid_includes(TARGET FOLDER HEADER...): building TARGET fails when a
# source or header in FOLDER includes one of the system headers named, so a
# layer's limits (no files, no threads) hold as a build error.
function(hokora_forbid_includes target folder)
  file(GLOB watched ${folder}/*.h ${folder}/*.cpp)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
  string(REPLACE ";" "," forbidden "${ARGN}")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DFORBIDDEN=${forbidden} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    DEPENDS ${watched} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking what ${target} includes"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
