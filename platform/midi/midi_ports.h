// MIDI ports over RtMidi: ALSA first on Linux, JACK when the ALSA sequencer
// is missing; WinMM on Windows; CoreMIDI on macOS. No exception leaves this
// layer: a port that fails to open stays closed and says why.
#pragma once

#include <string>
#include <vector>

#include "engine/doors.h"

namespace qz {

struct MidiPortSet {
    void* outs[PLATFORM_MAX_OUT_PORTS] = {};  // RtMidiOut, null when not open
    char outNames[PLATFORM_MAX_OUT_PORTS][PLATFORM_PORT_NAME] = {};
    int outCount = 0;
    void* ins[PLATFORM_MAX_IN_PORTS] = {};  // RtMidiIn, null when not open
    char inNames[PLATFORM_MAX_IN_PORTS][PLATFORM_PORT_NAME] = {};
    int inCount = 0;
    char apiName[16] = {};
    MidiInputSink sink{};
    // What each input callback is given: the set and its port index.
    struct InputContext {
        MidiPortSet* set = nullptr;
        int port = 0;
    };
    InputContext inContext[PLATFORM_MAX_IN_PORTS] = {};
};

// Open up to 9 outputs and 8 inputs, in the system's order, on the first MIDI
// system that works. Lines explaining each failure are appended to
// `messages`. Returns the number of output ports listed.
int openMidiPorts(MidiPortSet& ports, const char* clientName, MidiInputSink sink, std::string& messages);
// Close every opened port.
void closeMidiPorts(MidiPortSet& ports);
// The output table that sends into the opened ports.
MidiOutput midiPortsOutput(MidiPortSet& ports);
// The names of the available input and output ports, without opening them.
// Returns the name of the MIDI system used ("" when none works).
std::string listMidiPorts(std::vector<std::string>& ins, std::vector<std::string>& outs, std::string& messages);

}  // namespace qz
