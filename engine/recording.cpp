// The recording steps of the tick. Recording itself (the input ring, the
// note and event buffers, note repeat and the live queue) is filled in by
// the recording work; until then these steps have nothing to do.
#include "engine/engine.h"

namespace qz {

void takeInput(AppState&) {}
void playRecorded(AppState&) {}
void noteRepeatStep(AppState&) {}
void liveQueueStep(AppState&) {}
void removeRecordedNotes(AppState&, int, Tick, Tick, int, int) {}

}  // namespace qz
