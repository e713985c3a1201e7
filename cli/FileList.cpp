#include "FileList.h"

#include "platform/DirectoryWalk.h"
#include "platform/PathParts.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace brantlow::cli {

namespace {

class Collector {
public:
    Collector(FileList &out, bool recursive) : m_out(out), m_recursive(recursive) { }

    void addPath(const std::string &path)
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            scanFolder(path, info);
        else
            addFile(path);
    }

private:
    void addFile(const std::string &path)
    {
        if (m_seenFiles.insert(path).second)
            m_out.files.push_back(path);
    }

    void scanFolder(const std::string &folder, const struct stat &info)
    {
        // Symbolic links can make a folder its own descendant; each folder is
        // scanned once.
        if (!m_seenFolders.insert({info.st_dev, info.st_ino}).second)
            return;

        std::vector<platform::DirectoryEntry> entries;
        if (!platform::enumerateDirectory(folder, [&](const platform::DirectoryEntry &e) { entries.push_back(e); })) {
            m_out.unreadableFolders.push_back(folder);
            return;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const platform::DirectoryEntry &a, const platform::DirectoryEntry &b) { return a.name < b.name; });

        const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
        for (const platform::DirectoryEntry &entry : entries) {
            const std::string path = prefix + entry.name;
            if (entry.isDirectory) {
                struct stat sub {};
                if (m_recursive && ::stat(path.c_str(), &sub) == 0 && S_ISDIR(sub.st_mode))
                    scanFolder(path, sub);
            } else if (platform::hasSupportedExtension(entry.name)) {
                addFile(path);
            }
        }
    }

    FileList &m_out;
    bool m_recursive;
    std::set<std::string> m_seenFiles;
    std::set<std::pair<dev_t, ino_t>> m_seenFolders;
};

} // namespace

FileList collectFiles(const std::vector<std::string> &paths, bool recursive)
{
    FileList list;
    Collector collector(list, recursive);
    for (const std::string &path : paths)
        collector.addPath(path);
    return list;
}

} // namespace brantlow::cli
