# RW_SANITIZE=ON builds everything (libraries, tests, tools, the program) with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any finding stops the
# process with a non-zero exit, so a test that trips one fails. Use a build
# folder of its own (scripts/test uses build-sanitize/).
option(RW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(RW_SANITIZE)
    set(_rw_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${_rw_san})
    add_link_options(-fsanitize=address,undefined)
    # Casts of out-of-range floats to integers are undefined behaviour that
    # gcc leaves out of -fsanitize=undefined; hostile files reach them first.
    add_compile_options(-fsanitize=float-cast-overflow)
endif()
