# The real program on the title screen: settings read at start, a screenshot
# through a real key press, clean shutdown with the settings written.
add_test(NAME frame_loop_title_screen_e2e
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/frame_loop_e2e.sh
                 $<TARGET_FILE:rutwise> $<TARGET_FILE:rw_saf>)
set_tests_properties(frame_loop_title_screen_e2e PROPERTIES LABELS "app;e2e" TIMEOUT 60)
