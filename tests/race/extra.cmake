# The races on the generated tracks read the content the build made; the
# scripted riders follow the course the generator drew the tracks from.
if(TARGET race_tests AND TARGET content)
    add_dependencies(race_tests content)
endif()
if(TARGET race_tests AND TARGET rw_content_lib)
    target_link_libraries(race_tests PRIVATE rw_content_lib)
endif()
