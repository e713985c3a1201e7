// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathParts.h"

#include <array>

namespace brantlow::platform {

namespace {

constexpr std::array<std::string_view, 3> kSupportedExtensions = {".mp3", ".rmp", ".wav"};

std::string_view::size_type lastSeparator(std::string_view path)
{
    return path.find_last_of(kPathSeparators);
}

} // namespace

std::string directoryPart(std::string_view path)
{
    const auto separator = lastSeparator(path);
    if (separator == std::string_view::npos)
        return {};
    return std::string(path.substr(0, separator + 1));
}

std::string namePart(std::string_view path)
{
    const auto separator = lastSeparator(path);
    if (separator == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(separator + 1));
}

std::string extensionPart(std::string_view path)
{
    std::string stops(kPathSeparators);
    stops += '.';
    const auto last = path.find_last_of(stops);
    if (last == std::string_view::npos || path[last] != '.')
        return {};
    return std::string(path.substr(last));
}

std::string asciiLower(std::string_view text)
{
    std::string lowered(text);
    for (char &c : lowered) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

bool hasSupportedExtension(std::string_view path)
{
    const std::string extension = asciiLower(extensionPart(path));
    for (std::string_view supported : kSupportedExtensions) {
        if (extension == supported)
            return true;
    }
    return false;
}

} // namespace brantlow::platform
