// The store's calls of its hooks (internal to song/): each does nothing, or
// answers as a store without an engine would, when its hook is empty.
#pragma once

#include "song/song_store.h"

namespace qz {

// Under the engine lock: the current events were rebuilt wholesale.
inline void notifyEventsReplaced(SongStore& song) {
    if (song.hooks.eventsReplaced) song.hooks.eventsReplaced(song);
}
// Under the engine lock: the engine lets go of the current sequence.
inline void notifyDetachSequence(SongStore& song) {
    if (song.hooks.detachSequence) song.hooks.detachSequence(song);
}
inline Tick songPosition(const SongStore& song) {
    return song.hooks.position ? song.hooks.position(song) : 0;
}
inline void locateSongTick(SongStore& song, Tick t) {
    if (song.hooks.locateTick) song.hooks.locateTick(song, t);
}
inline void locateSongBar(SongStore& song, int32_t bar) {
    if (song.hooks.locateBar) song.hooks.locateBar(song, bar);
}
inline bool songRunning(const SongStore& song) {
    return song.hooks.running && song.hooks.running(song);
}
inline uint32_t songTickNow(const SongStore& song) {
    return song.hooks.tickNow ? song.hooks.tickNow(song) : 0;
}

}  // namespace qz
