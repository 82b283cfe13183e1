// Transport and clock fields of the application state that the song store
// reads and the engine owns.
#pragma once

#include <atomic>
#include <cstdint>

namespace qz {

struct EngineState {
    // Song position in ticks: the next tick to play. Written by the engine
    // thread while running and by the window thread under the engine lock
    // when locating; read by the window thread for display.
    std::atomic<int32_t> position{0};
    // Edit and locate point (window thread).
    int32_t cursor = 0;
    int32_t bar = 0, beat = 0, tickInBeat = 0;
    // Free-running tick count (engine thread; read by the store to close held
    // notes).
    std::atomic<uint32_t> tickCounter{0x80000000u};
    // Transport runs (written by the window thread's transport verbs and by
    // the engine at the sequence end; read everywhere).
    std::atomic<bool> playing{false};
    // 0 off, 1 REC, 2 OVER DUB, 3 STEP (window thread and engine at a wrap).
    std::atomic<int32_t> recordMode{0};
    // Bar loop (window thread).
    bool loopOn = false;
    int32_t loopStartBar = 0;
    int32_t loopBars = 1;
    // Next event to play and first event of the loop start bar, as indices
    // into the current sequence's events (changed only under the engine lock).
    int32_t playIndex = 0;
    int32_t loopIndex = 0;
    // Set when an erase during playback flagged events for the merge.
    bool erasePending = false;
};

}  // namespace qz
