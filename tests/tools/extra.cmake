# The archive command end to end: pack a small folder, list it, and refuse
# bad arguments.
add_test(NAME rw_saf_pack_and_list
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tools/rw_saf_test.sh $<TARGET_FILE:rw_saf>)
set_tests_properties(rw_saf_pack_and_list PROPERTIES LABELS "tools")

# The content generator's tests link its library and read what the build generated.
if(TARGET tools_tests)
    target_link_libraries(tools_tests PRIVATE rw_content_lib)
    add_dependencies(tools_tests content)
endif()
# A full second run of the generator gives the same bytes as the build's run.
add_test(NAME content_full_run_matches_build
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tools/content_rerun_test.sh $<TARGET_FILE:rw_content> ${CMAKE_BINARY_DIR})
set_tests_properties(content_full_run_matches_build PROPERTIES LABELS "tools")
# The floors of the source tree: no folder includes one above it.
add_test(NAME check_layers
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tools/check_layers_test.sh
                 ${CMAKE_SOURCE_DIR}/scripts/check-layers ${CMAKE_SOURCE_DIR})
set_tests_properties(check_layers PROPERTIES LABELS "tools")
