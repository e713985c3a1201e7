// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathText.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace brantlow::cli {

namespace {

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes there
// are not one (overlong forms, surrogates and values past U+10FFFF included).
std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    constexpr std::array<std::uint32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string shownPath(std::string_view path)
{
    std::string shown;
    shown.reserve(path.size());
    for (std::size_t at = 0; at < path.size();) {
        const unsigned char c = static_cast<unsigned char>(path[at]);
        const std::size_t length = utf8SequenceLength(path, at);
        if (length > 1) {
            shown.append(path.substr(at, length));
            at += length;
            continue;
        }
        ++at;
        switch (c) {
        case '\\': shown += "\\\\"; continue;
        case '\n': shown += "\\n"; continue;
        case '\t': shown += "\\t"; continue;
        case '\r': shown += "\\r"; continue;
        default: break;
        }
        if (length == 1 && c >= 0x20 && c != 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03o", c);
            shown += escape;
        }
    }
    return shown;
}

std::string base64(std::string_view bytes)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t left = bytes.size() - at;
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 16;
        if (left > 1)
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[at + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

nlohmann::ordered_json pathAsJson(std::string_view path)
{
    if (isValidUtf8(path))
        return std::string(path);
    nlohmann::ordered_json bytes;
    bytes["bytes"] = base64(path);
    return bytes;
}

} // namespace brantlow::cli
