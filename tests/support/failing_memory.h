// Host memory functions that fail the calls a test chooses and account for
// every block: which are out, how large, and whether each came back exactly
// once. Used by the fuzz target and the allocation-failure campaign.
//
// The functions are plain function pointers, so the books they keep are one
// process-wide object.
#ifndef QUORVEL_TESTS_FAILING_MEMORY_H
#define QUORVEL_TESTS_FAILING_MEMORY_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>

#include "quorvel/host_records.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_TEST_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_TEST_ADDRESS_SANITIZER 1
#endif
#ifdef QUORVEL_TEST_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace quorvel_test {

// A read that runs far past a block jumps the allocator's red zone and lands
// in whichever block follows, which the address sanitizer does not report:
// whether such a read is found then depends on the heap's layout, not on the
// input. Under the sanitizer, blocks and images therefore end in a poisoned
// tail as long as the widest read past them a filler could make (a mapped
// shade-table index on a 64-entry table, 64 K 16-bit texels on an image of
// 64 K indices).
#ifdef QUORVEL_TEST_ADDRESS_SANITIZER
inline constexpr std::size_t guard_bytes = std::size_t{64} << 10;
inline void Poison(const void* at, std::size_t bytes) { ASAN_POISON_MEMORY_REGION(at, bytes); }
inline void Unpoison(const void* at, std::size_t bytes) { ASAN_UNPOISON_MEMORY_REGION(at, bytes); }
#else
inline constexpr std::size_t guard_bytes = 0;
inline void Poison(const void*, std::size_t) {}
inline void Unpoison(const void*, std::size_t) {}
#endif

struct Failing_Memory {
    std::uint64_t calls = 0;          // allocate + reallocate calls so far, the first is 1
    std::uint64_t failed_calls = 0;   // of which were refused
    std::uint64_t reallocations = 0;  // reallocate calls that gave a block
    std::uint64_t fail_mask = 0;      // bit n: call n + 1 fails (calls 1..64)
    std::uint64_t fail_first = 0;     // calls fail_first..fail_last fail too; 0 = none
    std::uint64_t fail_last = 0;
    struct Block {
        std::uint64_t size;  // bytes
        bool pooled;         // from reallocate: one of the frame-wide pools
    };
    std::map<void*, Block> live;          // blocks given out and not yet released
    std::uint64_t given_out = 0;          // blocks handed over in all
    std::uint64_t bad_releases = 0;       // releases of a block that was not out (twice, or never given)
    std::uint64_t bad_reallocations = 0;  // reallocations of a block that was not out

    bool Next_Fails() {
        ++calls;
        const bool fails = (calls <= 64 && (fail_mask >> (calls - 1) & 1) != 0) ||
                           (fail_first != 0 && calls >= fail_first && calls <= fail_last);
        failed_calls += fails;
        return fails;
    }
    // Size of a block that is out, 0 for any other pointer.
    std::uint64_t Size_Of(const void* block) const {
        const auto at = live.find(const_cast<void*>(block));
        return at == live.end() ? 0 : at->second.size;
    }
    std::size_t Pooled_Blocks() const {
        std::size_t count = 0;
        for (const auto& [block, facts] : live) count += facts.pooled;
        return count;
    }
    bool Clean() const { return live.empty() && bad_releases == 0 && bad_reallocations == 0; }

    // No block larger than this is handed out: nothing the library needs comes
    // near it, and a fuzzed input must not exhaust the machine.
    static constexpr std::uint64_t largest_block = std::uint64_t{64} << 20;

    static Failing_Memory& Books() {
        static Failing_Memory books;
        return books;
    }
    static void* QUORVEL_CDECL Allocate(std::uint32_t count, std::uint32_t size) {
        Failing_Memory& books = Books();
        const std::uint64_t bytes = std::uint64_t{count} * size;
        if (books.Next_Fails()) return nullptr;
        if (bytes > largest_block) return ++books.failed_calls, nullptr;
        void* block = Guarded_Block(bytes);
        if (block != nullptr) books.live[block] = {bytes, false}, ++books.given_out;
        return block;
    }
    static void* QUORVEL_CDECL Reallocate(void* block, std::uint32_t size) {
        Failing_Memory& books = Books();
        if (block != nullptr && books.live.count(block) == 0) ++books.bad_reallocations;
        if (books.Next_Fails()) return nullptr;
        if (size > largest_block) return ++books.failed_calls, nullptr;
        // Always a new block: a pointer the library kept into a pool across
        // its growth then reads freed memory at once, on every run.
        void* moved = Guarded_Block(size);
        if (moved == nullptr) return nullptr;
        const auto old = books.live.find(block);
        if (old != books.live.end()) {
            std::memcpy(moved, block, old->second.size < size ? old->second.size : size);
            Free_Guarded(block, old->second.size);
            books.live.erase(old);
        }
        books.live[moved] = {size, true}, ++books.given_out, ++books.reallocations;
        return moved;
    }
    static void QUORVEL_CDECL Release(void* block) {
        Failing_Memory& books = Books();
        if (block == nullptr) return;
        const auto at = books.live.find(block);
        if (at == books.live.end()) {
            ++books.bad_releases;  // never freed twice: that would hide the report behind a crash
            return;
        }
        Free_Guarded(block, at->second.size);
        books.live.erase(at);
    }
    // Zeroed like calloc's, followed by the poisoned tail.
    static void* Guarded_Block(std::uint64_t bytes) {
        const std::size_t size = bytes == 0 ? 1 : static_cast<std::size_t>(bytes);
        void* block = std::calloc(size + guard_bytes, 1);
        if (block != nullptr) Poison(static_cast<char*>(block) + size, guard_bytes);
        return block;
    }
    static void Free_Guarded(void* block, std::uint64_t bytes) {
        Unpoison(static_cast<char*>(block) + (bytes == 0 ? 1 : bytes), guard_bytes);
        std::free(block);
    }
    // Starts new books (blocks still out are forgotten, not freed) and points
    // the services record at these functions.
    static Failing_Memory& Install(Host_Services& services) {
        Books() = Failing_Memory{};
        services.allocate = Allocate;
        services.reallocate = Reallocate;
        services.release = Release;
        return Books();
    }
};

}  // namespace quorvel_test

#endif
