#include "cli/TableAccess.h"

#include "engine/TVREngine32.h"

namespace larkspur::cli {

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
