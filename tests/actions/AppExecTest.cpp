// Starting programs: command lines, folders, error numbers and texts, and
// that finished programs are reaped.

#include "actions/PosixProcessLauncher.h"
#include "actions/TAppExec.h"
#include "Fakes.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace larkspur;

namespace {

// Expects Execute to throw E and returns its message.
template <typename E>
std::string failure(TAppExec& app)
{
    try {
        app.Execute();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("wrong exception: ") + e.what();
    }
    return "no exception";
}

bool isZombie(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

} // namespace

TEST(AppExecProperties, ExePathLosesOneTrailingSeparatorExceptRoots)
{
    test::FakeLauncher launcher;
    TAppExec app(launcher);
    app.setExePath("C:\\PROGRAMS\\");
    EXPECT_EQ(app.ExePath(), "C:\\PROGRAMS");
    app.setExePath("C:\\");
    EXPECT_EQ(app.ExePath(), "C:\\");
    app.setExePath("\\");
    EXPECT_EQ(app.ExePath(), "\\");
    app.setExePath("/usr/bin/");
    EXPECT_EQ(app.ExePath(), "/usr/bin");
    app.setExePath("/");
    EXPECT_EQ(app.ExePath(), "/");
}

TEST(AppExecProperties, DefaultsClearAndWindowState)
{
    test::FakeLauncher launcher;
    TAppExec app(launcher);
    EXPECT_TRUE(app.ChangeDir());
    EXPECT_EQ(app.ErrNo(), -1);
    EXPECT_EQ(app.ErrorText(), "No execution");
    EXPECT_EQ(app.showCommand(), 1);
    app.setWindowState(TWindowState::wsMaximized);
    EXPECT_EQ(app.showCommand(), 3);
    app.setWindowState(TWindowState::wsMinimized);
    EXPECT_EQ(app.showCommand(), 2);

    app.setExeName("x");
    app.setExePath("/tmp");
    app.setExeParams({"p"});
    app.Execute();
    EXPECT_EQ(app.LastProcessId(), 4242);
    app.Clear();
    EXPECT_EQ(app.ErrNo(), -1);
    EXPECT_EQ(app.ExeName(), "");
    EXPECT_EQ(app.ExePath(), "");
    EXPECT_TRUE(app.ExeParams().empty());
    EXPECT_EQ(app.LastProcessId(), 0);
    EXPECT_EQ(app.LastThreadId(), 0);
}

TEST(AppExecCommandLine, WordsSplitOnBlanksWithoutQuoting)
{
    test::FakeLauncher launcher;
    TAppExec app(launcher);
    app.setExeName("NOTEPAD.EXE");
    app.setExeParams({"a", "b"});
    EXPECT_EQ(app.commandLine(), "NOTEPAD.EXE a b");
    app.Execute();
    ASSERT_EQ(launcher.spawned.size(), 1u);
    EXPECT_EQ(launcher.spawned[0], (std::vector<std::string>{"NOTEPAD.EXE", "a", "b"}));

    // Quotes and shell characters are plain text: no shell ever sees them.
    app.setExeName("prog");
    app.setExeParams({"\"two words\"", "$(rm -rf x);", "  "});
    app.Execute();
    EXPECT_EQ(launcher.spawned[1], (std::vector<std::string>{"prog", "\"two", "words\"", "$(rm", "-rf", "x);"}));
    EXPECT_EQ(app.LastThreadId(), 4242);
    EXPECT_EQ(app.LastProcessHd(), 0);
}

TEST(AppExecErrors, ErrnoMapsToTheTableNumbers)
{
    EXPECT_EQ(appExecErrorNumber(ENOENT, "prog"), 2);
    EXPECT_EQ(appExecErrorNumber(ENOENT, "/no/such/folder/prog"), 3);
    EXPECT_EQ(appExecErrorNumber(ENOTDIR, "x"), 3);
    EXPECT_EQ(appExecErrorNumber(EACCES, "x"), 5);
    EXPECT_EQ(appExecErrorNumber(ENOMEM, "x"), 8);
    EXPECT_EQ(appExecErrorNumber(ENOEXEC, "x"), 11);
    EXPECT_EQ(appExecErrorText(2), "File was not found");
    EXPECT_EQ(appExecErrorText(21), "Application requires 32-bit extensions");
    EXPECT_EQ(appExecErrorText(32), "No error");
    EXPECT_EQ(appExecErrorText(7), std::nullopt);
    EXPECT_EQ(appExecErrorText(appExecErrorNumber(EIO, "x")), std::nullopt);
}

class AppExecReal : public ::testing::Test {
protected:
    test::TempDir dir;
    PosixProcessLauncher launcher;
    TAppExec app{launcher};

    std::string writeFile(const std::string& name, const std::string& text, mode_t mode)
    {
        const std::string path = dir.file(name);
        std::ofstream(path) << text;
        ::chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(AppExecReal, StartsAProgramInItsFolderAndReapsIt)
{
    writeFile("mark.sh", "#!/bin/sh\npwd > here.txt\necho \"$1\" >> here.txt\n", 0755);
    const std::string before = std::filesystem::current_path();
    app.setExeName("mark.sh");
    app.setExeParams({"hello"});
    app.setExePath(dir.path() + "/");
    app.setWait(true);
    app.Execute();
    EXPECT_EQ(app.ErrNo(), 0);
    EXPECT_GT(app.LastProcessId(), 0);
    EXPECT_EQ(app.LastThreadId(), app.LastProcessId());
    EXPECT_EQ(std::filesystem::current_path().string(), before);
    std::ifstream in(dir.file("here.txt"));
    std::string folder, word;
    std::getline(in, folder);
    std::getline(in, word);
    EXPECT_EQ(std::filesystem::canonical(folder), std::filesystem::canonical(dir.path()));
    EXPECT_EQ(word, "hello");
}

TEST_F(AppExecReal, NoZombieIsLeftAfterAProgramEnds)
{
    app.setExeName("/bin/true");
    app.Execute();
    const pid_t pid = static_cast<pid_t>(app.LastProcessId());
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 200 && !isZombie(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(isZombie(pid));  // ended, not yet collected
    EXPECT_EQ(launcher.runningChildren(), 1u);
    // The next start collects it.
    app.setExeName("/bin/true");
    app.Execute();
    EXPECT_FALSE(isZombie(pid));
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    launcher.waitExit(static_cast<pid_t>(app.LastProcessId()), std::nullopt);
    EXPECT_EQ(launcher.runningChildren(), 0u);
}

TEST_F(AppExecReal, ProgramRunsInASessionOfItsOwn)
{
    writeFile("sid.sh", "#!/bin/sh\nps -o sid= -p $$ > sid.txt 2>/dev/null || cut -d' ' -f6 /proc/$$/stat > sid.txt\n", 0755);
    app.setExeName("sid.sh");
    app.setExePath(dir.path());
    app.setWait(true);
    app.Execute();
    std::ifstream in(dir.file("sid.txt"));
    long sid = 0;
    in >> sid;
    EXPECT_EQ(sid, app.LastProcessId());
    EXPECT_NE(sid, static_cast<long>(::getsid(0)));
}

TEST_F(AppExecReal, MissingProgramIsErrorTwo)
{
    app.setExeName("no-such-program-xyz");
    app.setExePath(dir.path());
    EXPECT_EQ(failure<EAppExecWinExec>(app), "File was not found");
    EXPECT_EQ(app.ErrNo(), 2);
    EXPECT_EQ(app.LastProcessId(), 0);
}

// A program named in a folder is that folder's program or nothing: a program
// of the same name along PATH must never start instead.
TEST_F(AppExecReal, MissingProgramInANamedFolderNeverStartsOneFromPath)
{
    test::TempDir onPath;
    {
        std::ofstream(onPath.file("TOOL.EXE")) << "#!/bin/sh\ntouch " << dir.file("wrong-program-ran") << "\n";
    }
    ::chmod(onPath.file("TOOL.EXE").c_str(), 0755);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (onPath.path() + ":" + savedPath).c_str(), 1);
    app.setExeName("TOOL.EXE");
    app.setExePath(dir.path() + "/");
    app.setWait(true);
    for (const bool changeDir : {true, false}) {
        app.setChangeDir(changeDir);
        EXPECT_EQ(failure<EAppExecWinExec>(app), "File was not found");
        EXPECT_EQ(app.ErrNo(), 2);
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("wrong-program-ran")));
}

TEST_F(AppExecReal, MissingFolderIsErrorThree)
{
    app.setExeName(dir.file("gone/prog"));
    EXPECT_EQ(failure<EAppExecWinExec>(app), "Path was not found");
    EXPECT_EQ(app.ErrNo(), 3);

    const std::string before = std::filesystem::current_path();
    app.setExeName("/bin/true");
    app.setExePath(dir.file("gone"));
    EXPECT_EQ(failure<EAppExecChDir>(app), "No such file or directory");
    EXPECT_EQ(app.ErrNo(), 3);
    EXPECT_EQ(std::filesystem::current_path().string(), before);

    app.setChangeDir(false);
    app.Execute();
    EXPECT_GT(app.LastProcessId(), 0);
}

TEST_F(AppExecReal, NonExecutableFileIsErrorFiveAndGarbageEleven)
{
    writeFile("plain.txt", "just text\n", 0644);
    app.setExeName("plain.txt");
    app.setExePath(dir.path());
    EXPECT_EQ(failure<EAppExecWinExec>(app),
              "Attempt was made to dynamically link to a task, or there was a sharing or network-protection error");
    EXPECT_EQ(app.ErrNo(), 5);

    writeFile("garbage", "\x01\x02\x03 not a program\n", 0755);
    app.setExeName("garbage");
    EXPECT_EQ(failure<EAppExecWinExec>(app), appExecErrorText(11).value());
    EXPECT_EQ(app.ErrNo(), 11);
}
