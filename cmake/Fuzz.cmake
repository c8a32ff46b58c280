# RW_FUZZ=ON (clang only) instruments every library for libFuzzer's coverage
# and builds the fuzz targets in fuzz/ (one executable per fuzz/*_fuzz.cpp,
# named after the file). Combine with RW_SANITIZE=ON: the targets then run
# under AddressSanitizer and UndefinedBehaviorSanitizer as well.
option(RW_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(RW_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "RW_FUZZ needs clang: configure with CC=clang CXX=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
