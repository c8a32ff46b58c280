# The ground scenes and the rides on the generated track read the tracks the
# content generator built into the build folder; the headless lap also
# follows the course the generator draws the compact track from.
if(TARGET sim_tests AND TARGET content)
    add_dependencies(sim_tests content)
endif()
if(TARGET sim_tests AND TARGET rw_content_lib)
    target_link_libraries(sim_tests PRIVATE rw_content_lib)
endif()
