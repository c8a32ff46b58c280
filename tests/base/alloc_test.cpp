// The allocation checker, run in child processes: it decides once per run
// from RW_CHECK_ALLOC and reports to standard error.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"

// Runs `body` with checking switched on in a fresh checker state.
template <class F>
static void checked_run(F body) {
    setenv("RW_CHECK_ALLOC", "1", 1);
    mem_check_reset();
    body();
    fflush(stderr);
    _exit(0);
}

TEST(AllocChecker, ReportsBlocksNeverFreed) {
    EXPECT_EXIT(checked_run([] {
                    void* a = mem_alloc(10);      // serial 0
                    void* b = mem_alloc_zeroed(4, 8);  // serial 1
                    void* c = mem_alloc(3);       // serial 2
                    mem_free(a);
                    c = mem_resize(c, 300);       // serial 3
                    fprintf(stderr, "live %d\n", mem_live_count());
                    mem_report();
                    (void)b;
                    (void)c;
                }),
                ::testing::ExitedWithCode(0), "live 2\n0x[0-9a-f]+:1\n0x[0-9a-f]+:3\n");
}

TEST(AllocChecker, RefusesToFreeUnknownBlocks) {
    EXPECT_EXIT(checked_run([] {
                    void* foreign = malloc(16);
                    mem_free(foreign);
                    void* a = mem_alloc(8);
                    mem_free(a);
                    mem_free(a);  // second free: no longer recorded
                    mem_free(nullptr);
                    fprintf(stderr, "live %d\n", mem_live_count());
                }),
                ::testing::ExitedWithCode(0),
                "Allocation not found for 0x[0-9a-f]+!\nAllocation not found for 0x[0-9a-f]+!\nlive 0\n");
}

TEST(AllocChecker, FreedBlocksAreClearedAndResizeKeepsContent) {
    EXPECT_EXIT(checked_run([] {
                    auto* p = (char*)mem_alloc(6);
                    memcpy(p, "hello", 6);
                    p = (char*)mem_resize(p, 100000);
                    bool kept = p && strcmp(p, "hello") == 0;
                    auto* z = (unsigned char*)mem_alloc_zeroed(100, 1);
                    bool zeroed = true;
                    for (int i = 0; i < 100; i++) zeroed = zeroed && z[i] == 0;
                    mem_free(p);
                    mem_free(z);
                    fprintf(stderr, "kept %d zeroed %d live %d\n", kept, zeroed, mem_live_count());
                }),
                ::testing::ExitedWithCode(0), "kept 1 zeroed 1 live 0\n");
}

TEST(AllocChecker, OffUnlessPositive) {
    const char* values[] = {"0", "-3", "abc", ""};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        setenv("RW_CHECK_ALLOC", value, 1);
        mem_check_reset();
        void* a = mem_alloc(4);
        EXPECT_EQ(mem_live_count(), 0);
        mem_free(a);
    }
    unsetenv("RW_CHECK_ALLOC");
    mem_check_reset();
}
