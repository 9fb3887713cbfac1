#include "actions/TFindFile.h"

#include "actions/TextCase.h"

#include <algorithm>
#include <deque>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

constexpr uint32_t kAlwaysMatching = static_cast<uint32_t>(TAttrOption::ffReadOnly)
    | static_cast<uint32_t>(TAttrOption::ffArchive);
constexpr uint32_t kDirectoryOnly = static_cast<uint32_t>(TAttrOption::ffDirectory);

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

// The names in a folder other than "." and "..", sorted so that a search
// gives the same order every time. An unreadable folder has no names.
std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct EntryInfo {
    uint32_t attributes = 0;
    int64_t size = 0;
};

EntryInfo entryInfo(const std::string& path, const std::string& name)
{
    EntryInfo info;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        info.attributes = static_cast<uint32_t>(TAttrOption::ffSystem);  // a dangling link
    } else if (S_ISDIR(st.st_mode)) {
        info.attributes = static_cast<uint32_t>(TAttrOption::ffDirectory);
    } else if (S_ISREG(st.st_mode)) {
        info.attributes = static_cast<uint32_t>(TAttrOption::ffArchive);
        if (::access(path.c_str(), W_OK) != 0)
            info.attributes |= static_cast<uint32_t>(TAttrOption::ffReadOnly);
        info.size = static_cast<int64_t>(st.st_size);
    } else {
        info.attributes = static_cast<uint32_t>(TAttrOption::ffSystem);
    }
    if (!name.empty() && name[0] == '.')
        info.attributes |= static_cast<uint32_t>(TAttrOption::ffHidden);
    return info;
}

// A real folder, not a link to one: following links could walk in circles
// (Debian's /usr/bin/X11 points back at /usr/bin).
bool isRealFolder(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool attributesMatch(uint32_t entryAttributes, TAttrOptions mask)
{
    return (entryAttributes & ~kAlwaysMatching & ~mask) == 0;
}

bool filterMatches(const std::string& filter, const std::string& name)
{
    if (filter == "*.*" || filter == "*")
        return true;
    return ::fnmatch(upperCase(filter).c_str(), upperCase(name).c_str(), 0) == 0;
}

void TFindFile::Execute()
{
    m_files.clear();
    m_fileCount = 0;
    m_dirCount = 0;
    m_totalSize = 0;
    if (BeforeExecute)
        BeforeExecute(*this);
    if (!m_directory.empty()) {
        if (m_recurse)
            searchTree(m_directory);
        else
            searchFolder(m_directory);
    }
    if (AfterExecute)
        AfterExecute(*this);
}

void TFindFile::processMessages()
{
    if (OnProcessMessages)
        OnProcessMessages();
}

void TFindFile::searchFolder(std::string folder)
{
    if (folder.back() != '/')
        folder += '/';
    if (OnNewPath) {
        OnNewPath(*this, folder, m_abort);
        if (m_abort)
            return;
    }
    for (const std::string& name : folderNames(folder)) {
        if (!filterMatches(m_filter, name))
            continue;
        const std::string path = folder + name;
        const EntryInfo info = entryInfo(path, name);
        if (!attributesMatch(info.attributes, m_attributes))
            continue;
        m_files.push_back(path);
        if (info.attributes == kDirectoryOnly)
            ++m_dirCount;
        else
            ++m_fileCount;
        m_totalSize += info.size;
        processMessages();
    }
}

void TFindFile::searchTree(const std::string& root)
{
    std::deque<std::string> queue;
    queue.push_back(root.back() == '/' ? root : root + '/');
    while (!queue.empty()) {
        const std::string folder = queue.front();
        for (const std::string& name : folderNames(folder)) {
            const std::string path = folder + name;
            if (isRealFolder(path))
                queue.push_back(path + '/');
            processMessages();
        }
        searchFolder(folder);
        queue.pop_front();
        if (m_abort)
            break;
        processMessages();
    }
}

} // namespace larkspur
