# The headless lap rides the compact generated track: it reads the track
# folder the content target writes and the course the generator draws it from.
if(TARGET sim_tests AND TARGET rw_content_lib)
    target_link_libraries(sim_tests PRIVATE rw_content_lib)
    add_dependencies(sim_tests content)
endif()
