// Collecting what modules tell the player: pass `collect_message` with a
// std::vector<std::string>* to `set_message_sink`, and null to restore.
#pragma once
#include <string>
#include <vector>

inline void collect_message(const char* text, void* self) {
    ((std::vector<std::string>*)self)->push_back(text);
}
