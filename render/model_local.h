// Shared between render/model.cpp and render/model_draw.cpp only.
#pragma once

// Shows a model message (or hands it to the test sink).
void model_say(const char* format, ...) __attribute__((format(printf, 1, 2)));
