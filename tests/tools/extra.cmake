# The archive command end to end: pack a small folder, list it, and refuse
# bad arguments.
add_test(NAME rw_saf_pack_and_list
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tools/rw_saf_test.sh $<TARGET_FILE:rw_saf>)
set_tests_properties(rw_saf_pack_and_list PROPERTIES LABELS "tools")
