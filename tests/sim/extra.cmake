# The ride on the generated track reads what the content generator built.
if(TARGET sim_tests AND TARGET content)
    add_dependencies(sim_tests content)
endif()
