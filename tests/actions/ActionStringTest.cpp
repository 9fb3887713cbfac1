// Which kind an action string is, and the parts the non-keystroke kinds carry.

#include "actions/ActionString.h"
#include "Fakes.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace larkspur;

TEST(ActionKind, PrefixesAreTestedInOrder)
{
    EXPECT_EQ(classifyAction("!NOTEPAD.EXE"), ActionKind::Program);
    EXPECT_EQ(classifyAction("!{MOUSE UP}"), ActionKind::Program);
    EXPECT_EQ(classifyAction("!http://x"), ActionKind::Program);
    EXPECT_EQ(classifyAction("{MOUSE DOWN}"), ActionKind::Mouse);
    EXPECT_EQ(classifyAction("{MOUSE"), ActionKind::Mouse);
    EXPECT_EQ(classifyAction("{mouse down}"), ActionKind::Keystroke);
    EXPECT_EQ(classifyAction("http://a.b"), ActionKind::WebAddress);
    EXPECT_EQ(classifyAction("HTTP://a.b"), ActionKind::WebAddress);
    EXPECT_EQ(classifyAction("hTtP://a.b"), ActionKind::WebAddress);
    EXPECT_EQ(classifyAction("HttpS://a.b"), ActionKind::WebAddress);
    EXPECT_EQ(classifyAction("http:/a.b"), ActionKind::Keystroke);
    EXPECT_EQ(classifyAction("www.example.com"), ActionKind::Keystroke);
    EXPECT_EQ(classifyAction("ftp://x"), ActionKind::Keystroke);
    EXPECT_EQ(classifyAction(""), ActionKind::Keystroke);
    EXPECT_EQ(classifyAction("!"), ActionKind::Program);
}

TEST(MouseCommand, OnlyCharactersEightAndNineCount)
{
    EXPECT_EQ(mouseCommand("{MOUSE DOWN}"), MouseCommand::Down);
    EXPECT_EQ(mouseCommand("{MOUSE DOxyz"), MouseCommand::Down);
    EXPECT_EQ(mouseCommand("{MOUSE DO"), MouseCommand::Down);
    EXPECT_EQ(mouseCommand("{MOUSExUP}"), MouseCommand::Up);
    EXPECT_EQ(mouseCommand("{MOUSE STOP}"), MouseCommand::Stop);
    EXPECT_EQ(mouseCommand("{MOUSE RIGHT}"), MouseCommand::Right);
    EXPECT_EQ(mouseCommand("{MOUSE LEFT}"), MouseCommand::Left);
    EXPECT_EQ(mouseCommand("{MOUSE RCLICK}"), MouseCommand::RightClick);
    EXPECT_EQ(mouseCommand("{MOUSE FASTER}"), MouseCommand::Faster);
    EXPECT_EQ(mouseCommand("{MOUSE SLOWER}"), MouseCommand::Slower);
    EXPECT_EQ(mouseCommand("{MOUSE do}"), MouseCommand::None);
    EXPECT_EQ(mouseCommand("{MOUSE D"), MouseCommand::None);
    EXPECT_EQ(mouseCommand("{MOUSE JUMP}"), MouseCommand::None);
}

TEST(MouseCommand, ClickIsTheDoubleClickAndDbClickTheSingleOne)
{
    EXPECT_EQ(mouseCommand("{MOUSE CLICK}"), MouseCommand::DoubleClick);
    EXPECT_EQ(mouseCommand("{MOUSE DBCLICK}"), MouseCommand::SingleClick);
}

TEST(WebAddress, IsTheTextAfterTheFirstSchemeSeparator)
{
    EXPECT_EQ(webAddress("HTTPS://secure.example/a"), "secure.example/a");
    EXPECT_EQ(webAddress("http://a.b/x://y"), "a.b/x://y");
    EXPECT_EQ(webAddress("http://"), "");
}

TEST(ProgramPath, SplitsAfterTheLastSeparator)
{
    EXPECT_EQ(splitProgramPath("C:\\PROGRAMS\\EDIT.EXE").folder, "C:\\PROGRAMS\\");
    EXPECT_EQ(splitProgramPath("C:\\PROGRAMS\\EDIT.EXE").fileName, "EDIT.EXE");
    EXPECT_EQ(splitProgramPath("C:CALC.EXE").folder, "C:");
    EXPECT_EQ(splitProgramPath("/usr/bin/gedit").folder, "/usr/bin/");
    EXPECT_EQ(splitProgramPath("/usr/bin/gedit").fileName, "gedit");
    EXPECT_EQ(splitProgramPath("NOTEPAD.EXE").folder, "");
    EXPECT_EQ(splitProgramPath("NOTEPAD.EXE").fileName, "NOTEPAD.EXE");

    EXPECT_TRUE(folderNeedsSearch(splitProgramPath("C:\\CALC.EXE").folder));
    EXPECT_TRUE(folderNeedsSearch(""));
    EXPECT_FALSE(folderNeedsSearch("/usr/bin/"));
}

TEST(ProgramFile, ExeOrExecutableStartsWavPlaysOthersOpen)
{
    EXPECT_EQ(classifyProgramFile("NOTEPAD.EXE", false), ProgramFileKind::Program);
    EXPECT_EQ(classifyProgramFile("setup.exe", false), ProgramFileKind::Program);
    EXPECT_EQ(classifyProgramFile("gedit", true), ProgramFileKind::Program);
    EXPECT_EQ(classifyProgramFile("ding.Wav", false), ProgramFileKind::Sound);
    EXPECT_EQ(classifyProgramFile("letter.odt", false), ProgramFileKind::Document);

    test::TempDir dir;
    const std::string script = dir.file("run-me");
    const std::string text = dir.file("notes.txt");
    std::ofstream(script) << "#!/bin/sh\n";
    std::ofstream(text) << "x\n";
    ::chmod(script.c_str(), 0755);
    EXPECT_TRUE(isExecutableRegularFile(script));
    EXPECT_FALSE(isExecutableRegularFile(text));
    EXPECT_FALSE(isExecutableRegularFile(dir.path()));
    EXPECT_FALSE(isExecutableRegularFile(dir.file("missing")));
}
