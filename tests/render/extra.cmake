# The bike content tests read the content the build generated.
if(TARGET render_tests)
    add_dependencies(render_tests content)
endif()
