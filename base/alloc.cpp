// Checked allocation. With checking on, every live block is kept in a table
// of (address, serial, size) records in allocation order; frees search it
// from the newest end, since most blocks die young.
#include "base/alloc.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct alloc_record {
    void* address;
    int serial;    // counts allocations from 0
    size_t size;   // bytes
};

static const int MAX_RECORDS = 1048576;

static bool decided;
static bool checking;
static int next_serial;
static alloc_record* records;  // owned, malloc'd directly (not through itself)
static int record_count;
static int record_capacity;

static void decide() {
    if (decided) return;
    decided = true;
    const char* value = getenv("RW_CHECK_ALLOC");
    checking = value && atoi(value) > 0;
}

// Off for the rest of the run; the table goes too, so that the report at
// shutdown lists no blocks that were merely forgotten.
static void stop_checking() {
    fputs("Too many allocations to check!\n", stderr);
    checking = false;
    free(records);
    records = nullptr;
    record_count = record_capacity = 0;
}

static void record(void* address, size_t size) {
    if (!checking || !address) return;
    if (record_count == MAX_RECORDS) {
        stop_checking();
        return;
    }
    if (record_count == record_capacity) {
        int capacity = record_capacity ? record_capacity * 2 : 1024;
        auto* grown = (alloc_record*)realloc(records, capacity * sizeof(alloc_record));
        if (!grown) {
            stop_checking();
            return;
        }
        records = grown;
        record_capacity = capacity;
    }
    records[record_count++] = alloc_record{address, next_serial++, size};
}

static int find_record(void* address) {
    for (int i = record_count - 1; i >= 0; i--)
        if (records[i].address == address) return i;
    return -1;
}

static void remove_record(int index) {
    memmove(records + index, records + index + 1, (record_count - index - 1) * sizeof(alloc_record));
    record_count--;
}

void* mem_alloc(size_t size) {
    decide();
    void* block = malloc(size ? size : 1);
    record(block, size);
    return block;
}

void* mem_alloc_zeroed(size_t count, size_t size) {
    decide();
    void* block = calloc(count ? count : 1, size ? size : 1);
    record(block, count * size);
    return block;
}

void* mem_resize(void* block, size_t size) {
    decide();
    if (!block) return mem_alloc(size);
    int index = checking ? find_record(block) : -1;
    if (checking && index < 0) {
        fprintf(stderr, "Allocation not found for %p!\n", block);
        return nullptr;
    }
    void* grown = realloc(block, size ? size : 1);
    // A failed resize leaves the old block (and its record) as it was.
    if (!grown) return nullptr;
    if (index >= 0) remove_record(index);
    record(grown, size);
    return grown;
}

void mem_free(void* block) {
    if (!block) return;
    decide();
    if (checking) {
        int index = find_record(block);
        if (index < 0) {
            fprintf(stderr, "Allocation not found for %p!\n", block);
            return;
        }
        memset(block, 0, records[index].size);
        remove_record(index);
    }
    free(block);
}

void mem_report() {
    for (int i = 0; i < record_count; i++)
        fprintf(stderr, "%p:%d\n", records[i].address, records[i].serial);
}

int mem_live_count() {
    return checking ? record_count : 0;
}

void mem_check_reset() {
    free(records);
    records = nullptr;
    record_count = record_capacity = 0;
    next_serial = 0;
    decided = checking = false;
}
