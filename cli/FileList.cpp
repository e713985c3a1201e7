// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool readNameList(const std::string &from, bool nulSeparated, std::vector<std::string> &names, std::string &error)
{
    std::FILE *in = from == "-" ? stdin : std::fopen(from.c_str(), "rb");
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    const char separator = nulSeparated ? '\0' : '\n';
    std::string name;
    std::size_t line = 1;
    bool nulInName = false;
    for (int c; (c = std::getc(in)) != EOF;) {
        // A NUL byte never belongs to a name: names that end with one need -0.
        if (c == '\0' && !nulSeparated && !nulInName) {
            nulInName = true;
            error = "name " + std::to_string(line) + " holds a NUL byte; names that end with NUL bytes need -0";
        }
        line += c == separator ? 1 : 0;
        if (c != separator) {
            name.push_back(static_cast<char>(c));
            continue;
        }
        if (!name.empty())
            names.push_back(name);
        name.clear();
    }
    const bool failed = std::ferror(in) != 0;
    if (failed)
        error = std::strerror(errno);
    if (in != stdin)
        std::fclose(in);
    if (!name.empty())
        names.push_back(name);
    return !failed && !nulInName;
}

} // namespace brantlow::cli
