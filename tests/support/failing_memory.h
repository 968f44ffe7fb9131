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
#include <map>

#include "quorvel/host_records.h"

namespace quorvel_test {

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
        void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (block != nullptr) books.live[block] = {bytes, false}, ++books.given_out;
        return block;
    }
    static void* QUORVEL_CDECL Reallocate(void* block, std::uint32_t size) {
        Failing_Memory& books = Books();
        if (block != nullptr && books.live.count(block) == 0) ++books.bad_reallocations;
        if (books.Next_Fails()) return nullptr;
        if (size > largest_block) return ++books.failed_calls, nullptr;
        void* moved = std::realloc(block, size == 0 ? 1 : size);
        if (moved == nullptr) return nullptr;
        if (block != nullptr) books.live.erase(block);
        books.live[moved] = {size, true}, ++books.given_out, ++books.reallocations;
        return moved;
    }
    static void QUORVEL_CDECL Release(void* block) {
        Failing_Memory& books = Books();
        if (block == nullptr) return;
        if (books.live.erase(block) == 0) {
            ++books.bad_releases;  // never freed twice: that would hide the report behind a crash
            return;
        }
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
