// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace brantlow::platform {

// Separators that end the directory part of a path on this platform.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\:";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Everything up to and including the last separator; empty when there is none.
std::string directoryPart(std::string_view path);
// Everything after the last separator.
std::string namePart(std::string_view path);
// From the last "." to the end, dot included, when that dot follows the last
// separator; empty otherwise.
std::string extensionPart(std::string_view path);
// Lower-cases ASCII A to Z only; UTF-8 bytes pass unchanged.
std::string asciiLower(std::string_view text);
// ".mp3", ".rmp" or ".wav", letter case ignored.
bool hasSupportedExtension(std::string_view path);

} // namespace brantlow::platform
