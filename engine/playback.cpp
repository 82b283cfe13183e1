// Playback of the current sequence and the table of sounding notes. Runs on
// the thread that drives the tick.
#include <algorithm>

#include "engine/engine.h"

namespace qz {

namespace {

void noteOff(Sequencer& app, const RunningNote& n) {
    sendTrackMessage(app, int(n.device), int(n.channel), 0x90, uint8_t(n.note), 0);
}

}  // namespace

void playDueEvents(Sequencer& app) {
    EngineState& e = app.engine;
    Sequence* s = app.seq;
    if (!s) return;
    SeqEvent* ev = seqEvents(s);
    int32_t n = s->eventCount;
    int32_t pos = e.position.load(std::memory_order_relaxed);
    bool replacing = e.recordMode.load(std::memory_order_relaxed) == RECORD_REC && e.playing.load(std::memory_order_relaxed);
    int32_t cur = app.currentTrack;
    int32_t padSolo = e.padSolo.load(std::memory_order_relaxed);
    bool solo = e.soloMode.load(std::memory_order_relaxed) != 0;
    while (app.playIndex < n && ev[app.playIndex].time <= pos) {
        SeqEvent& x = ev[app.playIndex++];
        if (x.track >= PLAYED_TRACKS) continue;  // marked for removal, or no track
        if (replacing && (x.track == cur || app.allTracks)) {
            // REC replaces what it passes over: the merge removes it.
            x.track |= TRACK_REMOVE_MARK;
            continue;
        }
        if (x.track == TEMPO_TRACK) {
            if (x.status == ST_TEMPO) {
                loadTempoInTick(app, repairTempoEvent(x));
                e.tickInQuarter = pos % TICKS_PER_QUARTER;
                markDirty(app, DIRTY_TEMPO);
            }
        } else {
            bool plays;
            if (x.track == cur && padSolo != 0)
                plays = x.data1 == padSolo - 1;
            else if (!solo)
                plays = trackByteLoad(s->tracks[x.track].mute) == 0;
            else
                plays = x.track == cur;
            if (plays) playEvent(app, x);
        }
        e.trackActivity[x.track].store(LAMP_FRAMES, std::memory_order_relaxed);
    }
}

void playEvent(Sequencer& app, const SeqEvent& x) {
    EngineState& e = app.engine;
    int track = x.track & 0x7F;
    if (!app.seq || track >= TRACK_RECORDS) return;
    const TrackRecord& r = app.seq->tracks[track];
    int p = r.device;
    int c = r.channel & 15;
    switch (x.status) {
    case ST_NOTE: {
        int k = x.data1 & 127;
        if (r.type == TRACK_TYPE_DRUM && r.noteMute[k]) return;
        int n = r.noteMap[k] & 127;
        if (e.sounding[c][n]) {
            // The same note again on the channel: end the old one first, once.
            bool found = false;
            for (int i = 0; i < e.runningHigh; ++i) {
                RunningNote& rn = e.running[i];
                if (rn.remaining != 0 && rn.note == uint32_t(n) && rn.channel == uint32_t(c) && rn.device == uint32_t(p))
                    found = true;
            }
            if (found)
                cancelRunningNote(app, uint32_t(n), uint32_t(c), uint32_t(p));
            else
                sendTrackMessage(app, p, c, 0x90, uint8_t(n), 0);
        }
        e.sounding[c][n] = 1;
        sendTrackMessage(app, p, c, 0x90, uint8_t(n), x.data2);
        // An open note (still held while recording) sounds until its note-off.
        uint32_t duration = isOpenNote(x) ? 0 : x.value;
        addRunningNote(app, duration, uint32_t(n), uint32_t(c), uint32_t(p), uint32_t(track));
        break;
    }
    case ST_NOTE_OFF:
        // The note-on sounded the mapped note; its release must find that one.
        releaseRunningNote(app, uint32_t(track), uint32_t(r.noteMap[x.data1 & 127] & 127));
        break;
    case ST_CONTROL:
        // Bank select reaches the device only through the track set-up.
        if (x.data1 != 0 && x.data1 != 32) sendTrackMessage(app, p, c, 0xB0, x.data1, x.data2);
        break;
    case ST_PROGRAM:
    case ST_CHANNEL_PRESSURE:
        sendTrackMessage(app, p, c, x.status, x.data1 & 127, 0);
        break;
    case ST_PITCH_BEND:
        sendTrackMessage(app, p, c, 0xE0, x.data1 & 127, x.data2);
        break;
    default:
        break;
    }
}

void addRunningNote(Sequencer& app, uint32_t duration, uint32_t note, uint32_t channel, uint32_t device,
                    uint32_t track) {
    EngineState& e = app.engine;
    int32_t remaining = duration == 0 || duration > uint32_t(RUNNING_HELD) ? RUNNING_HELD : int32_t(duration);
    int i = 0;
    int victim = 0;
    while (i < RUNNING_NOTES && e.running[i].remaining != 0) {
        if (e.running[i].remaining < 0xFFFFFF) victim = i;
        ++i;
    }
    if (i == RUNNING_NOTES) {
        // Full: a note that is not held ends early to make room.
        RunningNote& v = e.running[victim];
        noteOff(app, v);
        e.sounding[v.channel & 15][v.note & 127] = 0;
        ++e.notesStolen;
        i = victim;
    }
    e.running[i] = RunningNote{remaining, note, channel, device, track};
    e.runningHigh = std::max(e.runningHigh, i + 1);
}

void runningNotesStep(Sequencer& app, int32_t n) {
    EngineState& e = app.engine;
    int high = 0;
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        if (rn.remaining == 0) continue;
        rn.remaining -= n;
        if (rn.remaining < 1) {
            rn.remaining = 0;
            noteOff(app, rn);
            e.sounding[rn.channel & 15][rn.note & 127] = 0;
        } else {
            high = i + 1;
        }
    }
    e.runningHigh = high;
}

void releaseRunningNote(Sequencer& app, uint32_t track, uint32_t note) {
    EngineState& e = app.engine;
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        if (rn.remaining != 0 && rn.track == track && rn.note == note) {
            rn.remaining = 1;  // its note-off goes out on the next tick
            return;
        }
    }
}

void endRunningNote(Sequencer& app, uint32_t track, uint32_t note) {
    EngineState& e = app.engine;
    track &= 0x7F;
    if (!app.seq || track >= uint32_t(TRACK_RECORDS)) return;
    // The note-on sounded the mapped note.
    note = app.seq->tracks[track].noteMap[note & 127] & 127;
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        if (rn.remaining != 0 && rn.track == track && rn.note == note) {
            rn.remaining = 0;
            noteOff(app, rn);
            e.sounding[rn.channel & 15][rn.note & 127] = 0;
            return;
        }
    }
}

void cancelRunningNote(Sequencer& app, uint32_t note, uint32_t channel, uint32_t device) {
    EngineState& e = app.engine;
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        if (rn.remaining != 0 && rn.note == note && rn.channel == channel && rn.device == device) {
            rn.remaining = 0;
            noteOff(app, rn);
        }
    }
}

void allRunningNotesOff(Sequencer& app) {
    EngineState& e = app.engine;
    for (int i = 0; i < e.runningHigh; ++i) {
        RunningNote& rn = e.running[i];
        if (rn.remaining != 0) {
            rn.remaining = 0;
            noteOff(app, rn);
        }
    }
    e.runningHigh = 0;
}

}  // namespace qz
