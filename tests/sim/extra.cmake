# The ground scenes and the rides on the generated track read the tracks the
# content generator built into the build folder.
if(TARGET sim_tests AND TARGET content)
    add_dependencies(sim_tests content)
endif()
