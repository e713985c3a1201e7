#pragma once

#include <string>
#include <vector>

namespace brantlow::cli {

struct FileList {
    std::vector<std::string> files;            // in the order they are to be worked on
    std::vector<std::string> unreadableFolders; // folders that could not be listed
};

// A path that is not a folder is taken as it stands, whatever its extension
// (a missing file then fails when it is opened). A folder contributes its
// files with a supported extension, sorted by name; with `recursive`, each
// sub-folder's files come where the sub-folder stands in that order
// (depth-first). A path met twice is taken once.
FileList collectFiles(const std::vector<std::string> &paths, bool recursive);

} // namespace brantlow::cli
