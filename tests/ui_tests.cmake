# Run by CTest when it starts: one test "ui.<function>" per Qt Test function of test_ui, each
# running `test_ui <function>` on the offscreen platform. Expects ui_test_binary and ui_cmake.
if(NOT EXISTS "${ui_test_binary}")
  add_test(ui_NOT_BUILT ui_NOT_BUILT)
  return()
endif()
execute_process(
  COMMAND "${ui_cmake}" -E env QT_QPA_PLATFORM=offscreen "${ui_test_binary}" -functions
  OUTPUT_VARIABLE _out
  ERROR_VARIABLE _err
  RESULT_VARIABLE _result
  TIMEOUT 60)
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" _functions "${_out}")
if(NOT _result EQUAL 0 OR NOT _functions)
  message(FATAL_ERROR "${ui_test_binary} -functions listed nothing (${_result}):\n${_out}${_err}")
endif()
foreach(_function ${_functions})
  string(REPLACE "()" "" _function "${_function}")
  add_test("ui.${_function}" "${ui_test_binary}" "${_function}")
  set_tests_properties("ui.${_function}" PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()
