// Any bytes either read as a MIDI file whose events are in time order within its length,
// or are refused with MidiFileError; nothing else may happen.
#include "midi/midifile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        const MidiFile file =
            MidiFile::parse(std::string_view(reinterpret_cast<const char *>(data), size));
        std::int64_t last = 0;
        for (const MidiEvent &event : file.events()) {
            if (event.timeUs < last || event.timeUs > file.lengthUs())
                std::abort();
            last = event.timeUs;
            if (event.status == 0xF0 && file.sysex(event).size() != event.sysexLength)
                std::abort();
            if (event.status < 0x80 || event.data1 > 0x7F || event.data2 > 0x7F)
                std::abort();
        }
        if (file.lengthMs() < 0)
            std::abort();
    } catch (const MidiFileError &) {
    }
    return 0;
}
