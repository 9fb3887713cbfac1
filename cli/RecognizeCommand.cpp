// larkspur-cli recognize: listens to a recording (or a microphone) with a table
// and prints one JSON line for every utterance that was matched against it.

#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/TableAccess.h"
#include "engine/TVREngine32.h"

#include <ostream>

namespace larkspur::cli {

int recognizeCommand(const Args& argv, std::ostream& out, std::ostream& err)
{
    const CommandLine args(argv, {"table", "input", "device", "accuracy", "matcher"}, {"realtime"});
    const std::string tablePath = args.required("table");
    const int accuracy = args.integer("accuracy", 15, 0, 100);
    const MatcherKind matcher = matcherOption(args);
    if (!TVREngine32::FileExists(tablePath)) {
        err << "Cannot read the table " << tablePath << ".\n";
        return 1;
    }

    EngineSession session(args, err);
    TVREngine32& engine = session.engine();
    engine.setAccuracy(accuracy);
    engine.setMatcher(matcher);
    openTableFile(engine, tablePath);

    if (const int failed = prepareToListen(engine, err))
        return failed;

    int utterance = 0;
    engine.OnUtteranceMatched = [&](const UtteranceReport& report) {
        out << "{\"utterance\":" << ++utterance << ",\"start\":" << report.streamStart
            << ",\"length\":" << report.length << ",\"slot\":" << report.match.slot
            << ",\"phrase\":" << jsonString(report.match.phrase) << ",\"confidence\":" << report.match.confidence
            << ",\"score\":" << report.match.bestScore << "}\n"
            << std::flush;
    };
    engine.Recognize();
    return session.audio().inputExhausted() || session.audio().interrupted() ? 0 : 1;
}

} // namespace larkspur::cli
