// The song store's record: the settings block (with the default sequence),
// the slot table, the current sequence and track, the one-level undo, the
// work buffer with the edit clipboard, the event selection, the repaint word
// and the queued errors.
//
// The store is the bottom layer: it knows nothing of the engine or the
// screen. Where an edit must tell them something (an event moved under the
// play pointer, the song position must move, a sequence became current), it
// calls one of its `StoreHooks`, which the layers above install. A store on
// its own (tools, the store's tests) leaves them empty and nothing follows.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "song/engine_lock.h"
#include "song/persistent_settings.h"
#include "song/records.h"

namespace qz {

// Repaint bits, ORed into `dirty` by any thread; the screen takes them.
constexpr uint32_t DIRTY_SEQ_ROW = 0x2;
constexpr uint32_t DIRTY_TRACK_ROW = 0x4;
constexpr uint32_t DIRTY_TRANSPORT = 0x10;
constexpr uint32_t DIRTY_PADS = 0x20;
constexpr uint32_t DIRTY_TRACK_MESSAGES = 0x40;
constexpr uint32_t DIRTY_REC_PARAMS = 0x200;
constexpr uint32_t DIRTY_IN_MONITOR = 0x400;
constexpr uint32_t DIRTY_MIDI_IN = 0x800;
constexpr uint32_t DIRTY_OVERLAY = 0x2000;
constexpr uint32_t DIRTY_GRID = 0x4000;
constexpr uint32_t DIRTY_GRID_STEP = 0x8000;
constexpr uint32_t DIRTY_TRACK_COLUMN = 0x10000;
constexpr uint32_t DIRTY_METRONOME = 0x20000;
constexpr uint32_t DIRTY_COUNTER = 0x40000;
constexpr uint32_t DIRTY_MIXER = 0x80000;
constexpr uint32_t DIRTY_INDICATORS = 0x100000;
constexpr uint32_t DIRTY_TEMPO = 0x400000;
constexpr uint32_t DIRTY_OUT_MONITOR_LIST = 0x800000;
constexpr uint32_t DIRTY_OUT_MONITOR = 0x1000000;
constexpr uint32_t DIRTY_ALL = 0xFFFFFFFFu;

// Error numbers of the store (the file layer adds its own, 4 to 15). Every
// layer returns them; the screen shows their texts (`errorText`), the
// command-line tool prints them.
constexpr int ERR_NONE = 0;
constexpr int ERR_PROGRAM = 1;
constexpr int ERR_NO_MEMORY = 3;
constexpr int ERR_SEQ_ROOM_FULL = 9;
constexpr int ERR_CANNOT_INPUT = 12;  // "Sorry It cannot input any more !!"
constexpr int ERR_CREATE_SEQUENCE = 16;

// The 1 MB scratch block: two halves of 32768 records. The first half is the
// recording note buffer and the scratch area of delete-bars and timing
// correct; the second half is the recording event buffer and the clipboard.
constexpr int32_t WORK_HALF_EVENTS = 32768;
struct WorkBuffer {
    SeqEvent records[2 * WORK_HALF_EVENTS];
    SeqEvent* firstHalf() { return records; }
    SeqEvent* secondHalf() { return records + WORK_HALF_EVENTS; }
};
static_assert(sizeof(WorkBuffer) == 1024 * 1024);

constexpr uint32_t CLIP_NONE = 0;
constexpr uint32_t CLIP_TRACK = 1;
constexpr uint32_t CLIP_PAD = 2;
constexpr uint32_t CLIP_NOTES = 3;
constexpr uint32_t CLIP_BARS = 4;

// The edit clipboard. Its events stand at the start of the work buffer's
// second half.
struct EditClipboard {
    uint32_t mode = CLIP_NONE;
    uint32_t length = 0;
    uint32_t span = 0;
    int32_t count = 0;  // events held
    TrackRecord trackSettings{};
};

// The rectangle selected in the event grid, and a paste's target.
struct EventSelection {
    int32_t fromTick = 0;
    int32_t toTick = 0;
    int32_t lowNote = 0;
    int32_t highNote = 127;
    int32_t targetTick = 0;
    int32_t targetNote = 0;
};

// How the velocity and duration edits apply their value.
constexpr uint32_t EDIT_ADD = 313;
constexpr uint32_t EDIT_SUB = 314;
constexpr uint32_t EDIT_SET = 315;
constexpr uint32_t EDIT_PERCENT = 316;

// Errors waiting for the screen layer to show them, in order (window thread).
struct ErrorQueue {
    std::array<int, 8> codes{};
    int count = 0;
};

struct SongStore;

// What the store tells the layers above it. Each entry may be empty. They
// run on the window thread; those marked "under the engine lock" are called
// while the store holds it.
struct StoreHooks {
    // The current sequence's events were rebuilt wholesale: whoever holds
    // indices into them finds them again (under the engine lock).
    void (*eventsReplaced)(SongStore& song) = nullptr;
    // The engine lets go of the current sequence: another block became
    // current, the current one is about to be replaced or freed, or its end
    // was cut. Its play and loop pointers go to the start and the bar loop
    // turns off (under the engine lock).
    void (*detachSequence)(SongStore& song) = nullptr;
    // The song position (0 when nothing plays).
    Tick (*position)(const SongStore& song) = nullptr;
    // Move the song position to tick t (clamped to the sequence), or to the
    // start of bar b (which also moves the recording's play points).
    void (*locateTick)(SongStore& song, Tick t) = nullptr;
    void (*locateBar)(SongStore& song, int32_t b) = nullptr;
    // Does the transport run? Then erased events are only flagged for the
    // merge at the stop, and notes also leave the recording.
    bool (*running)(const SongStore& song) = nullptr;
    // The running tick count an open note waits with until its note-off.
    uint32_t (*tickNow)(const SongStore& song) = nullptr;
    // While running: remove the notes of a track in a tick and note range from
    // the recording.
    void (*eraseRecorded)(SongStore& song, int track, Tick from, Tick to, int lowNote, int highNote) = nullptr;
    // Make slot s current as the program does it (stop, leave the undo pair,
    // start at the top, send the set-ups). Empty: the store only points at it.
    void (*select)(SongStore& song, int slot) = nullptr;
    // A track became current; the screens follow it.
    void (*trackSelected)(SongStore& song) = nullptr;
};

struct SongStore {
    PersistentSettings settings{};

    // Slot table: entry 0 is the default sequence, 1..99 a block or null.
    std::array<Sequence*, MAX_SLOTS + 1> slots{};
    int32_t currentSlot = 1;
    int32_t lastSlot = 0;
    Sequence* seq = nullptr;  // the current sequence (changed under the engine lock)
    int32_t currentTrack = 1;
    int32_t lengthTicks = 2 * TICKS_PER_BAR;
    EngineLock engineLock;

    // Indices into the current sequence's events that every edit keeps on
    // the same events: the next event to play and the first event of the
    // loop start bar. The engine tick reads and advances them; the window
    // thread writes them under the engine lock.
    int32_t playIndex = 0;
    int32_t loopIndex = 0;
    // Events flagged for removal while playing wait for the merge at the stop.
    bool erasePending = false;

    Sequence* undoCopy = nullptr;
    Sequence* redoCopy = nullptr;
    // First bar the event views show; the undo pair remembers it (window thread).
    int32_t firstBar = 0;
    int32_t undoFirstBar = 0;
    int32_t redoFirstBar = 0;
    int32_t lastDuration = 24;
    // ALL TRACKS: bar, selection and paste edits work on every track.
    bool allTracks = false;

    std::unique_ptr<WorkBuffer> work;
    EditClipboard clipboard;
    EventSelection selection;

    std::atomic<uint32_t> dirty{DIRTY_ALL};
    ErrorQueue errors;
    StoreHooks hooks;
};

// OR repaint bits in from any thread.
inline void markDirty(SongStore& song, uint32_t bits) {
    song.dirty.fetch_or(bits, std::memory_order_relaxed);
}

// The text shown for an error number ("" for 0).
const char* errorText(int code);

// Queue an error number for the screen layer (window thread).
void postError(SongStore& song, int code);
// Take the oldest queued error, or 0 when none.
int takeError(SongStore& song);

}  // namespace qz
