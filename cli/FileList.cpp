#include "FileList.h"

namespace brantlow::cli {

FileList collectFiles(const std::vector<std::string> &paths, const CollectOptions &options)
{
    FileList list;
    platform::WalkOptions walk;
    walk.recursive = options.recursive;
    walk.followSymlinks = options.followSymlinks;
    walk.oneFileSystem = options.oneFileSystem;
    walk.extensions = platform::audioExtensions();
    platform::DirectoryWalker walker(
        walk, {[&](const platform::FoundFile &file) { list.files.push_back(file); },
               [&](const platform::WalkProblem &problem) { list.problems.push_back(problem); },
               [&](const platform::WalkProgress &) { return options.stop == nullptr || options.stop->load() == 0; }});
    for (const std::string &path : paths) {
        if (!walker.walk(path)) {
            list.interrupted = true;
            break;
        }
    }
    return list;
}

} // namespace brantlow::cli
