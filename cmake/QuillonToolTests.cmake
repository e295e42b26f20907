# quillon_tool_tests(<tool>): runs the real console tool as a user would, against the output
# written out by hand in tools/tests/<tool>.expected.
function(quillon_tool_tests tool)
    set(check ${PROJECT_SOURCE_DIR}/tools/tests/check-tool.sh)
    set(expected ${PROJECT_SOURCE_DIR}/tools/tests/${tool}.expected)
    add_test(NAME ${tool}.output COMMAND bash ${check} output $<TARGET_FILE:${tool}> ${expected})
    add_test(NAME ${tool}.stdin COMMAND bash ${check} stdin $<TARGET_FILE:${tool}> ${expected})
    add_test(NAME ${tool}.write_error COMMAND bash ${check} write-error $<TARGET_FILE:${tool}>)
    set_tests_properties(${tool}.output ${tool}.stdin ${tool}.write_error
        PROPERTIES TIMEOUT 60 LABELS tools)
endfunction()
