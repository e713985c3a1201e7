#pragma once

#include <functional>
#include <string>

namespace brantlow::platform {

struct DirectoryEntry {
    std::string name;       // the entry's name, never "." or ".."
    bool isDirectory = false; // a symbolic link counts as what it points to
    bool isSymbolicLink = false; // lets a recursive scan refuse to follow links into loops
};

// Calls `visit` for every entry of `folder` in the order the file system
// returns them. Returns false when the folder cannot be enumerated.
bool enumerateDirectory(const std::string &folder, const std::function<void(const DirectoryEntry &)> &visit);

} // namespace brantlow::platform
