// larkspur-cli train: adds one voice command to a table and trains it from a recording.

#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/TableAccess.h"
#include "engine/TVREngine32.h"

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
    const std::string phrase = args.required("phrase");
    const std::string action = args.required("action");
    const int accuracy = args.integer("accuracy", kDefaultAccuracy, 0, 100);
    const MatcherKind matcher = matcherOption(args);
    if (phrase.empty())
        throw UsageError("the phrase must not be empty");
    if (phrase.size() > 255 || action.size() > 255)
        throw UsageError("phrase and action hold at most 255 characters");

    EngineSession session(args, out);
    TVREngine32& engine = session.engine();

    if (TVREngine32::FileExists(tablePath))
        openTableFile(engine, tablePath);

    int slot = 0;
    for (int s = 1; s <= kMaxVoiceCommands; ++s) {
        const VoiceCommandRecord* record = engine.table().record(s);
        const std::string existing = record ? record->phrase : std::string();
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

    saveTableFile(engine, tablePath);
    return presentSamples(engine, slot) == kSamplesPerCommand ? 0 : 1;
}

} // namespace larkspur::cli
