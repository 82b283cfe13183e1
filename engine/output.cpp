// The output side of the MIDI ports: immediate sends, the queues drained one
// message per millisecond, long messages, the output monitor, resets and the
// track set-up messages.
#include <cstring>

#include "engine/engine.h"
#include "song/sequence_store.h"

namespace qz {

namespace {

constexpr uint8_t GS_RESET[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr uint8_t XG_RESET[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr uint8_t GM_RESET[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint32_t QUEUE_WAIT_MS = 3000;
constexpr uint32_t LONG_WAIT_MS = 1000;

int messageLength(uint8_t status) {
    if (status >= 0xF8) return 1;
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    if (status >= 0xF0) return 1;
    uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

// Hand the low bytes of a packed message to the platform.
void emit(Sequencer& app, int port, uint32_t packed) {
    const MidiOutput& out = app.engine.out;
    if (!out.sendShort) return;
    uint8_t bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
    out.sendShort(out.ctx, port, bytes, messageLength(bytes[0]));
}

// Log a channel message unless the monitor shows another channel.
void logChannelMessage(Sequencer& app, int port, uint32_t packed) {
    int32_t ch = app.engine.outMonitorChannel.load(std::memory_order_relaxed);
    if (ch != 0 && ch != int32_t(packed & 15) + 1) return;
    logOutput(app, (packed & 0xFFFFFF) | uint32_t(port & 0xFF) << 24);
}

uint32_t pack(int channel, uint8_t status, uint8_t d1, uint8_t d2) {
    return uint32_t(status | (channel & 15)) | uint32_t(d1 & 127) << 8 | uint32_t(d2 & 127) << 16;
}

}  // namespace

void logOutput(Sequencer& app, uint32_t packedWithPort) {
    EngineState& e = app.engine;
    uint32_t w = e.monitorWrite.load(std::memory_order_relaxed);
    e.monitor[w % MONITOR_SIZE].store(packedWithPort, std::memory_order_relaxed);
    // release: a reader that sees the new index sees the entry.
    e.monitorWrite.store(w + 1, std::memory_order_release);
    markDirty(app, DIRTY_OUT_MONITOR_LIST);
    // Queued and thru messages go out while the window may sleep.
    wakeWindow(app);
}

int outputPortFor(const Sequencer& app, int device) {
    if (settingLoad(app.settings.deviceByTrack) == 1) return device;
    return int(settingLoad(app.settings.masterDevice));
}

void sendTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2) {
    sendPortMessage(app, outputPortFor(app, device), channel, status, d1, d2);
}

void sendPortMessage(Sequencer& app, int port, int channel, uint8_t status, uint8_t d1, uint8_t d2) {
    uint32_t m = pack(channel, status, d1, d2);
    emit(app, port, m);
    logChannelMessage(app, port, m);
}

void sendClockMessage(Sequencer& app, uint8_t status, uint8_t d1, uint8_t d2) {
    uint32_t clockPort = settingLoad(app.settings.clockOutPort);
    if (clockPort == 0) return;
    int port = int(clockPort) - 1;
    uint32_t m = uint32_t(status) | uint32_t(d1 & 127) << 8 | uint32_t(d2 & 127) << 16;
    emit(app, port, m);
    if (status != 0xF8 || settingLoad(app.settings.showClockInMonitor)) logOutput(app, m | uint32_t(port) << 24);
}

void queueMessage(Sequencer& app, uint32_t packed) {
    EngineState& e = app.engine;
    for (uint32_t waited = 0;; ++waited) {
        if (ringTryPush(e.outQueue, packed)) {
            notifyEngine(app);
            return;
        }
        if (e.tickDriver.load(std::memory_order_acquire) == TICK_DRIVER_NONE) {
            // No tick drains the queue: the caller is the only thread and
            // sends the oldest message itself to make room.
            drainOneQueued(app);
            continue;
        }
        if (waited >= QUEUE_WAIT_MS) {
            e.outQueue.dropped.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        engineWait(app, 1);
    }
}

void queueTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2) {
    int port = outputPortFor(app, device);
    queueMessage(app, pack(channel, status, d1, d2) | uint32_t(port & 0xFF) << 24);
}

bool queueThruMessage(Sequencer& app, uint32_t packed) {
    if (!ringPush(app.engine.thruQueue, packed)) return false;
    notifyEngine(app);
    return true;
}

bool queueThruTrackMessage(Sequencer& app, int device, int channel, uint8_t status, uint8_t d1, uint8_t d2) {
    int port = outputPortFor(app, device);
    return queueThruMessage(app, pack(channel, status, d1, d2) | uint32_t(port & 0xFF) << 24);
}

bool drainOneQueued(Sequencer& app) {
    EngineState& e = app.engine;
    uint32_t m = 0;
    if (!ringPop(e.thruQueue, m) && !ringPop(e.outQueue, m)) return false;
    int port = int(m >> 24);
    emit(app, port, m);
    logChannelMessage(app, port, m);
    return true;
}

void sendPendingLong(Sequencer& app) {
    EngineState& e = app.engine;
    int32_t p = e.longPort.load(std::memory_order_acquire);
    if (p == 0) return;
    int result = e.out.sendLong ? e.out.sendLong(e.out.ctx, p - 1, e.longBytes, e.longLength) : 0;
    e.longResult.store(result, std::memory_order_relaxed);
    // release: the result is stored before the slot is freed.
    e.longPort.store(0, std::memory_order_release);
}

int sendLongMessage(Sequencer& app, int port, const uint8_t* bytes, int length) {
    EngineState& e = app.engine;
    if (length <= 0 || length > LONG_MESSAGE_MAX || port < 0) return 0;
    if (e.tickDriver.load(std::memory_order_acquire) == TICK_DRIVER_NONE)
        return e.out.sendLong ? e.out.sendLong(e.out.ctx, port, bytes, length) : 0;
    uint32_t waited = 0;
    // The slot is free once the tick has sent the previous message.
    while (e.longPort.load(std::memory_order_acquire) != 0) {
        if (waited++ >= LONG_WAIT_MS) return 0;
        engineWait(app, 1);
    }
    std::memcpy(e.longBytes, bytes, size_t(length));
    e.longLength = length;
    e.longResult.store(0, std::memory_order_relaxed);
    e.longPort.store(port + 1, std::memory_order_release);
    notifyEngine(app);
    while (e.longPort.load(std::memory_order_acquire) != 0) {
        if (waited++ >= LONG_WAIT_MS) return 0;
        engineWait(app, 1);
    }
    return e.longResult.load(std::memory_order_relaxed);
}

void allNotesOffPort(Sequencer& app, int port) {
    for (int c = 0; c < 16; ++c) queueMessage(app, pack(c, 0xB0, 123, 0) | uint32_t(port & 0xFF) << 24);
}

void allNotesOffEverywhere(Sequencer& app) {
    for (int port = 0; port < app.engine.outPortCount; ++port) {
        for (int c = 0; c < 16; ++c) {
            queueMessage(app, pack(c, 0xB0, 123, 0) | uint32_t(port) << 24);
            queueMessage(app, pack(c, 0xB0, 121, 0) | uint32_t(port) << 24);
        }
        engineWait(app, 32);
    }
    // Held keys would otherwise go on repeating (NOTE REPEAT) and stay lit.
    clearHeldKeys(app);
}

void resetPort(Sequencer& app, int port) {
    if (port < 0 || port >= OUT_PORTS) return;
    uint32_t mode = settingLoad(app.settings.resetMode[port]);
    if (mode == 1)
        sendLongMessage(app, port, GS_RESET, int(sizeof GS_RESET));
    else if (mode == 2)
        sendLongMessage(app, port, XG_RESET, int(sizeof XG_RESET));
    else
        sendLongMessage(app, port, GM_RESET, int(sizeof GM_RESET));
}

void resetAllPorts(Sequencer& app) {
    for (int port = 0; port < app.engine.outPortCount && port < OUT_PORTS; ++port) resetPort(app, port);
}

void gsRhythmPartMessage(int channel, bool drum, uint8_t out[11]) {
    channel &= 15;
    uint8_t part = channel <= 8 ? uint8_t(channel + 1) : channel == 9 ? 0 : uint8_t(channel);
    uint8_t addr[3] = {0x40, uint8_t(0x10 | part), 0x15};
    uint8_t value = drum ? 2 : 0;
    int sum = addr[0] + addr[1] + addr[2] + value;
    uint8_t check = uint8_t((128 - sum % 128) % 128);
    const uint8_t msg[11] = {0xF0, 0x41, 0x10, 0x42, 0x12, addr[0], addr[1], addr[2], value, check, 0xF7};
    std::memcpy(out, msg, sizeof msg);
}

void sendBankAndProgram(Sequencer& app, int track) {
    if (!app.seq || track < 0 || track >= TRACK_RECORDS) return;
    const TrackRecord& r = app.seq->tracks[track];
    int port = outputPortFor(app, r.device);
    int c = r.channel & 15;
    bool xg = port >= 0 && port < OUT_PORTS && settingLoad(app.settings.resetMode[port]) == 2;
    uint8_t msb = xg && (r.drumPart || c == 9) ? 127 : r.bankMsb;
    queueTrackMessage(app, r.device, c, 0xB0, 0, msb);
    queueTrackMessage(app, r.device, c, 0xB0, 32, r.bankLsb);
    queueTrackMessage(app, r.device, c, 0xC0, r.program, 0);
}

void sendTrackSetup(Sequencer& app, int track) {
    if (!app.seq || track < 0 || track >= TRACK_RECORDS) return;
    const TrackRecord& r = app.seq->tracks[track];
    int port = outputPortFor(app, r.device);
    int c = r.channel & 15;
    if (port >= 0 && port < OUT_PORTS && settingLoad(app.settings.resetMode[port]) == 1 && c != 9) {
        uint8_t msg[11];
        gsRhythmPartMessage(c, r.drumPart != 0, msg);
        sendLongMessage(app, port, msg, 11);
        postEngineCommand(app, r.drumPart ? CMD_MONITOR_GS_DRUM : CMD_MONITOR_GS_PART);
    }
    queueTrackMessage(app, r.device, c, 0xB0, 121, 0);
    sendBankAndProgram(app, track);
    queueTrackMessage(app, r.device, c, 0xB0, 7, r.volume);
    queueTrackMessage(app, r.device, c, 0xB0, 10, r.pan);
    queueTrackMessage(app, r.device, c, 0xB0, 91, r.reverb);
    queueTrackMessage(app, r.device, c, 0xB0, 93, r.chorus);
    engineWait(app, 10);
}

void sendAllTrackSetups(Sequencer& app) {
    if (!app.seq) return;
    bool seen[10][16] = {};
    for (int t = 1; t <= USER_TRACKS; ++t) {
        const TrackRecord& r = app.seq->tracks[t];
        int port = outputPortFor(app, r.device);
        int c = r.channel & 15;
        if (port < 0 || port > 9) continue;
        if (seen[port][c]) continue;
        seen[port][c] = true;
        sendTrackSetup(app, t);
    }
    markDirty(app, DIRTY_TRACK_MESSAGES);
}

namespace {

void audition(Sequencer& app, int track, uint8_t velocity) {
    if (!app.seq || track < 0 || track >= TRACK_RECORDS) return;
    const TrackRecord& r = app.seq->tracks[track];
    queueTrackMessage(app, r.device, r.channel & 15, 0x90, uint8_t(auditionNote(app, track)), velocity);
}

}  // namespace

int auditionNote(const Sequencer& app, int track) {
    if (!app.seq || track < 0 || track >= TRACK_RECORDS) return 60;
    const TrackRecord& r = app.seq->tracks[track];
    int port = outputPortFor(app, r.device);
    bool drumPort = port >= 0 && port < OUT_PORTS && settingLoad(app.settings.resetMode[port]) != 0;
    return (r.channel & 15) == 9 || (r.drumPart && drumPort) ? 47 : 60;
}

void auditionOn(Sequencer& app, int track) {
    audition(app, track, 127);
}
void auditionOff(Sequencer& app, int track) {
    audition(app, track, 0);
}

}  // namespace qz
