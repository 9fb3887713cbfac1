// Opens arbitrary bytes as a table file with a companion and a repetition
// file, loads recordings, stores one and saves the table again; then streams
// the same bytes as a recording and compares with reading them whole. File
// errors are expected; crashes, memory faults and a save that does not
// reproduce the loaded records and repetitions are not. The repetition file's
// decoder also gets the bytes directly: whatever it accepts must encode to the
// same bytes.

#include "engine/FileError.h"
#include "engine/RecordCodec.h"
#include "engine/RepetitionSidecar.h"
#include "engine/TVREngine32.h"
#include "engine/WavFile.h"
#include "FuzzInput.h"

#include <array>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace larkspur;

namespace {

std::string g_folder;  // one scratch folder for the whole run

void writeFile(const std::string& path, std::span<const uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<RecordBytes> encodedTable(const TVREngine32& engine)
{
    std::vector<RecordBytes> records;
    for (int slot = 1; slot <= kMaxVoiceCommands; ++slot)
        if (const VoiceCommandRecord* record = engine.table().record(slot))
            records.push_back(encodeRecord(*record));
    return records;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "larkspur-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    g_folder = pattern;
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::TableInput input = fuzz::splitInput({data, size});
    const std::string table = g_folder + "/in.EAR";
    const std::string companion = g_folder + "/in.LK+";
    const std::string saved = g_folder + "/out.EAR";
    const std::string repetitions = g_folder + "/in.LKX";
    writeFile(table, input.table);
    if (input.hasRepetitions) {
        writeFile(repetitions, input.repetitions);
        if (const auto decoded = DecodeRepetitionFile(input.repetitions)) {
            const std::vector<uint8_t> again = EncodeRepetitionFile(*decoded);
            if (!std::equal(again.begin(), again.end(), input.repetitions.begin(), input.repetitions.end()))
                __builtin_trap();
        }
    } else {
        std::remove(repetitions.c_str());
    }
    std::remove((g_folder + "/out.LKX").c_str());
    if (input.hasCompanion)
        writeFile(companion, input.companion);
    else
        std::remove(companion.c_str());
    std::remove(saved.c_str());

    TVREngine32 engine{EnginePlatform{.sampleStorePath = g_folder + "/store.tmp"}};
    engine.setTableName("COMMAND LINE");
    engine.setFileName(table);
    bool opened = false;
    try {
        engine.OpenTable();
        opened = true;
    } catch (const EInOutError&) {
    }
    for (int slot : {1, 2, 3, 512}) {
        try {
            engine.LoadSample(slot);
        } catch (const EInOutError&) {
        }
    }
    try {
        engine.StoreSample(2);
    } catch (const EInOutError&) {
    }

    engine.setTableName("out.EAR");
    engine.setFileName(saved);
    bool wrote = false;
    try {
        engine.SaveTable();
        wrote = true;
    } catch (const EInOutError&) {
    }

    if (opened && wrote && engine.table().record(1)) {
        // What was loaded must come back unchanged.
        TVREngine32 again{EnginePlatform{.sampleStorePath = g_folder + "/again.tmp"}};
        again.setTableName("COMMAND LINE");
        again.setFileName(saved);
        again.setShowMessages(false);
        again.OpenTable();
        if (encodedTable(again) != encodedTable(engine))
            __builtin_trap();
        if (again.enhancedMatcher().repetitionsFor(again.table()) != engine.enhancedMatcher().repetitionsFor(engine.table()))
            __builtin_trap();
    }

    // The same bytes as a recording: the streaming reader must accept exactly
    // what the whole-image parser accepts and deliver the same samples.
    const std::string wav = g_folder + "/in.wav";
    writeFile(wav, {data, size});
    std::string streamError, wholeError;
    auto reader = WavReader::open(wav, streamError);
    const auto whole = loadCaptureSamples(wav, wholeError);
    if (bool(reader) != bool(whole))
        __builtin_trap();
    if (reader) {
        std::vector<uint8_t> streamed;
        std::array<uint8_t, 1320> block{};
        while (const std::size_t n = reader->read(block))
            streamed.insert(streamed.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
        if (streamed != *whole)
            __builtin_trap();
    } else if (streamError != wholeError) {
        __builtin_trap();
    }
    return 0;
}
