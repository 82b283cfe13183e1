// Single-producer single-consumer rings of fixed size, made once with the
// application state (so before any thread starts) and never reallocated.
//
// One slot is always kept empty, so "full" and "empty" are told apart by the
// two indices alone. Each index has exactly one writer: the producer stores
// the entry and then publishes `writeIndex` (release); the consumer reads the
// index (acquire), reads the entry, and then frees the slot by publishing
// `readIndex` (release). A full ring refuses the entry and counts the drop;
// it never overwrites an entry that was not read.
//
// The producer's fields and the consumer's index sit on cache lines of their
// own, so the two threads do not invalidate each other's line on every entry.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qz {

constexpr std::size_t CACHE_LINE = 64;

// N slots hold N - 1 entries.
template <typename T, uint32_t N>
struct SpscRing {
    static_assert(N >= 2, "a ring keeps one slot empty");
    T slots[N] = {};
    // Written by the producer only.
    alignas(CACHE_LINE) std::atomic<uint32_t> writeIndex{0};
    // Entries refused because the ring was full (producer; others read it).
    std::atomic<uint32_t> dropped{0};
    // Most entries ever waiting at once (producer; for display and tests).
    std::atomic<uint32_t> highWater{0};
    // Written by the consumer only.
    alignas(CACHE_LINE) std::atomic<uint32_t> readIndex{0};
};

// Producer: append one entry. Returns false when full, counting nothing: for
// a producer that waits for room and counts only what it gives up.
template <typename T, uint32_t N>
bool ringTryPush(SpscRing<T, N>& r, const T& v) {
    uint32_t w = r.writeIndex.load(std::memory_order_relaxed);
    uint32_t next = w + 1 == N ? 0 : w + 1;
    // acquire: the consumer has finished reading the slot it freed.
    uint32_t rd = r.readIndex.load(std::memory_order_acquire);
    if (next == rd) return false;
    r.slots[w] = v;
    // release: the entry is complete before the consumer can see it.
    r.writeIndex.store(next, std::memory_order_release);
    uint32_t waiting = next >= rd ? next - rd : next + N - rd;
    if (waiting > r.highWater.load(std::memory_order_relaxed)) r.highWater.store(waiting, std::memory_order_relaxed);
    return true;
}

// Producer: append one entry. Returns false (and counts a drop) when full.
template <typename T, uint32_t N>
bool ringPush(SpscRing<T, N>& r, const T& v) {
    if (ringTryPush(r, v)) return true;
    r.dropped.fetch_add(1, std::memory_order_relaxed);
    return false;
}

// Consumer: take the oldest entry. Returns false when empty.
template <typename T, uint32_t N>
bool ringPop(SpscRing<T, N>& r, T& out) {
    uint32_t rd = r.readIndex.load(std::memory_order_relaxed);
    // acquire: the producer's entry is visible once its index is.
    if (rd == r.writeIndex.load(std::memory_order_acquire)) return false;
    out = r.slots[rd];
    // release: the slot is read before the producer may reuse it.
    r.readIndex.store(rd + 1 == N ? 0 : rd + 1, std::memory_order_release);
    return true;
}

// Consumer: drop every waiting entry. Returns how many were dropped.
template <typename T, uint32_t N>
uint32_t ringDiscard(SpscRing<T, N>& r) {
    uint32_t rd = r.readIndex.load(std::memory_order_relaxed);
    uint32_t w = r.writeIndex.load(std::memory_order_acquire);
    r.readIndex.store(w, std::memory_order_release);
    return w >= rd ? w - rd : w + N - rd;
}

// Either side: true when nothing waits (a snapshot).
template <typename T, uint32_t N>
bool ringEmpty(const SpscRing<T, N>& r) {
    return r.readIndex.load(std::memory_order_acquire) == r.writeIndex.load(std::memory_order_acquire);
}

// Reset a ring while no other thread uses it (set-up and tests only).
template <typename T, uint32_t N>
void ringReset(SpscRing<T, N>& r) {
    r.writeIndex.store(0, std::memory_order_relaxed);
    r.readIndex.store(0, std::memory_order_relaxed);
    r.dropped.store(0, std::memory_order_relaxed);
    r.highWater.store(0, std::memory_order_relaxed);
}

}  // namespace qz
