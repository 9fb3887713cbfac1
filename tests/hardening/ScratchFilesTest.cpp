// Scratch files and locks: the store's private folder and unguessable name,
// clean-up on fatal signals, the sweep of files killed processes left, the
// table lock between programs, an engine whose store cannot be made, and the
// text encoding of table strings.

#include "cli/Json.h"
#include "engine/AtomicFileWriter.h"
#include "engine/FileError.h"
#include "engine/RuntimeFolder.h"
#include "engine/SampleStore.h"
#include "engine/SignalCleanup.h"
#include "engine/StaleFileSweeper.h"
#include "engine/TVREngine32.h"
#include "engine/TableLock.h"
#include "engine/TextEncoding.h"
#include "tests/engine/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace larkspur;
using namespace larkspur::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

pid_t deadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

void touch(const std::string& path)
{
    std::ofstream(path) << "x";
}

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode;
}

TEST(PrivateFolder, WithoutARuntimeFolderTheStoreLivesInAFolderOnlyThisUserCanEnter)
{
    TempDir base;
    const std::string own = base.file("larkspur-" + std::to_string(::geteuid()));
    EXPECT_EQ(choosePrivateFolder("/run/user/x", base.path()), "/run/user/x");
    EXPECT_EQ(choosePrivateFolder("", base.path()), own);
    EXPECT_EQ(modeOf(own) & 0777, 0700u);

    // Someone made the name first, open to all: we take a fresh folder of our own.
    fs::remove(own);
    ASSERT_EQ(::mkdir(own.c_str(), 0777), 0);
    ::chmod(own.c_str(), 0777);
    const std::string fresh = choosePrivateFolder("", base.path());
    EXPECT_NE(fresh, own);
    EXPECT_EQ(modeOf(fresh) & 0777, 0700u);
    EXPECT_TRUE(S_ISDIR(modeOf(fresh)));

    // A link planted at the name is never followed.
    fs::remove(own);
    fs::create_directory(base.file("elsewhere"));
    fs::create_symlink(base.file("elsewhere"), own);
    EXPECT_NE(choosePrivateFolder("", base.path()), own);

    // No temp folder at all: the message names the folder that failed.
    try {
        choosePrivateFolder("", "/nonexistent/tmp-x");
        ADD_FAILURE() << "no folder, no error";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/tmp-x"), std::string::npos) << e.what();
    }
}

TEST(PrivateFolder, StoreNamesCarryThePidAndARandomPart)
{
    TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    const std::string a = SampleStore::nextDefaultPath();
    const std::string b = SampleStore::nextDefaultPath();
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string prefix = runtime.file("larkspur-VCWaves-" + std::to_string(::getpid()) + "-");
    ASSERT_EQ(a.rfind(prefix, 0), 0u) << a;
    ASSERT_EQ(b.rfind(prefix, 0), 0u) << b;
    // Eight hex digits after the pid: another pid namespace with the same pid
    // still gets another name.
    EXPECT_NE(a.substr(prefix.size(), 8), b.substr(prefix.size(), 8));
}

TEST(EngineWithoutStore, StartsAndSaysWhyPlaybackIsMissing)
{
    RecordingMessages messages;
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", "/nonexistent/tmp-y", 1);
    std::unique_ptr<TVREngine32> engine;
    EXPECT_NO_THROW(engine = std::make_unique<TVREngine32>(EnginePlatform{.messages = &messages, .sampleStorePath = {}}));
    ::unsetenv("TMPDIR");
    ASSERT_TRUE(engine);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("/nonexistent/tmp-y"), std::string::npos) << messages.messages[0];
    EXPECT_FALSE(engine->LoadSample(1));

    // A store path that cannot be created is reported the same way.
    TVREngine32 second(EnginePlatform{.messages = &messages, .sampleStorePath = "/nonexistent/d/s.tmp"});
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_NE(messages.messages[1].find("/nonexistent/d/s.tmp"), std::string::npos);
}

// Each fatal signal removes the store and a half-written save of the process
// it ends, and the process still ends by that signal.
TEST(SignalCleanup, FatalSignalsRemoveTheStoreAndTemporaries)
{
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) {
        TempDir dir;
        const pid_t child = ::fork();
        if (child == 0) {
            installSignalCleanup();
            SampleStore store(dir.file("store.tmp"));
            store.create();
            AtomicFileWriter writer(dir.file("t.EAR"));
            touch(dir.file("ready"));
            for (;;)
                ::pause();
        }
        for (int i = 0; i < 2000 && !fs::exists(dir.file("ready")); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_TRUE(fs::exists(dir.file("store.tmp")));
        ::kill(child, signalNumber);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "signal " << signalNumber;
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"ready"}) << "signal " << signalNumber;
    }
}

TEST(SignalCleanup, FileSizeLimitIsAWriteErrorNotADeath)
{
    TempDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        installSignalCleanup();
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SampleStore store(dir.file("store.tmp"));
        try {
            store.create();  // 13234 bytes
        } catch (const EInOutError& e) {
            ::_exit(e.errorCode() == EFBIG ? 7 : 8);
        }
        ::_exit(9);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST(StaleFiles, OnlyFilesOfDeadProcessesOfThisUserAreSwept)
{
    TempDir dir;
    const std::string dead = std::to_string(deadPid());
    const std::string alive = std::to_string(::getppid());
    touch(dir.file("larkspur-VCWaves-" + dead + "-0badf00d.tmp"));
    touch(dir.file("larkspur-VCWaves-" + dead + ".tmp"));  // the older name without a random part
    touch(dir.file("larkspur-VCWaves-" + alive + "-12345678.tmp"));
    touch(dir.file("larkspur-VCWaves-notapid.tmp"));
    touch(dir.file("other-" + dead + "-1.tmp"));
    touch(dir.file(".t.EAR." + dead + "-abcdef01.tmp"));
    touch(dir.file(".t.EAR." + alive + "-abcdef01.tmp"));
    touch(dir.file(".u.EAR." + dead + "-abcdef01.tmp"));

    EXPECT_EQ(sweepStaleStores(dir.path()), 2);
    EXPECT_EQ(sweepStaleTemporaries(dir.file("t.EAR")), 1);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"larkspur-VCWaves-" + alive + "-12345678.tmp", "larkspur-VCWaves-notapid.tmp",
                                           "other-" + dead + "-1.tmp", ".t.EAR." + alive + "-abcdef01.tmp",
                                           ".u.EAR." + dead + "-abcdef01.tmp"}));

    // A save sweeps its own folder; a new store sweeps the runtime folder.
    AtomicFileWriter writer(dir.file("u.EAR"));
    EXPECT_FALSE(fs::exists(dir.file(".u.EAR." + dead + "-abcdef01.tmp")));
}

TEST(TableLockTest, ASecondHolderWaitsBoundedThenFailsWithAPlainMessage)
{
    TempDir dir;
    const std::string table = dir.file("t.EAR");
    auto first = std::make_unique<TableLock>(table, 0ms);
    EXPECT_TRUE(first->createdTable());
    EXPECT_TRUE(fs::exists(table));
    const auto start = std::chrono::steady_clock::now();
    try {
        TableLock second(table, 200ms);
        ADD_FAILURE() << "two holders at once";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), table + ": the table is in use by another program.");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    // The empty table the lock made for nothing goes again.
    first.reset();
    EXPECT_FALSE(fs::exists(table));

    // A holder that replaces the table by renaming hands the new file on.
    auto holder = std::make_unique<TableLock>(table, 0ms);
    std::thread waiter([&] {
        TableLock next(table, 5s);
        EXPECT_FALSE(next.createdTable());
        EXPECT_EQ(::flock(::open(table.c_str(), O_RDONLY | O_CLOEXEC), LOCK_EX | LOCK_NB), -1)
            << "the waiter must hold the file now named by the path";
    });
    std::this_thread::sleep_for(100ms);
    touch(dir.file("new"));
    fs::rename(dir.file("new"), table);
    holder.reset();
    waiter.join();
    EXPECT_TRUE(fs::exists(table)) << "a saved table is never removed";

    // The empty file another program's lock has just made, and not locked
    // yet, is a new table: reading it as one would lose the recordings of
    // both programs' voice commands.
    const std::string placeholder = dir.file("q.EAR");
    std::ofstream{placeholder};
    EXPECT_TRUE(TableLock(placeholder, 0ms).createdTable());

    ASSERT_EQ(::mkfifo(dir.file("p.EAR").c_str(), 0600), 0);
    EXPECT_THROW(TableLock(dir.file("p.EAR"), 0ms), EInOutError);
}

TEST(TableText, StringsThatAreNotUtf8AreReadAsWindows1252)
{
    EXPECT_EQ(tableTextToUtf8("zoom in"), "zoom in");
    EXPECT_EQ(tableTextToUtf8("caf\xc3\xa9"), "caf\xc3\xa9");          // UTF-8 stays
    EXPECT_EQ(tableTextToUtf8("caf\xe9"), "caf\xc3\xa9");              // Latin letter
    EXPECT_EQ(tableTextToUtf8("\x80\x9f"), "\xe2\x82\xac\xc5\xb8");    // euro sign, Y diaeresis
    EXPECT_EQ(tableTextToUtf8("\x81"), "\xc2\x81");                    // unassigned: its C1 code point
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));                             // overlong
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));                         // surrogate
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));                             // cut short
    EXPECT_TRUE(isValidUtf8("\xf0\x9f\x8e\xa4"));
    EXPECT_EQ(cutUtf8("a\xc3\xa9", 2), "a");                           // never half a character
    EXPECT_EQ(cutUtf8(std::string(300, 'x')).size(), 255u);

    const std::string json = cli::jsonString("caf\xe9\n");
    EXPECT_EQ(json, "\"caf\xc3\xa9\\n\"");
    EXPECT_TRUE(isValidUtf8(json));
}

} // namespace
