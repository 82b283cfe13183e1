// The texts of the error numbers, as the message box and the command-line
// tool show them.
#include "song/song_store.h"

namespace qz {

const char* errorText(int code) {
    switch (code) {
        case 0: return "";
        case 1: return "Program error !!";
        case 3: return "Insufficient Memory !!";
        case 4: return "Can not file open !!";
        case 5: return "File too big !!";
        case 6: return "File read error !!";
        case 7: return "File save error !!";
        case 8: return "This MID file has bloken !!";
        case 9: return "Sequence room is full !!";
        case 10: return "Not Sequence file !!";
        case 11: return "File name exist !!";
        case 12: return "Sorry It cannot input any more !!";
        case 16: return "Create sequence bug !!";
        case 17: return "Create MIDI sequence bug !!";
        case 18: return "Delete sequence bug !!";
        case 19: return "Delete all sequence bug !!";
        default: return "Error operation bug !!";
    }
}

}  // namespace qz
