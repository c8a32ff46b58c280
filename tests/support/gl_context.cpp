#include "support/gl_context.h"

#include <SDL2/SDL.h>
#include <stdio.h>
#include <stdlib.h>

static SDL_Window* window;
static SDL_GLContext context;

bool test_gl_context() {
    if (context) return true;
    if (!getenv("DISPLAY") && !getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "SDL video: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window = SDL_CreateWindow("test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        return false;
    }
    context = SDL_GL_CreateContext(window);
    if (!context) {
        fprintf(stderr, "SDL GL context: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void* test_gl_proc_address(const char* name) { return SDL_GL_GetProcAddress(name); }
