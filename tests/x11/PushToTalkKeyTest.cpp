// The push-to-talk key on a real X server (Xvfb, run by run-x11-tests.sh):
// a key held down through XTest, long enough for the key repeat to start,
// gives exactly one press and one release.

// GoogleTest comes before Xlib, whose None and Bool macros clash with it.
#include <gtest/gtest.h>

#include "actions/PushToTalkKey.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

using namespace larkspur;
using namespace std::chrono_literals;

namespace {

// What the key's reader thread reported, in order.
class KeyLog {
public:
    PushToTalkKey::Handler handler()
    {
        return [this](bool down) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(down);
            m_changed.notify_all();
        };
    }
    // Waits until `count` events have arrived (or the time is up), then gives all of them.
    std::vector<bool> waitFor(std::size_t count, std::chrono::milliseconds limit = 3s)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [&] { return m_events.size() >= count; });
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_events;
};

class XTestKeyboard {
public:
    XTestKeyboard() : m_display(XOpenDisplay(nullptr)) {}
    ~XTestKeyboard()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool ok() const { return m_display != nullptr; }
    void key(const char* name, bool down)
    {
        const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name));
        XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
        XFlush(m_display);
    }
    // Makes sure the server repeats held keys, so the test sees the repeat.
    void repeatFast()
    {
        XAutoRepeatOn(m_display);
        XkbSetAutoRepeatRate(m_display, XkbUseCoreKbd, 100, 20);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

// With the server's detectable auto-repeat, and without it (the repeat's
// release and press pairs are then told apart by their time).
class HeldKey : public ::testing::TestWithParam<bool> {};

TEST_P(HeldKey, GivesOnePressAndOneReleaseEachTime)
{
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    keyboard.repeatFast();
    KeyLog log;
    std::string error;
    auto key = grabX11PushToTalkKey("F9", log.handler(), error, nullptr, GetParam());
    ASSERT_TRUE(key) << error;
    EXPECT_EQ(key->keyName(), "F9");

    for (int hold = 0; hold < 2; ++hold) {
        keyboard.key("F9", true);
        std::this_thread::sleep_for(600ms);  // the repeat starts after 100 ms, then every 50 ms
        keyboard.key("F9", false);
        const std::vector<bool> events = log.waitFor(2 * (hold + 1));
        std::vector<bool> expected;
        for (int i = 0; i <= hold; ++i)
            expected.insert(expected.end(), {true, false});
        EXPECT_EQ(events, expected) << "after hold " << hold;
    }
    // Other keys pass by.
    keyboard.key("F8", true);
    keyboard.key("F8", false);
    EXPECT_EQ(log.waitFor(5, 300ms).size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(PushToTalkKey, HeldKey, ::testing::Values(true, false));

TEST(PushToTalkKey, NamesAreCheckedAndATakenKeyIsRefused)
{
    EXPECT_TRUE(isPushToTalkKeyName("Control_R"));
    EXPECT_TRUE(isPushToTalkKeyName("pause"));
    EXPECT_FALSE(isPushToTalkKeyName("F9 "));
    EXPECT_FALSE(isPushToTalkKeyName(""));

    KeyLog log;
    std::string error;
    EXPECT_FALSE(grabX11PushToTalkKey("NoSuchKey", log.handler(), error));
    EXPECT_EQ(error, "\"NoSuchKey\" is not a key name (try F9, Pause or Control_R).");

    auto first = grabX11PushToTalkKey("Pause", log.handler(), error);
    ASSERT_TRUE(first) << error;
    error.clear();
    EXPECT_FALSE(grabX11PushToTalkKey("Pause", log.handler(), error));
    EXPECT_EQ(error, "The key Pause is already taken by another program.");
    first.reset();
    // Given back on destruction: the key can be taken again.
    EXPECT_TRUE(grabX11PushToTalkKey("Pause", log.handler(), error)) << error;
}

TEST(PushToTalkKey, ReleasedWhenStoppedWhileHeld)
{
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    KeyLog log;
    std::string error;
    auto key = grabX11PushToTalkKey("F7", log.handler(), error);
    ASSERT_TRUE(key) << error;
    keyboard.key("F7", true);
    ASSERT_EQ(log.waitFor(1), std::vector<bool>{true});
    key.reset();
    EXPECT_EQ(log.waitFor(2), (std::vector<bool>{true, false}));
    keyboard.key("F7", false);
}

} // namespace

// ---------------------------------------------------------------------------
// larkspur-cli run --push-to-talk-key, end to end on the first words of the
// demo recording (2 s of quiet line, then "zoom in", "zoom in", "spell check",
// "spell check", "go back", "task manager" within 13 s).

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kDemo = LARKSPUR_RESOURCES_DIR "/demo/demo";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first `seconds` of the demo recording as a WAV file of its own.
std::string demoClip(const std::string& folder, double seconds)
{
    std::string wave = readFile(kDemo + ".wav");
    if (wave.size() < 44 || wave.compare(36, 4, "data") != 0)
        return {};
    const uint32_t length = static_cast<uint32_t>(seconds * 11025);
    auto put32 = [&wave](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            wave[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    };
    wave.resize(44 + length);
    put32(4, 36 + length);
    put32(40, length);
    const std::string path = folder + "/clip.wav";
    std::ofstream(path, std::ios::binary) << wave;
    return path;
}

int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

class CliRun {
public:
    CliRun(const std::string& folder, std::vector<std::string> extra) : m_out(folder + "/out"), m_err(folder + "/err")
    {
        std::vector<std::string> args{LARKSPUR_CLI, "run", "--table", kDemo + ".EAR", "--input", folder + "/clip.wav",
                                      "--dry-run"};
        args.insert(args.end(), extra.begin(), extra.end());
        m_pid = fork();
        if (m_pid == 0) {
            dup2(open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            dup2(open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    // Waits up to `limit` for text on stderr.
    bool waitForError(const std::string& text, std::chrono::milliseconds limit)
    {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            if (readFile(m_err).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    int finish()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string out() const { return readFile(m_out); }
    std::string err() const { return readFile(m_err); }

private:
    std::string m_out, m_err;
    pid_t m_pid = -1;
};

TEST(PushToTalkCli, OnlyWhatIsSaidWhileTheKeyIsHeldIsRecognised)
{
    char folder[] = "/tmp/larkspur-ptt-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    ASSERT_FALSE(demoClip(folder, 13.0).empty());

    // Without a key every word is heard.
    CliRun all(folder, {});
    ASSERT_EQ(all.finish(), 0) << all.err();
    const int words = lineCount(all.out());
    EXPECT_GE(words, 5) << all.out();

    // With the key never pressed nothing is.
    CliRun never(folder, {"--push-to-talk-key", "F9"});
    ASSERT_EQ(never.finish(), 0) << never.err();
    EXPECT_EQ(never.out(), "");
    EXPECT_NE(never.err().find("Hold F9 to talk."), std::string::npos);

    // Held from the start of listening (the recording played at its own pace):
    // the words are heard again.
    XTestKeyboard keyboard;
    ASSERT_TRUE(keyboard.ok());
    CliRun held(folder, {"--push-to-talk-key", "F9", "--realtime"});
    ASSERT_TRUE(held.waitForError("Hold F9 to talk.", 20s)) << held.err();
    keyboard.key("F9", true);
    const int code = held.finish();
    keyboard.key("F9", false);
    EXPECT_EQ(code, 0) << held.err();
    EXPECT_GE(lineCount(held.out()), words - 1) << held.out();

    // A name that is no key fails at once with one line.
    CliRun wrong(folder, {"--push-to-talk-key", "F99"});
    EXPECT_EQ(wrong.finish(), 1);
    EXPECT_EQ(wrong.err(), "\"F99\" is not a key name (try F9, Pause or Control_R).\n");
    std::filesystem::remove_all(folder);
}

} // namespace
