// The command line, as a desktop link or a launcher from a web page may build
// it: the input's NUL bytes separate the arguments.
#include <string.h>

#include "app/command_line.h"
#include "base/render_options.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args = fuzz_split(data, size, std::string(1, '\0'));
    std::vector<const char*> argv = {"rutwise"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    CommandLine line = command_line_defaults();
    std::string diagnostics;
    int status = parse_command_line((int)argv.size(), argv.data(), &line, &diagnostics);
    fuzz_check(status == 0 || status == 1, "an exit status other than 0 or 1");
    if (status == 0) {
        RenderOptions options = render_options();
        apply_command_line_render_options(line, &options);
    }
    return 0;
}
