// An in-memory input desk for the bindings and frame-loop tests: named keys,
// axes with settable readings, and a count of open axis handles.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "app/bindings.h"

struct FakeInput {
    std::map<std::string, int> keys;      // name -> code
    std::vector<std::string> axis_names;  // the platform's list
    std::vector<int> readings;            // per axis, -32767..32767
    std::vector<bool> openable;           // per axis
    int open_handles = 0;
    InputOps ops;
    FakeInput();
    int add_axis(const std::string& name, int reading, bool can_open = true);
};
