// larkspur-cli send-keys: the dry-run output and the error path.

#include "actions/TSendKey.h"
#include "cli/SendKeysCommand.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using namespace larkspur;

namespace {

struct CommandRun {
    int code;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> args)
{
    TSendKey::clearPendingModifiers();
    std::ostringstream out;
    std::ostringstream err;
    const int code = sendKeysCommand(args, out, err);
    TSendKey::clearPendingModifiers();
    return {code, out.str(), err.str()};
}

} // namespace

TEST(SendKeysCommand, DryRunPrintsOneEventPerLine)
{
    const CommandRun r = run({"--dry-run", "A;"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "down 0x10\ndown 0x41\nup 0x41\nup 0x10\ndown 0xBA\nup 0xBA\n");
    EXPECT_EQ(r.err, "");
}

TEST(SendKeysCommand, ModifiersCarryAcrossTexts)
{
    const CommandRun r = run({"--dry-run", "^", "c"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "down 0x11\ndown 0x43\nup 0x43\nup 0x11\n");
}

TEST(SendKeysCommand, ErrorTextGoesToStandardErrorAfterTheKeysSent)
{
    const CommandRun r = run({"--dry-run", "a", "b{F4", "c"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "down 0x41\nup 0x41\ndown 0x42\nup 0x42\n");
    EXPECT_EQ(r.err, "No Closing brackets\n");
}

TEST(SendKeysCommand, NothingToSendIsAnError)
{
    const CommandRun r = run({"--dry-run"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err, "");
}

TEST(SendKeysCommand, WithoutDisplayOneClearMessage)
{
    const char* saved = std::getenv("DISPLAY");
    const std::string keep = saved ? saved : "";
    ::setenv("DISPLAY", ":9731", 1);  // nothing listens there
    const CommandRun r = run({"x"});
    if (saved)
        ::setenv("DISPLAY", keep.c_str(), 1);
    else
        ::unsetenv("DISPLAY");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("No X display is available"), std::string::npos) << r.err;
}
