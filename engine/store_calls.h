// The engine operations the sequence store calls. They run on the window
// thread.
#pragma once

#include <cstdint>

#include "song/records.h"

namespace qz {

struct AppState;

// Stop the transport if it runs (closing notes and merging a recording).
void stopTransport(AppState& app);
// Move the song position (and the play pointer) to tick t, clamped to the
// sequence; the tempo follows the tempo events passed.
void locateTick(AppState& app, Tick t);
// Locate to bar b (clamped to 0..998 and the sequence end).
void locateBar(AppState& app, int32_t b);
// Send every track's set-up messages (bank, program, mixer values).
void sendAllTrackSetups(AppState& app);
// While running: remove notes of a track in a tick and note range from the
// recording note buffer.
void removeRecordedNotes(AppState& app, int track, Tick from, Tick to, int lowNote, int highNote);

}  // namespace qz
