// An archive file as a player might download it: the member list must stay
// inside the file and inside the archive's tree whatever the header says.
#include <string.h>

#include "base/saf_archive.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_home() + "/input.saf";
    if (!fuzz_write_file(path, data, size)) return 0;
    std::vector<SafMember> members;
    if (!saf_read_members(path.c_str(), &members)) {
        fuzz_check(members.empty(), "a refused archive kept members");
        return 0;
    }
    for (const SafMember& m : members) {
        fuzz_check(!m.name.empty(), "a member without a name");
        fuzz_check(m.name[0] != '/', "a member name leaves the tree");
        fuzz_check(m.name != ".." && m.name.find("../") != 0 && m.name.find("/../") == std::string::npos &&
                       (m.name.size() < 3 || m.name.compare(m.name.size() - 3, 3, "/..") != 0),
                   "a member name climbs out of the tree");
        fuzz_check(m.offset >= 0 && m.size >= 0 && (size_t)m.offset + (size_t)m.size <= size,
                   "a member runs past the end of the file");
    }
    return 0;
}
