#pragma once
// Searches a folder, or the tree below it breadth first, for entries whose
// names match a wildcard filter.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace larkspur {

// Entry attributes as the finder knows them. On this system a name starting
// with "." is hidden, anything that is neither a regular file nor a folder
// (sockets, pipes, devices, dangling links) is a system entry, and a regular
// file the user cannot write is read-only; every regular file is an archive.
enum class TAttrOption : uint32_t {
    ffReadOnly = 1,
    ffHidden = 2,
    ffSystem = 4,
    ffVolumeID = 8,
    ffDirectory = 16,
    ffArchive = 32,
};

// A set of TAttrOption, as the sum of their bits.
using TAttrOptions = uint32_t;

constexpr TAttrOptions operator|(TAttrOption a, TAttrOption b)
{
    return static_cast<TAttrOptions>(a) | static_cast<TAttrOptions>(b);
}
constexpr TAttrOptions operator|(TAttrOptions a, TAttrOption b)
{
    return a | static_cast<TAttrOptions>(b);
}

// Ordinary, read-only and archive entries always match; hidden, system,
// volume-label and folder entries only when the mask holds their bit.
bool attributesMatch(uint32_t entryAttributes, TAttrOptions mask);

// Wildcard match of a file name ("*" and "?"), without regard to letter case
// as the program's stored filters expect. "*.*" matches every name, also
// names without a dot.
bool filterMatches(const std::string& filter, const std::string& name);

class TFindFile {
public:
    using NotifyEvent = std::function<void(TFindFile& sender)>;
    using TNewPathEvent = std::function<void(TFindFile& sender, const std::string& NewPath, bool& Abort)>;

    bool Recurse() const { return m_recurse; }
    void setRecurse(bool on) { m_recurse = on; }
    const std::string& Directory() const { return m_directory; }
    void setDirectory(const std::string& folder) { m_directory = folder; }
    const std::string& Filter() const { return m_filter; }
    void setFilter(const std::string& filter) { m_filter = filter; }
    std::vector<std::string>& Files() { return m_files; }
    const std::vector<std::string>& Files() const { return m_files; }
    TAttrOptions Attributes() const { return m_attributes; }
    void setAttributes(TAttrOptions options) { m_attributes = options; }
    void setAttributes(TAttrOption option) { m_attributes = static_cast<TAttrOptions>(option); }

    NotifyEvent BeforeExecute;
    NotifyEvent AfterExecute;
    TNewPathEvent OnNewPath;
    // Lets the user interface run between entries of a long search.
    std::function<void()> OnProcessMessages;

    bool Abort() const { return m_abort; }
    void setAbort(bool on) { m_abort = on; }
    int FileCount() const { return m_fileCount; }
    int DirCount() const { return m_dirCount; }
    int64_t TotalSize() const { return m_totalSize; }

    // Fills Files (folder + name of every match) and the counts. The abort
    // flag is left as it is: callers clear it.
    void Execute();

private:
    void searchFolder(std::string folder);
    void searchTree(const std::string& root);
    void processMessages();

    bool m_recurse = false;
    std::string m_directory;
    std::string m_filter = "*.*";
    std::vector<std::string> m_files;
    TAttrOptions m_attributes = TAttrOption::ffReadOnly | TAttrOption::ffHidden | TAttrOption::ffSystem
        | TAttrOption::ffArchive;
    bool m_abort = false;
    int m_fileCount = 0;
    int m_dirCount = 0;
    int64_t m_totalSize = 0;
};

} // namespace larkspur
