// larkspur-cli train: adds one voice command to a table and trains it from a recording.

#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/TableAccess.h"
#include "engine/TVREngine32.h"
#include "engine/TableLock.h"
#include "engine/TextEncoding.h"

#include <ostream>

namespace larkspur::cli {

namespace {

constexpr int kDefaultAccuracy = 15;  // the main window's value

int presentSamples(const TVREngine32& engine, int slot)
{
    const VoiceCommandRecord* record = engine.table().record(slot);
    int n = 0;
    if (record)
        for (const auto& sample : record->samples)
            n += sample.present ? 1 : 0;
    return n;
}

} // namespace

int trainCommand(const Args& argv, std::ostream& out, std::ostream& err)
{
    const CommandLine args(argv, {"table", "phrase", "action", "input", "device", "accuracy", "matcher"}, {"realtime"});
    const std::string tablePath = args.required("table");
    // New table text is UTF-8; an argument in another encoding is read as
    // Windows-1252, like the text of older tables.
    const std::string phrase = tableTextToUtf8(args.required("phrase"));
    const std::string action = tableTextToUtf8(args.required("action"));
    const int accuracy = args.integer("accuracy", kDefaultAccuracy, 0, 100);
    const MatcherKind matcher = matcherOption(args);
    if (phrase.empty())
        throw UsageError("the phrase must not be empty");
    // A record holds 255 bytes; a longer text is refused rather than cut, so
    // the phrase the user hears back is the one they typed.
    if (phrase.size() > kMaxTableTextBytes || action.size() > kMaxTableTextBytes)
        throw UsageError("phrase and action hold at most 255 bytes of UTF-8 text");

    EngineSession session(args, out);
    TVREngine32& engine = session.engine();
    if (!TVREngine32::FileExists(engine.sampleStorePath())) {
        // The engine has said why; training now would save a table whose
        // recordings are lost.
        err << "The recordings cannot be kept, so nothing was trained; the table was left as it was.\n";
        return 1;
    }

    // Held until the table is saved, so a second train into the same table
    // waits instead of overwriting this one's voice command.
    const TableLock lock(tablePath, TableLock::defaultWait());
    if (!lock.createdTable() && TVREngine32::FileExists(tablePath))
        openTableFile(engine, tablePath);

    int slot = 0;
    for (int s = 1; s <= kMaxVoiceCommands; ++s) {
        const VoiceCommandRecord* record = engine.table().record(s);
        const std::string existing = record ? tableTextToUtf8(record->phrase) : std::string();
        if (existing == phrase) {
            err << "The table already has a voice command \"" << phrase << "\" (slot " << s << ").\n";
            return 2;
        }
        if (existing.empty() && slot == 0)
            slot = s;
    }
    if (slot == 0) {
        err << "The table is full: it already holds " << kMaxVoiceCommands << " voice commands.\n";
        return 2;
    }

    if (!engine.Initialize()) {
        err << kCalibrationFailed << '\n';
        return 3;
    }

    engine.setVCRecord(slot);
    engine.setVoiceCommand(phrase);
    engine.setCommandString(action);
    engine.setVCTrained(false);
    engine.UpdateVCRecord();
    for (int k = 1; k <= kSamplesPerCommand; ++k)
        engine.SetSampleTrained(k, 0);
    engine.setAccuracy(accuracy);
    engine.setMatcher(matcher);
    engine.Train();

    const int heard = presentSamples(engine, slot);
    if (heard < kSamplesPerCommand) {
        // A half-trained record would make the next attempt a "duplicate".
        err << "Training \"" << phrase << "\" failed: heard " << heard << " of the " << kSamplesPerCommand
            << " repetitions needed; the table was left as it was.\n";
        return 1;
    }
    saveTableFile(engine, tablePath);
    return 0;
}

} // namespace larkspur::cli
