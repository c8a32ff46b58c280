// Checked allocation: every plain-record allocation of the program goes
// through these four functions. With RW_CHECK_ALLOC set to a positive
// integer (read at the first allocation) each live block is recorded, frees
// of unknown addresses are refused and reported, freed blocks are zeroed,
// and `mem_report` lists what was never freed. Sizes are bytes.
#pragma once
#include <stddef.h>

[[nodiscard]] void* mem_alloc(size_t size);
[[nodiscard]] void* mem_alloc_zeroed(size_t count, size_t size);
[[nodiscard]] void* mem_resize(void* block, size_t size);
void mem_free(void* block);

// Prints "%p:%d\n" (address, serial number) for every live recorded block to
// standard error; the very last step of shutdown.
void mem_report();
// Number of blocks currently recorded (0 when checking is off).
int mem_live_count();
// Forgets every record and decides again from RW_CHECK_ALLOC at the next
// allocation. Only for tests that run in a process of their own.
void mem_check_reset();
