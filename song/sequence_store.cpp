// The slot table, sequence blocks, names and the one-level undo.
#include "song/sequence_store.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "song/store_notify.h"

namespace qz {

namespace {

// Handles name the allocations in the blocks' `heapHandle` word; they are
// only for telling blocks apart when debugging.
std::atomic<uint32_t> nextHeapHandle{1};

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

void postError(SongStore& song, int code) {
    ErrorQueue& q = song.errors;
    if (code == 0 || q.count >= int(q.codes.size())) return;
    q.codes[q.count++] = code;
}

int takeError(SongStore& song) {
    ErrorQueue& q = song.errors;
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

int initSongStore(SongStore& song) {
    freeSongStore(song);
    setDefaultSettings(song.settings);
    song.work.reset(new (std::nothrow) WorkBuffer);
    if (!song.work) return ERR_NO_MEMORY;
    song.slots.fill(nullptr);
    song.slots[0] = &song.settings.defaultSequence;
    song.lastSlot = 0;
    song.currentTrack = 1;
    song.clipboard = EditClipboard{};
    pointAtSequence(song, 1);
    selectTrack(song, 1);
    return 0;
}

void freeSongStore(SongStore& song) {
    dropUndo(song);
    EngineLockGuard lock(song.engineLock);
    for (int s = 1; s <= MAX_SLOTS; ++s) {
        freeSequenceBlock(song.slots[s]);
        song.slots[s] = nullptr;
    }
    song.slots[0] = &song.settings.defaultSequence;
    song.seq = song.slots[0];
    song.lastSlot = 0;
}

// ---- Selecting ------------------------------------------------------------------

void pointAtSequence(SongStore& song, int slot) {
    if (slot < 1 || slot > MAX_SLOTS) slot = 1;
    {
        EngineLockGuard lock(song.engineLock);
        song.slots[0] = &song.settings.defaultSequence;
        song.currentSlot = slot;
        Sequence* s = song.slots[slot] ? song.slots[slot] : song.slots[0];
        sanitizeHeader(s, s == song.slots[0]);
        song.seq = s;
        song.lengthTicks = seqLengthTicks(s);
        song.firstBar = 0;
        notifyDetachSequence(song);
    }
    locateSongTick(song, 0);
}

void selectSlot(SongStore& song, int slot) {
    if (song.hooks.select)
        song.hooks.select(song, slot);
    else
        pointAtSequence(song, slot);
}

void selectTrack(SongStore& song, int track) {
    if (track == 0) return;
    {
        // The tick reads the current track (solo, thru, recording).
        EngineLockGuard lock(song.engineLock);
        song.currentTrack = track;
    }
    if (song.hooks.trackSelected) song.hooks.trackSelected(song);
    markDirty(song, DIRTY_ALL);
}

Sequence* newSequenceBlock(SongStore& song, int slot) {
    if (slot < 1 || slot > MAX_SLOTS) return nullptr;
    Sequence* s = allocSequenceBlock(SEQ_NEW_BLOCK_SIZE);
    if (!s) {
        postError(song, ERR_NO_MEMORY);
        return nullptr;
    }
    uint32_t handle = s->heapHandle;
    std::memcpy(s, &song.settings.defaultSequence, SEQ_HEADER_SIZE);
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
        EngineLockGuard lock(song.engineLock);
        freeSequenceBlock(song.slots[slot]);
        song.slots[slot] = s;
    }
    return s;
}

int ensureSequence(SongStore& song) {
    if (song.slots[song.currentSlot]) return 0;
    if (!newSequenceBlock(song, song.currentSlot)) {
        postError(song, ERR_CREATE_SEQUENCE);
        return ERR_CREATE_SEQUENCE;
    }
    selectSlot(song, song.currentSlot);
    if (song.currentSlot > song.lastSlot) song.lastSlot = song.currentSlot;
    selectTrack(song, song.currentTrack);
    curTrackRec(song).used = 1;
    markDirty(song, DIRTY_ALL);
    return 0;
}

void installSequence(SongStore& song, int slot, Sequence* block) {
    if (slot < 1 || slot > MAX_SLOTS || !block) return;
    sanitizeHeader(block, false);
    block->exists = 1;
    EngineLockGuard lock(song.engineLock);
    Sequence* old = song.slots[slot];
    song.slots[slot] = block;
    if (slot > song.lastSlot) song.lastSlot = slot;
    if (slot == song.currentSlot) {
        song.seq = block;
        song.lengthTicks = seqLengthTicks(block);
        notifyDetachSequence(song);
    }
    freeSequenceBlock(old);
}

// ---- Deleting -------------------------------------------------------------------

void removeSequenceSlot(SongStore& song, int slot) {
    if (slot < 1 || slot > song.lastSlot || !song.slots[slot]) return;
    EngineLockGuard lock(song.engineLock);
    // The tick may not follow a block about to be freed.
    song.seq = song.slots[0];
    notifyDetachSequence(song);
    freeSequenceBlock(song.slots[slot]);
    for (int s = slot; s < song.lastSlot; ++s) song.slots[s] = song.slots[s + 1];
    song.slots[song.lastSlot] = nullptr;
    --song.lastSlot;
}

void removeAllSequences(SongStore& song) {
    EngineLockGuard lock(song.engineLock);
    song.seq = song.slots[0];
    notifyDetachSequence(song);
    for (int s = 1; s <= MAX_SLOTS; ++s) {
        freeSequenceBlock(song.slots[s]);
        song.slots[s] = nullptr;
    }
    song.lastSlot = 0;
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

int findSlotByName(const SongStore& song, const char* name) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (song.slots[s] && sameName(song.slots[s]->name, name)) return s;
    return 0;
}

int firstFreeSlot(const SongStore& song) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (!song.slots[s]) return s;
    return MAX_SLOTS + 1;
}

const char* anyChangedSequence(const SongStore& song) {
    for (int s = 1; s <= MAX_SLOTS; ++s) {
        const Sequence* q = song.slots[s];
        if (q && q->eventCount > 0 && (q->unsaved || q->modified)) return q->name;
    }
    return nullptr;
}

bool anySequence(const SongStore& song) {
    for (int s = 1; s <= MAX_SLOTS; ++s)
        if (song.slots[s]) return true;
    return false;
}

int copySequenceBlock(SongStore& song, int slot, int& target) {
    if (slot < 1 || slot > MAX_SLOTS || !song.slots[slot]) return ERR_PROGRAM;
    target = firstFreeSlot(song);
    if (target > MAX_SLOTS) return ERR_SEQ_ROOM_FULL;
    Sequence* copy = cloneSequenceBlock(song.slots[slot]);
    if (!copy) return ERR_NO_MEMORY;
    copy->unsaved = 1;
    for (int i = 0; i < 999; ++i) {
        nextNumberedName(copy->name);
        if (findSlotByName(song, copy->name) == 0) break;
    }
    {
        EngineLockGuard lock(song.engineLock);
        song.slots[target] = copy;
        if (target > song.lastSlot) song.lastSlot = target;
    }
    return 0;
}

// ---- Track settings ---------------------------------------------------------------

void resetTrackMessages(SongStore& song) {
    for (int n = 1; n <= USER_TRACKS; ++n) {
        TrackRecord& t = song.seq->tracks[n];
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

void storeTracksAsDefault(SongStore& song) {
    Sequence& d = song.settings.defaultSequence;
    if (song.seq == &d) return;
    std::memcpy(&d.tracks[1], &song.seq->tracks[1], sizeof(TrackRecord) * USER_TRACKS);
}

int32_t sequenceTempoX10(Sequence* s) {
    if (s->tempoX10 < TEMPO_X10_MIN || s->tempoX10 > TEMPO_X10_MAX) s->tempoX10 = TEMPO_X10_DEFAULT;
    return s->tempoX10;
}

// ---- Undo -------------------------------------------------------------------------

void dropUndo(SongStore& song) {
    freeSequenceBlock(song.undoCopy);
    freeSequenceBlock(song.redoCopy);
    song.undoCopy = nullptr;
    song.redoCopy = nullptr;
}

int snapshotForUndo(SongStore& song) {
    dropUndo(song);
    if (!song.seq || song.seq->exists == 0) return 0;
    Sequence* copy = cloneSequenceBlock(song.seq);
    if (!copy) {
        postError(song, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    song.undoCopy = copy;
    song.undoFirstBar = song.firstBar;
    return 0;
}

void undo(SongStore& song) {
    int32_t bar;
    {
        EngineLockGuard lock(song.engineLock);
        Sequence* current = song.slots[song.currentSlot];
        if (!current) return;
        if (song.undoCopy) {
            song.redoFirstBar = song.firstBar;
            song.redoCopy = current;
            song.slots[song.currentSlot] = song.undoCopy;
            song.undoCopy = nullptr;
            bar = song.undoFirstBar;
        } else if (song.redoCopy) {
            song.undoFirstBar = song.firstBar;
            song.undoCopy = current;
            song.slots[song.currentSlot] = song.redoCopy;
            song.redoCopy = nullptr;
            bar = song.redoFirstBar;
        } else {
            return;
        }
        song.seq = song.slots[song.currentSlot];
        notifyDetachSequence(song);
    }
    pointAtSequence(song, song.currentSlot);
    song.firstBar = bar;
    locateSongBar(song, bar);
    markDirty(song, DIRTY_ALL);
}

}  // namespace qz
