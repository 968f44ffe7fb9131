// Host memory functions that write down every call the library makes and fail
// where a test tells them to: the n-th allocate/reallocate call, or a seeded
// random fraction of them. Tests use the log to see which blocks the library
// asks for and gives back, and the failures to walk its out-of-memory paths.
//
// One log per process: the memory functions are plain C function pointers, so
// the log they write to is module-wide.
#ifndef QUORVEL_TESTS_RECORDING_MEMORY_H
#define QUORVEL_TESTS_RECORDING_MEMORY_H

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/services.h"
#include "quorvel/host_records.h"

namespace quorvel_test {

enum class Memory_Call_Kind { Allocate, Reallocate, Release };

struct Memory_Call {
    Memory_Call_Kind kind;
    void* block;          // reallocate / release: the block passed in
    std::uint32_t count;  // allocate only
    std::uint32_t size;   // allocate: element size; reallocate: new byte size
    void* result;         // allocate / reallocate: what was returned
};

struct Memory_Log {
    std::vector<Memory_Call> calls;
    std::uint64_t fail_call = 0;         // 1-based number of the allocate/reallocate call to fail; 0 = none
    std::uint32_t fail_per_million = 0;  // random failures, per million allocate/reallocate calls
    std::uint64_t random_state = 0x9E3779B97F4A7C15ull;
    std::uint64_t allocation_calls = 0;  // allocate + reallocate calls so far
    std::int64_t live_blocks = 0;        // blocks handed out and not yet released

    void Reset() { *this = Memory_Log{}; }
    std::size_t Count(Memory_Call_Kind kind) const {
        std::size_t n = 0;
        for (const Memory_Call& call : calls) n += call.kind == kind;
        return n;
    }
};

inline Memory_Log& Memory() {
    static Memory_Log log;
    return log;
}

namespace recording {

// Decides whether this allocate/reallocate call is one that must fail.
inline bool Next_Call_Fails() {
    Memory_Log& log = Memory();
    ++log.allocation_calls;
    if (log.fail_call != 0 && log.allocation_calls == log.fail_call) return true;
    if (log.fail_per_million != 0) {
        // xorshift64*: reproducible from the seed the test sets.
        std::uint64_t x = log.random_state;
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        log.random_state = x;
        return (x * 0x2545F4914F6CDD1Dull >> 32) % 1000000u < log.fail_per_million;
    }
    return false;
}

inline void* QUORVEL_CDECL Allocate(std::uint32_t count, std::uint32_t size) {
    void* result = Next_Call_Fails() ? nullptr : std::calloc(count, size);
    if (result != nullptr) ++Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Allocate, nullptr, count, size, result});
    return result;
}

inline void* QUORVEL_CDECL Reallocate(void* block, std::uint32_t size) {
    void* result = Next_Call_Fails() ? nullptr : std::realloc(block, size);
    if (result != nullptr && block == nullptr) ++Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Reallocate, block, 0, size, result});
    return result;
}

inline void QUORVEL_CDECL Release(void* block) {
    if (block != nullptr) --Memory().live_blocks;
    Memory().calls.push_back({Memory_Call_Kind::Release, block, 0, 0, nullptr});
    std::free(block);
}

}  // namespace recording

// For a Scene (Scene_Options::memory) or a Services record.
inline quorvel_host::Memory_Functions Recording_Memory() {
    return {recording::Allocate, recording::Reallocate, recording::Release};
}

inline void Use_Recording_Memory(Host_Services& services) {
    services.allocate = recording::Allocate;
    services.reallocate = recording::Reallocate;
    services.release = recording::Release;
}

}  // namespace quorvel_test

#endif
