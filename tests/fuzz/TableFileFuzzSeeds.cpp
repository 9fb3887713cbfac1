// Writes well-formed starting inputs for table_file_fuzzer into a folder.

#include "engine/RecordCodec.h"
#include "engine/RepetitionSidecar.h"
#include "FuzzInput.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace larkspur;

namespace {

void writeSeed(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

VoiceCommandRecord record(int n, bool trained)
{
    VoiceCommandRecord r;
    r.phrase = "command " + std::to_string(n);
    r.action = "{ENTER}";
    r.trained = trained ? 1 : 0;
    r.samples[0].present = r.trained;
    r.samples[0].frameCount = 7;
    return r;
}

std::vector<uint8_t> audio(int n)
{
    std::vector<uint8_t> a(n);
    for (int i = 0; i < n; ++i)
        a[i] = static_cast<uint8_t>(128 + (i % 40) - 20);
    return a;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<uint8_t> table;
    std::vector<uint8_t> companion;
    for (int n = 1; n <= 3; ++n) {
        const RecordBytes r = encodeRecord(record(n, n != 2));
        table.insert(table.end(), r.begin(), r.end());
        const SampleRecordBytes s = encodeSampleRecord(audio(n == 3 ? 0 : 1540 * n));
        companion.insert(companion.end(), s.begin(), s.end());
    }
    writeSeed(folder + "/three-records", fuzz::joinInput(true, table, companion));
    writeSeed(folder + "/no-companion", fuzz::joinInput(false, table, {}));
    writeSeed(folder + "/short-companion",
              fuzz::joinInput(true, std::span(table).first(2 * kRecordSize), std::span(companion).first(13234 + 10)));
    writeSeed(folder + "/cut-record", fuzz::joinInput(true, std::span(table).first(kRecordSize + 500), companion));
    writeSeed(folder + "/empty", fuzz::joinInput(true, {}, {}));
    {
        // A repetition for the first sample of the first record, and one for nothing.
        const VoiceCommandRecord first = decodeRecord(std::span(table).first<kRecordSize>());
        const std::vector<uint8_t> reps = EncodeRepetitionFile(
            {{SampleFingerprint(first.samples[0]), std::vector<uint8_t>(3000, 140)}, {1, std::vector<uint8_t>(5, 9)}});
        writeSeed(folder + "/repetitions", fuzz::joinInput(true, table, companion, reps));
    }
    return 0;
}
