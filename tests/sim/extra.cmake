# The ground scenes read the generated tracks from the build folder.
if(TARGET sim_tests AND TARGET content)
    add_dependencies(sim_tests content)
endif()
