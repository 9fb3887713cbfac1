// larkspur-cli run end to end: a table trained from the speech corpus, then a
// recording listened to with every recognition dispatched.

#include "cli/Commands.h"
#include "tests/actions/Fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace larkspur {
namespace {

const std::string kCorpus = LARKSPUR_CORPUS_DIR;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class RunCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(kCorpus + "/dev1/test/test_1.wav"))
            GTEST_SKIP() << "speech corpus not found at " << kCorpus;
    }
    void train(const std::string& phrase, const std::string& action, const std::string& file)
    {
        std::ostringstream out, err;
        ASSERT_EQ(cli::trainCommand({"--table", table, "--phrase", phrase, "--action", action, "--input",
                                     kCorpus + "/dev1/train/" + file + ".wav"},
                                    out, err),
                  0)
            << err.str();
    }
    int run(std::vector<std::string> extra)
    {
        std::vector<std::string> args = {"--table", table, "--input", kCorpus + "/dev1/test/test_1.wav"};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli::runCommand(args, out, err);
    }
    std::vector<std::string> linesFor(const std::string& phrase)
    {
        std::vector<std::string> found;
        for (const std::string& line : lines(out.str()))
            if (line.find("\"phrase\":\"" + phrase + "\"") != std::string::npos)
                found.push_back(line);
        return found;
    }

    test::TempDir dir;
    const std::string table = dir.file("commands.EAR");
    std::ostringstream out, err;
};

TEST_F(RunCommand, DryRunReportsWhatEachRecognitionWouldDo)
{
    train("zoom in", "^{F4}", "01_zoom_in");
    train("save", "{MOUSE RIGHT}", "07_save");
    train("print", "!" + dir.write("bin/printer", "", 0755), "08_print");
    ASSERT_EQ(run({"--dry-run", "--confidence", "75"}), 0) << err.str();

    const std::vector<std::string> zoom = linesFor("zoom in");
    const std::vector<std::string> save = linesFor("save");
    const std::vector<std::string> print = linesFor("print");
    ASSERT_FALSE(zoom.empty());
    ASSERT_FALSE(save.empty());
    ASSERT_FALSE(print.empty());
    for (const std::string& line : zoom) {
        if (line.find("\"accepted\":true") != std::string::npos) {
            EXPECT_NE(line.find("\"kind\":\"keystroke\",\"action\":\"^{F4}\","
                                "\"keys\":[\"down 0x11\",\"down 0x73\",\"up 0x73\",\"up 0x11\"]"),
                      std::string::npos)
                << line;
        }
    }
    EXPECT_NE(save[0].find("\"kind\":\"mouse\",\"action\":\"{MOUSE RIGHT}\",\"mouse\":\"RI\""), std::string::npos)
        << save[0];
    EXPECT_NE(print[0].find("\"programs\":[\"" + dir.file("bin/printer") + "\"]"), std::string::npos) << print[0];
    EXPECT_EQ(lines(out.str()).size(), zoom.size() + save.size() + print.size());
}

TEST_F(RunCommand, WithoutADisplayKeystrokesFailWithOneClearMessage)
{
    train("zoom in", "^{F4}", "01_zoom_in");
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    const int rc = run({});
    if (!saved.empty())
        ::setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(err.str().find("No X display is available"), std::string::npos) << err.str();
    EXPECT_FALSE(linesFor("zoom in").empty());
}

} // namespace
} // namespace larkspur
