// The slot table, sequence blocks, names and the one-level undo.
#include "song/sequence_store.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/store_calls.h"

namespace qz {

namespace {

// Handles name the allocations in the blocks' `heapHandle` word; they are
// only for telling blocks apart when debugging.
std::atomic<uint32_t> nextHeapHandle{1};

// Pad base note index (0..6) to the lowest note the event views show.
constexpr int PAD_BASE_NOTES[7] = {24, 35, 36, 48, 60, 72, 84};

// Keep a block's header words within what the rest of the program assumes.
void sanitizeHeader(Sequence* s, bool isDefault) {
    if (s->bars < 1) s->bars = 1;
    if (s->bars > uint32_t(MAX_BARS)) s->bars = MAX_BARS;
    s->eventsOffset = SEQ_HEADER_SIZE;
    s->name[NAME_FIELD - 1] = 0;
    if (isDefault) {
        s->capacity = SEQ_HEADER_SIZE;
        s->eventCount = 0;
        s->exists = 0;
    } else if (s->eventCount < 0 || s->eventCount > seqEventRoom(s)) {
        s->eventCount = std::clamp(s->eventCount, 0, seqEventRoom(s));
    }
}

}  // namespace

// ---- Errors -----------------------------------------------------------------

void postError(AppState& app, int code) {
    ErrorQueue& q = app.errors;
    if (code == 0 || q.count >= int(q.codes.size())) return;
    q.codes[q.count++] = code;
}

int takeError(AppState& app) {
    ErrorQueue& q = app.errors;
    if (q.count == 0) return 0;
    int code = q.codes[0];
    std::copy(q.codes.begin() + 1, q.codes.begin() + q.count, q.codes.begin());
    --q.count;
    return code;
}

// ---- Blocks -------------------------------------------------------------------

Sequence* allocSequenceBlock(uint32_t bytes) {
    if (bytes < SEQ_HEADER_SIZE) bytes = SEQ_HEADER_SIZE;
    void* p = std::calloc(1, bytes);
    if (!p) return nullptr;
    auto* s = static_cast<Sequence*>(p);
    s->eventsOffset = SEQ_HEADER_SIZE;
    s->capacity = bytes;
    s->heapHandle = nextHeapHandle.fetch_add(1, std::memory_order_relaxed);
    return s;
}

void freeSequenceBlock(Sequence* s) { std::free(s); }

Sequence* cloneSequenceBlock(const Sequence* src) {
    uint32_t bytes = std::max(src->capacity, SEQ_HEADER_SIZE);
    Sequence* s = allocSequenceBlock(bytes);
    if (!s) return nullptr;
    uint32_t handle = s->heapHandle;
    std::memcpy(s, src, bytes);
    s->heapHandle = handle;
    s->capacity = bytes;
    return s;
}

// ---- State --------------------------------------------------------------------

int initAppState(AppState& app) {
    freeAppState(app);
    setDefaultSettings(app.settings);
    app.work.reset(new (std::nothrow) WorkBuffer);
    if (!app.work) return ERR_NO_MEMORY;
    app.slots.fill(nullptr);
    app.slots[0] = &app.settings.defaultSequence;
    app.lastSlot = 0;
    app.currentTrack = 1;
    app.clipboard = EditClipboard{};
    pointAtSequence(app, 1);
    selectTrack(app, 1);
    return 0;
}

void freeAppState(AppState& app) {
    dropUndo(app);
    EngineLockGuard lock(app.engineLock);
    for (int s = 1; s <= MAX_SLOTS; ++s) {
        freeSequenceBlock(app.slots[s]);
        app.slots[s] = nullptr;
    }
    app.slots[0] = &app.settings.defaultSequence;
    app.seq = app.slots[0];
    app.lastSlot = 0;
}

// ---- Selecting ------------------------------------------------------------------

void pointAtSequence(AppState& app, int slot) {
    if (slot < 1 || slot > MAX_SLOTS) slot = 1;
    {
        EngineLockGuard lock(app.engineLock);
        app.slots[0] = &app.settings.defaultSequence;
        app.currentSlot = slot;
        Sequence* s = app.slots[slot] ? app.slots[slot] : app.slots[0];
        sanitizeHeader(s, s == app.slots[0]);
        app.seq = s;
        app.lengthTicks = seqLengthTicks(s);
        app.ui.firstBar = 0;
        app.engine.playIndex = 0;
        app.engine.loopIndex = 0;
        app.engine.loopOn = false;
    }
    locateTick(app, 0);
}

void selectSequence(AppState& app, int slot) {
    if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
    dropUndo(app);
    pointAtSequence(app, slot);
    sendAllTrackSetups(app);
}

void selectTrack(AppState& app, int track) {
    if (track == 0) return;
    {
        // The tick reads the current track (solo, thru, recording).
        EngineLockGuard lock(app.engineLock);
        app.currentTrack = track;
    }
    app.ui.stepTrack = track;
    if (track >= 1 && track <= USER_TRACKS) {
        uint32_t idx = app.settings.trackPadBase[track - 1];
        app.ui.padBaseNote = PAD_BASE_NOTES[idx < 7 ? idx : 2];
    }
    markDirty(app, DIRTY_ALL);
}

Sequence* createSequence(AppState& app, int slot) {
    if (slot < 1 || slot > MAX_SLOTS) return nullptr;
    Sequence* s = allocSequenceBlock(SEQ_NEW_BLOCK_SIZE);
    if (!s) {
        postError(app, ERR_NO_MEMORY);
        return nullptr;
    }
    uint32_t handle = s->heapHandle;
    std::memcpy(s, &app.settings.defaultSequence, SEQ_HEADER_SIZE);
    s->exists = 1;
    for (int n = 1; n <= USER_TRACKS; ++n) s->tracks[n].channel = uint8_t(n - 1);
    s->name[NAME_FIELD - 1] = 0;
    size_t len = std::strlen(s->name);
    if (len < 15) std::snprintf(s->name + len, NAME_FIELD - len, "%02d", slot % 100);
    s->eventsOffset = SEQ_HEADER_SIZE;
    s->heapHandle = handle;
    s->capacity = SEQ_NEW_BLOCK_SIZE;
    s->eventCount = 0;
    if (s->bars < 1 || s->bars > uint32_t(MAX_BARS)) s->bars = 2;
    {
        EngineLockGuard lock(app.engineLock);
        freeSequenceBlock(app.slots[slot]);
        app.slots[slot] = s;
    }
    selectSequence(app, slot);
    return s;
}

int ensureSequence(AppState& app) {
    if (app.slots[app.currentSlot]) return 0;
    if (!createSequence(app, app.currentSlot)) {
        postError(app, ERR_CREATE_SEQUENCE);
        return ERR_CREATE_SEQUENCE;
    }
    if (app.currentSlot > app.lastSlot) app.lastSlot = app.currentSlot;
    selectTrack(app, app.currentTrack);
    curTrackRec(app).used = 1;
    markDirty(app, DIRTY_ALL);
    return 0;
}

void installSequence(AppState& app, int slot, Sequence* block) {
    if (slot < 1 || slot > MAX_SLOTS || !block) return;
    sanitizeHeader(block, false);
    block->exists = 1;
    EngineLockGuard lock(app.engineLock);
    Sequence* old = app.slots[slot];
    app.slots[slot] = block;
    if (slot > app.lastSlot) app.lastSlot = slot;
    if (slot == app.currentSlot) {
        app.seq = block;
        app.lengthTicks = seqLengthTicks(block);
        app.engine.playIndex = 0;
        app.engine.loopIndex = 0;
    }
    freeSequenceBlock(old);
}

// ---- Deleting -------------------------------------------------------------------

void deleteSequence(AppState& app, int slot) {
    if (slot < 1 || slot > app.lastSlot || !app.slots[slot]) return;
    if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
    dropUndo(app);
    {
        EngineLockGuard lock(app.engineLock);
        // The tick may not follow a block about to be freed.
        app.seq = app.slots[0];
        app.engine.playIndex = 0;
        app.engine.loopIndex = 0;
        freeSequenceBlock(app.slots[slot]);
        for (int s = slot; s < app.lastSlot; ++s) app.slots[s] = app.slots[s + 1];
        app.slots[app.lastSlot] = nullptr;
        --app.lastSlot;
    }
    selectSequence(app, slot);
}

void deleteSequenceNamed(AppState& app, const char* name) {
    for (int s = 1; s <= app.lastSlot; ++s) {
        if (app.slots[s] && sameName(app.slots[s]->name, name)) {
            deleteSequence(app, s);
            return;
        }
    }
}

void deleteAllSequences(AppState& app) {
    if (app.engine.playing.load(std::memory_order_acquire)) stopTransport(app);
    dropUndo(app);
    {
        EngineLockGuard lock(app.engineLock);
        app.seq = app.slots[0];
        app.engine.playIndex = 0;
        app.engine.loopIndex = 0;
        for (int s = 1; s <= MAX_SLOTS; ++s) {
            freeSequenceBlock(app.slots[s]);
            app.slots[s] = nullptr;
        }
        app.lastSlot = 0;
    }
    selectSequence(app, 1);
}

// ---- Copying and names ------------------------------------------------------------

bool sameName(const char* a, const char* b) {
    for (int i = 0; i < NAME_FIELD; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (std::toupper(ca) != std::toupper(cb)) return false;
        if (ca == 0) return true;
    }
    return true;
}

void copyName(char* dst, const char* src) {
    std::memset(dst, 0, NAME_FIELD);
    for (int i = 0; i < NAME_FIELD - 1 && src[i]; ++i) dst[i] = src[i];
}

void nextNumberedName(char* name) {
    name[NAME_FIELD - 1] = 0;
    int len = int(std::strlen(name));
    int digitStart = len;
    while (digitStart > 0 && len - digitStart < 8 && std::isdigit(static_cast<unsigned char>(name[digitStart - 1])))
        --digitStart;
    int runLen = len - digitStart;
    unsigned long number = 0;
    int leadingZeros = 0;
    for (int i = digitStart; i < len; ++i) number = number * 10 + unsigned(name[i] - '0');
    while (leadingZeros < runLen && name[digitStart + leadingZeros] == '0') ++leadingZeros;
    number += 1;
    if (number > 99999999ul) number = 0;
    char suffix[NAME_FIELD + 8];
    int sl = std::snprintf(suffix, sizeof(suffix), "%.*s%lu", leadingZeros, "00000000", number);
    int stem = digitStart;
    if (stem + sl > NAME_FIELD - 1) stem = std::max(0, NAME_FIELD - 1 - sl);
    char out[NAME_FIELD] = {};
    std::memcpy(out, name, size_t(stem));
    std::memcpy(out + stem, suffix, size_t(std::min(sl, NAME_FIELD - 1 - stem)));
    std::memcpy(name, out, NAME_FIELD);
}

int findSlotByName(const AppState& app, const char* name) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (app.slots[s] && sameName(app.slots[s]->name, name)) return s;
    return 0;
}

int firstFreeSlot(const AppState& app) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (!app.slots[s]) return s;
    return MAX_SLOTS + 1;
}

const char* anyChangedSequence(const AppState& app) {
    for (int s = 1; s <= MAX_SLOTS; ++s) {
        const Sequence* q = app.slots[s];
        if (q && q->eventCount > 0 && (q->unsaved || q->modified)) return q->name;
    }
    return nullptr;
}

bool anySequence(const AppState& app) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (app.slots[s]) return true;
    return false;
}

int copySequence(AppState& app, int slot) {
    if (slot < 1 || slot > MAX_SLOTS || !app.slots[slot]) return ERR_PROGRAM;
    int target = firstFreeSlot(app);
    if (target > MAX_SLOTS) return ERR_SEQ_ROOM_FULL;
    Sequence* copy = cloneSequenceBlock(app.slots[slot]);
    if (!copy) return ERR_NO_MEMORY;
    copy->unsaved = 1;
    for (int i = 0; i < 999; ++i) {
        nextNumberedName(copy->name);
        if (findSlotByName(app, copy->name) == 0) break;
    }
    {
        EngineLockGuard lock(app.engineLock);
        app.slots[target] = copy;
        if (target > app.lastSlot) app.lastSlot = target;
    }
    selectSequence(app, target);
    return 0;
}

// ---- Track settings ---------------------------------------------------------------

void resetTrackMessages(AppState& app) {
    for (int n = 1; n <= USER_TRACKS; ++n) {
        TrackRecord& t = app.seq->tracks[n];
        t.device = 0;
        t.drumPart = 0;
        t.bankMsb = 0;
        t.bankLsb = 0;
        t.program = 0;
        t.volume = 100;
        t.pan = 64;
        t.reverb = 40;
        t.chorus = 0;
        for (int k = 0; k < 128; ++k) {
            t.noteMap[k] = uint8_t(k);
            t.noteMute[k] = 0;
        }
    }
}

void storeTracksAsDefault(AppState& app) {
    Sequence& d = app.settings.defaultSequence;
    if (app.seq == &d) return;
    std::memcpy(&d.tracks[1], &app.seq->tracks[1], sizeof(TrackRecord) * USER_TRACKS);
}

int32_t sequenceTempoX10(Sequence* s) {
    if (s->tempoX10 < TEMPO_X10_MIN || s->tempoX10 > TEMPO_X10_MAX) s->tempoX10 = TEMPO_X10_DEFAULT;
    return s->tempoX10;
}

// ---- Undo -------------------------------------------------------------------------

void dropUndo(AppState& app) {
    freeSequenceBlock(app.undoCopy);
    freeSequenceBlock(app.redoCopy);
    app.undoCopy = nullptr;
    app.redoCopy = nullptr;
}

int snapshotForUndo(AppState& app) {
    dropUndo(app);
    if (!app.seq || app.seq->exists == 0) return 0;
    Sequence* copy = cloneSequenceBlock(app.seq);
    if (!copy) {
        postError(app, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    app.undoCopy = copy;
    app.undoFirstBar = app.ui.firstBar;
    return 0;
}

void undo(AppState& app) {
    int32_t bar;
    {
        EngineLockGuard lock(app.engineLock);
        Sequence* current = app.slots[app.currentSlot];
        if (!current) return;
        if (app.undoCopy) {
            app.redoFirstBar = app.ui.firstBar;
            app.redoCopy = current;
            app.slots[app.currentSlot] = app.undoCopy;
            app.undoCopy = nullptr;
            bar = app.undoFirstBar;
        } else if (app.redoCopy) {
            app.undoFirstBar = app.ui.firstBar;
            app.undoCopy = current;
            app.slots[app.currentSlot] = app.redoCopy;
            app.redoCopy = nullptr;
            bar = app.redoFirstBar;
        } else {
            return;
        }
        app.seq = app.slots[app.currentSlot];
        app.engine.playIndex = 0;
    }
    pointAtSequence(app, app.currentSlot);
    app.ui.firstBar = bar;
    locateBar(app, bar);
    markDirty(app, DIRTY_ALL);
}

}  // namespace qz
