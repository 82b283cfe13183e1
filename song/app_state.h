// The one application state record. Each subsystem keeps its fields in its
// own part; the song store's fields stand at the top level.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/engine_state.h"
#include "engine/recording_state.h"
#include "files/loader_state.h"
#include "song/engine_lock.h"
#include "song/persistent_settings.h"
#include "song/records.h"
#include "ui/framework/ui_state.h"
#include "ui/screens/monitor_state.h"

namespace qz {

// Repaint bits, ORed into `dirty` by any thread.
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

// Error numbers shown by the screen layer (texts live with the messages).
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

constexpr uint32_t EDIT_ADD = 313;
constexpr uint32_t EDIT_SUB = 314;
constexpr uint32_t EDIT_SET = 315;
constexpr uint32_t EDIT_PERCENT = 316;

// Values of the velocity, duration and timing-correct dialogs (kept for the
// run, not saved).
struct NoteEditSettings {
    uint32_t editMode = EDIT_SET;
    int32_t velocityValue = 127;
    int32_t durationValue = 24;
    int32_t editGrid = 24;
    uint32_t editShiftEarlier = 0;
    int32_t editShift = 0;
    int32_t editSwing = 50;
    int32_t editStrength = 100;
    char editTitle[40] = {};
};

// The sequence row's list overlay and the Change Bars popup (window thread).
struct SequencePanelState {
    int32_t listTop = 0;        // slots listed from listTop + 1, 0..79
    int32_t listCursor = 0;     // cursor row 0..19
    int32_t listSlotShown = 0;  // the current slot the list last scrolled to
    bool listButtonHeld = false;
    bool barsEnterHeld = false;
    bool barsCancelHeld = false;
    bool barsTyping = false;  // a digit has started a new bar count
};

// Errors waiting for the screen layer to show them, in order (window thread).
struct ErrorQueue {
    std::array<int, 8> codes{};
    int count = 0;
};

struct AppState {
    PersistentSettings settings{};

    // Slot table: entry 0 is the default sequence, 1..99 a block or null.
    std::array<Sequence*, MAX_SLOTS + 1> slots{};
    int32_t currentSlot = 1;
    int32_t lastSlot = 0;
    Sequence* seq = nullptr;  // the current sequence (changed under the engine lock)
    int32_t currentTrack = 1;
    int32_t lengthTicks = 2 * TICKS_PER_BAR;
    EngineLock engineLock;

    Sequence* undoCopy = nullptr;
    Sequence* redoCopy = nullptr;
    int32_t undoFirstBar = 0;
    int32_t redoFirstBar = 0;
    int32_t lastDuration = 24;
    bool allTracks = false;

    std::unique_ptr<WorkBuffer> work;
    EditClipboard clipboard;
    EventSelection selection;
    NoteEditSettings noteEdit;
    int32_t newBars = 2;
    SequencePanelState seqPanel;

    EngineState engine;
    RecordState rec;  // MIDI input and recording
    UiState ui;
    MonitorPanels monitorPanels;  // MIDI-in panel and both monitors
    LoaderState loader;  // folders and names of the loading front end (window thread)

    std::atomic<uint32_t> dirty{DIRTY_ALL};
    ErrorQueue errors;
};

// OR repaint bits in from any thread.
inline void markDirty(AppState& app, uint32_t bits) { app.dirty.fetch_or(bits, std::memory_order_relaxed); }

// The text shown for an error number ("" for 0).
const char* errorText(int code);

// Queue an error number for the screen layer (window thread).
void postError(AppState& app, int code);
// Take the oldest queued error, or 0 when none.
int takeError(AppState& app);

}  // namespace qz
