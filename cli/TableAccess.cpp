#include "cli/TableAccess.h"

#include "cli/CommandLine.h"
#include "engine/TVREngine32.h"

namespace larkspur::cli {

MatcherKind matcherOption(const CommandLine& args)
{
    const std::string name = args.value("matcher").value_or("specified");
    if (name == "specified")
        return MatcherKind::Specified;
    if (name == "enhanced")
        return MatcherKind::Enhanced;
    throw UsageError("--matcher must be specified or enhanced");
}

void openTableFile(TVREngine32& engine, const std::string& path)
{
    engine.setTableName("COMMAND LINE");
    engine.setFileName(path);
    engine.OpenTable();
    engine.setTableName(TVREngine32::FileNamePart(path));
}

void saveTableFile(TVREngine32& engine, const std::string& path)
{
    engine.setFileName(path);
    engine.setTableName(TVREngine32::FileNamePart(path));
    engine.SaveTable();
}

} // namespace larkspur::cli
