// larkspur-cli dump: a table file as JSON; larkspur-cli devices: capture devices.

#include "cli/Commands.h"
#include "cli/CommandLine.h"
#include "cli/Json.h"
#include "cli/TableAccess.h"
#include "engine/AlsaDeviceList.h"
#include "engine/TVREngine32.h"

#include <ostream>

namespace larkspur::cli {

int dumpCommand(const Args& argv, std::ostream& out, std::ostream& err)
{
    const CommandLine args(argv, {}, {});
    if (args.positional().size() != 1)
        throw UsageError("dump takes one table file");
    const std::string& path = args.positional()[0];
    if (!TVREngine32::FileExists(path)) {
        err << "Cannot read the table " << path << ".\n";
        return 1;
    }
    TVREngine32 engine;
    engine.setShowMessages(false);  // a missing companion does not matter here
    openTableFile(engine, path);

    out << "{\"file\":" << jsonString(path) << ",\"records\":[";
    const char* separator = "\n";
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot) {
        const VoiceCommandRecord* record = engine.table().record(slot);
        if (!record)
            continue;
        out << separator << "{\"slot\":" << slot << ",\"phrase\":" << jsonString(record->phrase)
            << ",\"action\":" << jsonString(record->action) << ",\"trained\":" << (record->trained ? "true" : "false")
            << ",\"samples\":[";
        for (int k = 0; k < kSamplesPerCommand; ++k) {
            const SampleTemplate& sample = record->samples[k];
            out << (k ? "," : "") << "{\"present\":" << (sample.present ? "true" : "false")
                << ",\"frames\":" << int(sample.frameCount) << ",\"energy\":" << sample.meanEnergy << "}";
        }
        out << "]}";
        separator = ",\n";
    }
    out << "\n]}\n";
    return 0;
}

int devicesCommand(const Args& argv, std::ostream& out, std::ostream& err)
{
    const CommandLine args(argv, {}, {});
    const auto devices = listCaptureDevices();
    if (devices.empty()) {
        err << "No capture devices found.\n";
        return 1;
    }
    for (const auto& device : devices)
        out << device.name << '\t' << device.description << '\n';
    return 0;
}

} // namespace larkspur::cli
