// Bar range operations (erase, delete, insert blank, copy, paste) and the
// helpers every region edit shares.
#include <algorithm>
#include <cstring>

#include "song/region_edit.h"

namespace qz {

// ---- Shared helpers -------------------------------------------------------------

EventRange barRange(const SongStore& song, int32_t b1, int32_t b2) {
    b1 = std::clamp(b1, 0, MAX_BARS);
    b2 = std::clamp(b2, 0, MAX_BARS);
    int32_t first = firstEventAtBar(song, b1);
    int32_t end = std::max(first, firstEventAtTick(song.seq, b2 * TICKS_PER_BAR));
    return {first, end};
}

int32_t insertCarried(SongStore& song, const SeqEvent& e, Tick t, uint8_t track) {
    const SeqEvent saved = e;  // `e` may live in the block an insert grows
    bool tempo = saved.status == ST_TEMPO && track == TEMPO_TRACK;
    int32_t i = insertEvent(song, t, track, saved.status, saved.data1, saved.data2, tempo ? saved.value2 : saved.value);
    if (i < 0 || tempo) return i;
    // insertEvent keeps only what a freshly entered event has; a moved event
    // keeps its exact duration (even an open one) and its extra bytes.
    EngineLockGuard lock(song.engineLock);
    SeqEvent& w = seqEvents(song.seq)[i];
    w.value = saved.value;
    w.value2 = saved.value2;
    return i;
}

namespace {

// Erase the events of bars [b1, b2) that pass the track rule and `pick`.
template <class Pick>
int eraseBarsWhere(SongStore& song, int32_t b1, int32_t b2, Pick pick) {
    EventRange r = barRange(song, b1, b2);
    if (compactEvents(song, r.first, r.end, [&](const SeqEvent& e) { return onBarTrack(song, e) && pick(e); }) > 0)
        markDirty(song, DIRTY_ALL);
    return 0;
}

// Replace the clipboard with the events of [from, to) that `pick` chooses,
// each reshaped by `shape`. Counted first: when they do not fit, ERR_NO_MEMORY is
// returned and the clipboard keeps what it held.
template <class Pick, class Shape>
int fillClipboard(SongStore& song, int32_t from, int32_t to, uint32_t mode, uint32_t length, uint32_t span, Pick pick,
                  Shape shape) {
    const SeqEvent* ev = seqEvents(song.seq);
    to = std::min(to, song.seq->eventCount);
    int32_t n = 0;
    for (int32_t i = from; i < to; ++i)
        if (pick(ev[i])) ++n;
    if (n > CLIPBOARD_EVENTS) {
        postError(song, ERR_NO_MEMORY);
        return ERR_NO_MEMORY;
    }
    SeqEvent* clip = song.work->secondHalf();
    int32_t k = 0;
    for (int32_t i = from; i < to; ++i) {
        if (!pick(ev[i])) continue;
        clip[k] = ev[i];
        shape(clip[k]);
        ++k;
    }
    EditClipboard& c = song.clipboard;
    c.mode = mode;
    c.length = length;
    c.span = span;
    c.count = k;
    return 0;
}

// Set the bar count (held to 1..999) and the cached length. Under the lock:
// the tick reads the length to find the sequence end.
void setBars(SongStore& song, int32_t bars) {
    EngineLockGuard lock(song.engineLock);
    song.seq->bars = uint32_t(std::clamp(bars, 1, MAX_BARS));
    song.lengthTicks = seqLengthTicks(song.seq);
    song.seq->modified = 1;
}

// After the sequence got shorter: a song position beyond the new end moves
// to it.
void keepPositionInside(SongStore& song) {
    if (songPosition(song) > song.lengthTicks) locateSongTick(song, song.lengthTicks);
}

}  // namespace

// ---- Erasing ------------------------------------------------------------------------

int eraseBars(SongStore& song, int32_t b1, int32_t b2) {
    return eraseBarsWhere(song, b1, b2, [](const SeqEvent&) { return true; });
}

int eraseBarsControllers(SongStore& song, int32_t b1, int32_t b2) {
    return eraseBarsWhere(song, b1, b2, [](const SeqEvent& e) { return e.status == ST_CONTROL; });
}

int eraseBarsBend(SongStore& song, int32_t b1, int32_t b2) {
    return eraseBarsWhere(song, b1, b2, [](const SeqEvent& e) { return e.status == ST_PITCH_BEND; });
}

int eraseBarsPressure(SongStore& song, int32_t b1, int32_t b2) {
    return eraseBarsWhere(song, b1, b2, [](const SeqEvent& e) {
        return e.status == ST_POLY_PRESSURE || e.status == ST_CHANNEL_PRESSURE;
    });
}

// ---- Deleting and inserting bars -------------------------------------------------------

// Remove bars [b1, b2) and close the gap; the bar count drops by one whatever
// the range. Returns 0, 3 when the moved tail does not fit the scratch area
// (nothing changed) or when an insert fails, 16 when no sequence can be made.
int deleteBars(SongStore& song, int32_t b1, int32_t b2) {
    if (b1 < 0 || b2 <= b1 || b1 >= int32_t(song.seq->bars) || song.seq->bars < 2) return 0;
    if (int err = ensureSequence(song)) return err;
    const Tick length = song.lengthTicks;
    const Tick cut = std::min(b2, MAX_BARS) * TICKS_PER_BAR;

    // The material behind the range, lowered to start at 0. Counted first:
    // a tail that does not fit leaves the sequence untouched.
    SeqEvent* scratch = song.work->firstHalf();
    int32_t first = firstEventAtTick(song.seq, cut);
    int32_t stop = firstEventAtTick(song.seq, std::max(cut, length));
    int32_t saved = 0;
    {
        const SeqEvent* ev = seqEvents(song.seq);
        for (int32_t i = first; i < stop; ++i)
            if (onBarTrack(song, ev[i])) ++saved;
        if (saved > CLIPBOARD_EVENTS) {
            postError(song, ERR_NO_MEMORY);
            return ERR_NO_MEMORY;
        }
        int32_t k = 0;
        for (int32_t i = first; i < stop; ++i) {
            if (!onBarTrack(song, ev[i])) continue;
            scratch[k] = ev[i];
            scratch[k].time -= cut;
            ++k;
        }
    }

    eraseBars(song, b1, int32_t(song.seq->bars));

    int rc = 0;
    const Tick base = b1 * TICKS_PER_BAR;
    for (int32_t k = 0; k < saved; ++k) {
        uint8_t track = song.allTracks ? scratch[k].track : uint8_t(song.currentTrack);
        if (insertCarried(song, scratch[k], scratch[k].time + base, track) < 0) {
            rc = ERR_NO_MEMORY;
            break;
        }
    }
    setBars(song, int32_t(song.seq->bars) - 1);
    keepPositionInside(song);
    markDirty(song, DIRTY_ALL);
    return rc;
}

// Open a gap of b2-b1 bars at b1: the material from b1 on moves later and is
// left in the clipboard. Returns 0; 3 when the tail does not fit the
// clipboard; 12 when the moved tail would pass bar 999 (nothing changed in
// either case); 16 when no sequence can be made.
int insertBlankBars(SongStore& song, int32_t b1, int32_t b2) {
    if (b1 < 0 || b2 <= b1 || b1 >= MAX_BARS) return 0;
    if (int err = ensureSequence(song)) return err;
    const int32_t bars = int32_t(song.seq->bars);

    EventRange tail = barRange(song, b1, bars);
    Tick lastTail = -1;
    const SeqEvent* ev = seqEvents(song.seq);
    for (int32_t i = tail.first; i < tail.end; ++i)
        if (onBarTrack(song, ev[i])) lastTail = ev[i].time;
    if (lastTail >= 0 && int64_t(lastTail) + int64_t(b2 - b1) * TICKS_PER_BAR >= MAX_SEQUENCE_TICKS) {
        postError(song, ERR_CANNOT_INPUT);
        return ERR_CANNOT_INPUT;
    }

    // Past the end the tail is empty, and so is the clipboard afterwards.
    if (int err = copyBars(song, b1, std::max(b1, bars))) return err;
    eraseBars(song, b1, bars);
    int rc = pasteBars(song, b2);
    locateSongBar(song, b1);
    if (int32_t(song.seq->bars) == bars) setBars(song, bars + 1);
    markDirty(song, DIRTY_ALL);
    return rc;
}

// ---- Copying and pasting bars --------------------------------------------------------

// Copy bars [b1, b2) into the clipboard (mode 4), ticks relative to b1.
// Returns 0, or ERR_NO_MEMORY when they do not fit (the clipboard keeps what it held).
int copyBars(SongStore& song, int32_t b1, int32_t b2) {
    if (b1 < 0 || b2 < b1) return 0;
    EventRange r = barRange(song, b1, b2);
    const Tick base = b1 * TICKS_PER_BAR;
    return fillClipboard(
        song, r.first, r.end, CLIP_BARS, uint32_t(b2 - b1) * TICKS_PER_BAR, 128,
        [&](const SeqEvent& e) { return onBarTrack(song, e); }, [&](SeqEvent& e) { e.time -= base; });
}

// Insert the mode-4 clipboard at bar `target`; the sequence grows to hold the
// last event (at most 999 bars). Returns 0; 3 when an insert fails; 12 when
// events that would land past bar 999 were left out; 16 when no sequence can
// be made.
int pasteBars(SongStore& song, int32_t target) {
    const EditClipboard& c = song.clipboard;
    if (c.mode != CLIP_BARS || c.count <= 0 || target < 0 || target >= MAX_BARS) return 0;
    if (int err = ensureSequence(song)) return err;
    const SeqEvent* clip = song.work->secondHalf();
    const Tick base = target * TICKS_PER_BAR;
    Tick last = -1;
    int rc = 0;
    for (int32_t k = 0; k < c.count; ++k) {
        Tick t = base + clip[k].time;
        if (t >= MAX_SEQUENCE_TICKS) {
            // Events stand in tick order: the rest lie past the end too.
            postError(song, ERR_CANNOT_INPUT);
            rc = ERR_CANNOT_INPUT;
            break;
        }
        uint8_t track = song.allTracks ? clip[k].track : uint8_t(song.currentTrack);
        if (insertCarried(song, clip[k], t, track) < 0) {
            rc = ERR_NO_MEMORY;
            break;
        }
        last = std::max(last, t);
    }
    if (last >= song.lengthTicks) {
        setBars(song, last / TICKS_PER_BAR + 1);
        // Re-selecting stops playback and drops the undo pair; the grid stays
        // where the user was looking.
        int32_t firstBar = song.firstBar;
        selectSlot(song, song.currentSlot);
        song.firstBar = firstBar;
        locateSongBar(song, target);
    }
    markDirty(song, DIRTY_ALL);
    return rc;
}

// ---- Tracks -------------------------------------------------------------------------

namespace {

// Erase every event of `track` that `pick` chooses, anywhere in the sequence.
template <class Pick>
int32_t eraseTrackWhere(SongStore& song, int track, Pick pick) {
    const uint8_t t = uint8_t(track);
    int32_t n =
        compactEvents(song, 0, song.seq->eventCount, [&](const SeqEvent& e) { return e.track == t && pick(e); });
    markDirty(song, DIRTY_ALL);
    return n;
}

// The record of a track number (1..16 or the tempo track), or null.
TrackRecord* trackRecord(SongStore& song, int track) {
    return track >= 1 && track < TRACK_RECORDS ? &song.seq->tracks[track] : nullptr;
}

// Insert clipboard records with `insertEventRecord` after `shape` rewrote
// them. Each lands before the events already at its tick; walking the
// clipboard backwards keeps the copied events' own order within a tick (a
// bank select stays before its program change). Returns 0 or 3.
template <class Shape>
int insertClipboardRecords(SongStore& song, Shape shape) {
    const SeqEvent* clip = song.work->secondHalf();
    for (int32_t k = song.clipboard.count - 1; k >= 0; --k) {
        SeqEvent e = clip[k];
        shape(e);
        if (insertEventRecord(song, e) < 0) return ERR_NO_MEMORY;
    }
    markDirty(song, DIRTY_ALL);
    return 0;
}

}  // namespace

int eraseTrack(SongStore& song, int track) {
    eraseTrackWhere(song, track, [](const SeqEvent&) { return true; });
    curTrackRec(song).used = 0;
    return 0;
}

int eraseAllTracks(SongStore& song) {
    {
        EngineLockGuard lock(song.engineLock);
        if (song.seq->eventCount > 0) song.seq->modified = 1;
        song.seq->eventCount = 0;
        notifyEventsReplaced(song);
    }
    for (int n = 1; n <= USER_TRACKS; ++n) song.seq->tracks[n].used = 0;
    markDirty(song, DIRTY_ALL);
    return 0;
}

// Controller 0 erases every control change of the track, c erases number c-1.
int eraseTrackControllers(SongStore& song, int track, int controller) {
    eraseTrackWhere(song, track, [&](const SeqEvent& e) {
        return e.status == ST_CONTROL && (controller == 0 || e.data1 == controller - 1);
    });
    curTrackRec(song).used = 0;
    return 0;
}

int eraseTrackBend(SongStore& song, int track) {
    eraseTrackWhere(song, track, [](const SeqEvent& e) { return e.status == ST_PITCH_BEND; });
    curTrackRec(song).used = 0;
    return 0;
}

int eraseTrackPressure(SongStore& song, int track) {
    eraseTrackWhere(song, track,
                    [](const SeqEvent& e) { return e.status == ST_POLY_PRESSURE || e.status == ST_CHANNEL_PRESSURE; });
    curTrackRec(song).used = 0;
    return 0;
}

// Copy a track's events (absolute ticks) and its settings (mode 1). Returns
// 0, ERR_PROGRAM for a track number without a record, or ERR_NO_MEMORY when
// the events do not fit.
int copyTrack(SongStore& song, int track) {
    TrackRecord* rec = trackRecord(song, track);
    if (!rec) return ERR_PROGRAM;
    const uint8_t t = uint8_t(track);
    int rc = fillClipboard(
        song, 0, song.seq->eventCount, CLIP_TRACK, uint32_t(song.lengthTicks), 127,
        [&](const SeqEvent& e) { return e.track == t; }, [](SeqEvent&) {});
    if (rc == 0) song.clipboard.trackSettings = *rec;
    return rc;
}

// Add the mode-1 clipboard's events to `track` and give it the copied
// settings. Returns 0, 1 for a track number without a record, 3 when an
// insert fails (the settings then stay), 16 when no sequence can be made.
int pasteTrack(SongStore& song, int track) {
    if (song.clipboard.mode != CLIP_TRACK || !trackRecord(song, track)) return 0;
    if (int err = ensureSequence(song)) return err;
    const uint8_t t = uint8_t(track);
    if (int rc = insertClipboardRecords(song, [&](SeqEvent& e) { e.track = t; })) return rc;
    *trackRecord(song, track) = song.clipboard.trackSettings;
    song.seq->modified = 1;
    return 0;
}

// ---- Pads -----------------------------------------------------------------------------

int erasePad(SongStore& song, int track, int note) {
    eraseTrackWhere(song, track, [&](const SeqEvent& e) {
        return (e.status == ST_NOTE || e.status == ST_POLY_PRESSURE) && e.data1 == note;
    });
    return 0;
}

int eraseAllPads(SongStore& song, int track) {
    eraseTrackWhere(song, track, [](const SeqEvent& e) { return e.status == ST_NOTE || e.status == ST_POLY_PRESSURE; });
    locateSongTick(song, 0);
    return 0;
}

// Copy every event of the track whose first data byte is the pad's note,
// whatever its kind (mode 2). Returns 0 or 3.
int copyPad(SongStore& song, int track, int note) {
    const uint8_t t = uint8_t(track);
    return fillClipboard(
        song, 0, song.seq->eventCount, CLIP_PAD, uint32_t(song.lengthTicks), 127,
        [&](const SeqEvent& e) { return e.track == t && e.data1 == note; }, [](SeqEvent&) {});
}

// Add the mode-2 clipboard to the track as the given note. Returns 0, 3 when
// an insert fails, 16 when no sequence can be made.
int pastePad(SongStore& song, int track, int note) {
    if (song.clipboard.mode != CLIP_PAD || note < 0 || note > 127) return 0;
    if (int err = ensureSequence(song)) return err;
    return insertClipboardRecords(song, [&](SeqEvent& e) {
        e.track = uint8_t(track);
        e.data1 = uint8_t(note);
    });
}

// ---- The grid's selection ----------------------------------------------------------------

// Copy the current track's notes inside the selected rectangle (mode 3),
// ticks relative to its left edge and notes to its lowest note. Returns 0
// (an empty rectangle leaves the clipboard alone) or 3.
int copySelection(SongStore& song) {
    const EventSelection& sel = song.selection;
    int32_t low = std::clamp(sel.lowNote, 0, 127), high = std::clamp(sel.highNote, 0, 127);
    if (sel.toTick <= sel.fromTick || high < low) return 0;
    const uint8_t t = uint8_t(song.currentTrack);
    const Tick from = sel.fromTick;
    return fillClipboard(
        song, firstEventAtTick(song.seq, from), firstEventAtTick(song.seq, sel.toTick), CLIP_NOTES,
        uint32_t(sel.toTick - from), uint32_t(high - low + 1),
        [&](const SeqEvent& e) { return e.status == ST_NOTE && e.track == t && e.data1 >= low && e.data1 <= high; },
        [&](SeqEvent& e) {
            e.time -= from;
            e.data1 = uint8_t(e.data1 - low);
        });
}

// Insert the mode-3 clipboard as notes of the current track at the target
// tick and note. The sequence grows to cover it, up to 999 bars; notes above
// 127 are left out. Returns 0; 3 when an insert fails; 12 when notes past bar
// 999 were left out; 16 when no sequence can be made.
int pasteSelection(SongStore& song) {
    const EditClipboard& c = song.clipboard;
    if (c.mode != CLIP_NOTES || c.count <= 0) return 0;
    if (int err = ensureSequence(song)) return err;
    const Tick target = std::max(0, song.selection.targetTick);
    const int32_t targetNote = song.selection.targetNote;
    const int64_t reach = int64_t(target) + c.length;
    if (reach > song.lengthTicks) {
        int64_t bars = (reach + TICKS_PER_BAR - 1) / TICKS_PER_BAR;
        setBars(song, int32_t(std::min<int64_t>(bars, MAX_BARS)));
    }
    const SeqEvent* clip = song.work->secondHalf();
    int rc = 0;
    for (int32_t k = 0; k < c.count; ++k) {
        const SeqEvent e = clip[k];
        int32_t note = targetNote + e.data1;
        if (note < 0 || note > 127) continue;
        int64_t t = int64_t(target) + e.time;
        if (t >= song.lengthTicks) {
            // Only when the 999-bar limit kept the sequence from growing.
            if (rc == 0) postError(song, ERR_CANNOT_INPUT);
            rc = ERR_CANNOT_INPUT;
            continue;
        }
        if (insertEvent(song, Tick(t), uint8_t(song.currentTrack), ST_NOTE, uint8_t(note), e.data2, e.value) < 0) {
            rc = ERR_NO_MEMORY;
            break;
        }
    }
    markDirty(song, DIRTY_ALL);
    return rc;
}

namespace {

// While playing, events are not removed under the tick's feet: they are
// flagged for the merge at the next stop. Returns how many were flagged.
template <class Pick>
int32_t flagForMerge(SongStore& song, Pick pick) {
    const EventSelection& sel = song.selection;
    int32_t n = 0;
    {
        EngineLockGuard lock(song.engineLock);
        SeqEvent* ev = seqEvents(song.seq);
        int32_t end = firstEventAtTick(song.seq, sel.toTick);
        for (int32_t i = firstEventAtTick(song.seq, sel.fromTick); i < end; ++i) {
            if (!pick(ev[i])) continue;
            ev[i].track |= TRACK_REMOVE_MARK;
            ++n;
        }
        song.erasePending = true;
    }
    locateSongTick(song, songPosition(song));
    return n;
}

}  // namespace

bool eraseSelection(SongStore& song) {
    const EventSelection& sel = song.selection;
    if (sel.toTick <= sel.fromTick) return false;
    const uint8_t cur = uint8_t(song.currentTrack);
    auto inRows = [&](const SeqEvent& e) { return e.data1 >= sel.lowNote && e.data1 <= sel.highNote; };
    if (songRunning(song)) {
        if (song.hooks.eraseRecorded)
            song.hooks.eraseRecorded(song, song.currentTrack, sel.fromTick, sel.toTick, sel.lowNote, sel.highNote);
        int32_t n =
            flagForMerge(song, [&](const SeqEvent& e) { return e.status == ST_NOTE && e.track == cur && inRows(e); });
        markDirty(song, DIRTY_ALL);
        return n > 0;
    }
    int32_t n = compactEvents(song, firstEventAtTick(song.seq, sel.fromTick), firstEventAtTick(song.seq, sel.toTick),
                              [&](const SeqEvent& e) {
                                  return (song.allTracks || e.track == cur) &&
                                         (e.status == ST_NOTE || e.status == ST_POLY_PRESSURE) && inRows(e);
                              });
    if (n > 0) markDirty(song, DIRTY_ALL);
    return n > 0;
}

// Erase the current track's events other than notes in the selected ticks.
// A non-zero status filter keeps to that kind, and with it a key of 0..127
// to that first data byte (controller number, key); a negative key means
// any. True when anything was erased (or flagged, while playing).
bool eraseSelectionOther(SongStore& song, uint8_t statusFilter, int key) {
    const EventSelection& sel = song.selection;
    if (sel.toTick <= sel.fromTick) return false;
    const uint8_t cur = uint8_t(song.currentTrack);
    auto pick = [&](const SeqEvent& e) {
        if (e.track != cur || e.status == ST_NOTE) return false;
        if (statusFilter == 0) return true;
        return e.status == statusFilter && (key < 0 || e.data1 == key);
    };
    int32_t n;
    if (songRunning(song))
        n = flagForMerge(song, pick);
    else
        n = compactEvents(song, firstEventAtTick(song.seq, sel.fromTick), firstEventAtTick(song.seq, sel.toTick), pick);
    if (n > 0) markDirty(song, DIRTY_ALL);
    return n > 0;
}

// ---- Start values for the mixer -----------------------------------------------------------

namespace {

// Rewrite the events of the first two bars that `pick` chooses with `set`.
template <class Pick, class Set>
void rewriteStartEvents(SongStore& song, Pick pick, Set set) {
    bool changed = false;
    {
        EngineLockGuard lock(song.engineLock);
        SeqEvent* ev = seqEvents(song.seq);
        for (int32_t i = 0; i < song.seq->eventCount && ev[i].time < 2 * TICKS_PER_BAR; ++i) {
            if (!pick(ev[i])) continue;
            set(ev[i]);
            changed = true;
        }
        if (changed) song.seq->modified = 1;
    }
    if (changed) markDirty(song, DIRTY_GRID_STEP);
}

}  // namespace

void setStartControllerValue(SongStore& song, int track, int controller, int value) {
    const uint8_t t = uint8_t(track);
    rewriteStartEvents(
        song, [&](const SeqEvent& e) { return e.track == t && e.status == ST_CONTROL && e.data1 == controller; },
        [&](SeqEvent& e) { e.data2 = uint8_t(std::clamp(value, 0, 127)); });
}

void setStartProgram(SongStore& song, int track, int program) {
    const uint8_t t = uint8_t(track);
    rewriteStartEvents(
        song, [&](const SeqEvent& e) { return e.track == t && e.status == ST_PROGRAM; },
        [&](SeqEvent& e) { e.data1 = uint8_t(std::clamp(program, 0, 127)); });
}

}  // namespace qz
