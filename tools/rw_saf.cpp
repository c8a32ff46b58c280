// rw_saf: packs a folder into a ".saf" archive or lists an archive's members.
//   rw_saf pack <folder> <out.saf>
//   rw_saf list <archive>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "base/saf_archive.h"

static int usage() {
    fputs("usage: rw_saf pack <folder> <out.saf>\n       rw_saf list <archive>\n", stderr);
    return 2;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "pack") == 0) {
        if (saf_pack(argv[2], argv[3])) return 0;
        fprintf(stderr, "rw_saf: can't pack '%s' into '%s'\n", argv[2], argv[3]);
        return 1;
    }
    if (argc == 3 && strcmp(argv[1], "list") == 0) {
        std::vector<SafMember> members;
        if (!saf_read_members(argv[2], &members)) {
            fprintf(stderr, "rw_saf: '%s' is not a readable archive\n", argv[2]);
            return 1;
        }
        for (const SafMember& m : members) printf("%d %s\n", m.size, m.name.c_str());
        return 0;
    }
    return usage();
}
