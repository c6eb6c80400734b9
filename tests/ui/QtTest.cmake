# SPDX-License-Identifier: MIT
# hokora_qt_test(NAME SOURCES...): a QtTest program over the program's code
# and the fake platform, run by CTest on the offscreen platform.
function(hokora_qt_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE hokora_test_support hokora_core hokora_resources
                                        Qt6::Test hokora_warnings)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${HOKORA_LSAN_OPTIONS}"
    TIMEOUT 120)
endfunction()
