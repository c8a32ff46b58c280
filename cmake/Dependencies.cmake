# Finds every library the program builds against and checks the ones whose
# builds differ in ways that matter to us (ODE precision, Duktape series).
find_package(PkgConfig REQUIRED)
find_package(SDL2 REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Freetype REQUIRED)
find_package(OpenGL REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
pkg_check_modules(ODE REQUIRED IMPORTED_TARGET ode)
pkg_check_modules(DUKTAPE REQUIRED IMPORTED_TARGET duktape)
pkg_check_modules(NETTLE REQUIRED IMPORTED_TARGET nettle)

if(NOT TARGET SDL2::SDL2)
    add_library(SDL2::SDL2 INTERFACE IMPORTED)
    set_target_properties(SDL2::SDL2 PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${SDL2_INCLUDE_DIRS}"
        INTERFACE_LINK_LIBRARIES "${SDL2_LIBRARIES}")
endif()

# The bike model needs double-precision ODE: single precision drifts apart
# at 128 ticks per second with the stiff contact springs we use.
set(_rw_ode_check ${CMAKE_BINARY_DIR}/ode_precision_check.cpp)
file(WRITE ${_rw_ode_check} "
#include <ode/ode.h>
int main() {
    dInitODE();
    int ok = dCheckConfiguration(\"ODE_double_precision\") && sizeof(dReal) == 8;
    dCloseODE();
    return ok ? 0 : 1;
}
")
try_run(_rw_ode_run _rw_ode_compiled ${CMAKE_BINARY_DIR}/ode_check ${_rw_ode_check}
    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${ODE_INCLUDE_DIRS}"
    COMPILE_DEFINITIONS ${ODE_CFLAGS_OTHER}
    LINK_LIBRARIES ${ODE_LINK_LIBRARIES}
    COMPILE_OUTPUT_VARIABLE _rw_ode_out)
if(NOT _rw_ode_compiled)
    message(FATAL_ERROR "Could not build against ODE:\n${_rw_ode_out}")
endif()
if(NOT _rw_ode_run EQUAL 0)
    message(FATAL_ERROR "ODE is not the double-precision build (dReal must be double). "
        "Install Debian's libode-dev, which is built with double precision.")
endif()

# Duktape's pkg-config file reports a stale version; the header is the truth.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_INCLUDES ${DUKTAPE_INCLUDE_DIRS})
check_cxx_source_compiles("
#include <duktape.h>
#if DUK_VERSION < 20000 || DUK_VERSION >= 30000
#error wrong series
#endif
int main() { return 0; }
" RW_DUKTAPE_2X)
unset(CMAKE_REQUIRED_INCLUDES)
if(NOT RW_DUKTAPE_2X)
    message(FATAL_ERROR "Duktape 2.x is required (DUK_VERSION in duktape.h).")
endif()
