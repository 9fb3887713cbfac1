#pragma once
// Fakes of the engine's platform pieces and small helpers shared by the engine tests.

#include "engine/EnginePlatform.h"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace larkspur::test {

// Records every message box instead of showing it.
class RecordingMessages : public MessageSink {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// File dialogs that answer from a script; an empty optional means "cancelled".
class ScriptedDialogs : public TableFileDialogs {
public:
    std::optional<std::string> askOpenFileName(const std::string& filter) override
    {
        filters.push_back(filter);
        return next(openAnswers);
    }
    std::optional<std::string> askSaveFileName(const std::string& filter) override
    {
        filters.push_back(filter);
        return next(saveAnswers);
    }
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> filters;

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A private folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "larkspur-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

} // namespace larkspur::test
