// A hidden window with a compatibility OpenGL context for tests that draw or
// upload textures. Uses the X display when there is one (xvfb-run), else
// SDL's offscreen driver. One context per test process, made current on the
// first call and kept until exit.
#pragma once

// True when a context is current; tests fail (never skip) when it is not.
bool test_gl_context();
// Entry points of the current context, for `detect_gl`.
void* test_gl_proc_address(const char* name);
