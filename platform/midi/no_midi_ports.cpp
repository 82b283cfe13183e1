// The MIDI ports of a build configured without them (-DQZ_WITH_MIDI_PORTS=OFF):
// no system, no ports. The program runs and plays to nothing; every command
// that needs a port says that none is available.
#include "platform/midi/midi_ports.h"

namespace qz {

std::string listMidiPorts(std::vector<std::string>& ins, std::vector<std::string>& outs, std::string& messages) {
    ins.clear();
    outs.clear();
    messages += "built without MIDI ports (QZ_WITH_MIDI_PORTS=OFF)\n";
    return "";
}

int openMidiPorts(MidiPortSet& set, const char*, MidiInputSink sink, std::string& messages) {
    set.sink = sink;
    set.outCount = set.inCount = 0;
    messages += "built without MIDI ports (QZ_WITH_MIDI_PORTS=OFF)\n";
    return 0;
}

void closeMidiPorts(MidiPortSet& set) { set.outCount = set.inCount = 0; }

MidiOutput midiPortsOutput(MidiPortSet& set) {
    MidiOutput out;
    out.ctx = &set;
    out.sendShort = [](void*, int, const uint8_t*, int) {};
    out.sendLong = [](void*, int, const uint8_t*, int) { return 0; };
    return out;
}

}  // namespace qz
