# End-to-end runs of the real program: start-up, close and shutdown; the
# missing-data message; command-line errors; no window; no tracks; --open-home.
foreach(mode run no-data bad-option no-window no-tracks open-home)
    add_test(NAME app.e2e.startup.${mode}
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/app/startup_e2e.sh ${mode}
                $<TARGET_FILE:rutwise> $<TARGET_FILE:rw_saf>)
    set_tests_properties(app.e2e.startup.${mode} PROPERTIES
        LABELS "app;e2e" ENVIRONMENT "${RW_TEST_ENV}" TIMEOUT 60)
endforeach()

# The real program on the title screen: settings read at start, a screenshot
# through a real key press, clean shutdown with the settings written.
add_test(NAME app.e2e.frame_loop.title_screen
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/frame_loop_e2e.sh
                 $<TARGET_FILE:rutwise> $<TARGET_FILE:rw_saf>)
# Runs that type keys into their window take turns: two windows on the one
# X server would take each other's focus and keys.
set_tests_properties(app.e2e.frame_loop.title_screen PROPERTIES
    LABELS "app;e2e" ENVIRONMENT "${RW_TEST_ENV}" TIMEOUT 60 RESOURCE_LOCK key_presses)

# The race by keys runs on the generated compact track.
if(TARGET app_tests AND TARGET content)
    add_dependencies(app_tests content)
endif()

# The real program on the generated content: the start-up race reset with
# its loading steps in the log, riding keys, clean shutdown.
add_test(NAME app.e2e.race_start
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/race_start_e2e.sh $<TARGET_FILE:rutwise> ${CMAKE_BINARY_DIR})
set_tests_properties(app.e2e.race_start PROPERTIES
    LABELS "app;e2e" ENVIRONMENT "${RW_TEST_ENV}" TIMEOUT 90 RESOURCE_LOCK key_presses)
