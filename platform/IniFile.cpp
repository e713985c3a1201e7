// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include "PathParts.h"
#include "SafeReplace.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brantlow::platform {

namespace {

constexpr std::size_t kMaxValueLength = 2047;
// A settings file is a few hundred bytes; anything far larger is not one.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

enum class ReadOutcome { Read, Missing, Failed };

ReadOutcome readFile(const std::string &path, std::string &content)
{
    content.clear();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Failed;
    struct stat st {};
    ReadOutcome outcome = ReadOutcome::Failed;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileSize) {
        content.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        outcome = ReadOutcome::Read;
        while (done < content.size()) {
            const ssize_t got = ::read(fd, content.data() + done, content.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                outcome = ReadOutcome::Failed;
                break;
            }
            if (got == 0) { // shrank while being read
                content.resize(done);
                break;
            }
            done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    return outcome;
}

struct Line {
    std::size_t begin = 0;     // offset of the line's first byte
    std::size_t textEnd = 0;   // offset after the text, before "\r\n" or "\n"
    std::size_t end = 0;       // offset after the line ending
    std::string_view text;
};

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < content.size()) {
        const auto newline = content.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
        std::size_t textEnd = newline == std::string_view::npos ? content.size() : newline;
        if (textEnd > begin && content[textEnd - 1] == '\r')
            --textEnd;
        lines.push_back({begin, textEnd, end, content.substr(begin, textEnd - begin)});
        begin = end;
    }
    // A byte-order mark is no part of the first line's text.
    if (!lines.empty() && lines.front().text.starts_with("\xEF\xBB\xBF"))
        lines.front().text.remove_prefix(3);
    return lines;
}

std::string_view trim(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b)
{
    return asciiLower(a) == asciiLower(b);
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (!line.starts_with('['))
        return std::nullopt;
    const auto close = line.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.starts_with(';') || line.starts_with('['))
        return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const auto key = trim(line.substr(0, equals));
    if (key.empty())
        return std::nullopt;
    return KeyLine{key, trim(line.substr(equals + 1))};
}

// Where a section and a key sit in the file's lines.
struct Place {
    std::optional<std::size_t> section;   // index of the section's header line
    std::size_t lastFilledLine = 0;       // last non-blank line of that section
    std::optional<std::size_t> key;       // index of the key's line
    std::string_view value;
};

Place locate(const std::vector<Line> &lines, std::string_view section, std::string_view key)
{
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!place.section) {
            if (name && sameName(*name, section)) {
                place.section = i;
                place.lastFilledLine = i;
            }
            continue;
        }
        if (name)
            break; // the next section starts
        if (!trim(lines[i].text).empty())
            place.lastFilledLine = i;
        if (!place.key) {
            if (const auto entry = keyLine(lines[i].text); entry && sameName(entry->key, key)) {
                place.key = i;
                place.value = entry->value;
            }
        }
    }
    return place;
}

std::string_view withoutQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// At most kMaxValueLength bytes, never ending inside a UTF-8 character.
std::string_view limitedValue(std::string_view value)
{
    if (value.size() <= kMaxValueLength)
        return value;
    std::size_t cut = kMaxValueLength;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return value.substr(0, cut);
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that would read back differently, or break the file's lines, are refused.
bool writable(std::string_view section, std::string_view key, std::string_view value)
{
    if (section.empty() || hasLineBreak(section) || section.find(']') != std::string_view::npos)
        return false;
    if (key.empty() || hasLineBreak(key) || key.find('=') != std::string_view::npos || key.starts_with(';')
        || key.starts_with('['))
        return false;
    return !hasLineBreak(value);
}

std::string updatedContent(const std::string &content, std::string_view section, std::string_view key,
                           std::string_view value)
{
    const auto lines = splitLines(content);
    const std::string_view newline = !lines.empty() && lines.front().end > lines.front().textEnd + 1 ? "\r\n" : "\n";
    const Place place = locate(lines, section, key);

    std::string updated;
    if (place.key) {
        const Line &line = lines[*place.key];
        const auto entry = keyLine(line.text);
        updated.append(content, 0, line.begin);
        updated.append(entry->key);
        updated += '=';
        updated.append(value);
        updated.append(content, line.textEnd, std::string::npos);
        return updated;
    }

    std::string entry(key);
    entry += '=';
    entry.append(value);
    entry.append(newline);
    if (place.section) {
        const Line &last = lines[place.lastFilledLine];
        updated.append(content, 0, last.end);
        if (last.end == last.textEnd) // the file ended without a line break
            updated.append(newline);
        updated.append(entry);
        updated.append(content, last.end, std::string::npos);
        return updated;
    }

    updated = content;
    if (!updated.empty() && updated.back() != '\n')
        updated.append(newline);
    updated += '[';
    updated.append(section);
    updated += ']';
    updated.append(newline);
    updated.append(entry);
    return updated;
}

bool store(const std::string &file, const std::string &content, bool exists)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(content.data());
    if (exists)
        return replaceFileContents(file, bytes, content.size()).ok;

    // A new file starts empty and gets its content through the same safe
    // replace; it is removed again when that fails.
    int fd;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    ::close(fd);
    if (replaceFileContents(file, bytes, content.size()).ok)
        return true;
    ::unlink(file.c_str());
    return false;
}

} // namespace

std::string readProfileString(const std::string &file, const std::string &section, const std::string &key,
                              const std::string &defaultValue)
{
    std::string content;
    if (readFile(file, content) != ReadOutcome::Read)
        return defaultValue;
    const Place place = locate(splitLines(content), trim(section), trim(key));
    if (!place.key)
        return defaultValue;
    return std::string(limitedValue(withoutQuotes(place.value)));
}

bool writeProfileString(const std::string &file, const std::string &section, const std::string &key,
                        const std::string &value)
{
    const std::string_view sectionName = trim(section);
    const std::string_view keyName = trim(key);
    if (!writable(sectionName, keyName, value))
        return false;

    // One retry covers another writer creating the file between our read and our create.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string content;
        const ReadOutcome outcome = readFile(file, content);
        if (outcome == ReadOutcome::Failed)
            return false;
        const bool exists = outcome == ReadOutcome::Read;
        const std::string updated = updatedContent(content, sectionName, keyName, value);
        if (exists && updated == content)
            return true; // nothing to change: spare the disk a rewrite
        if (store(file, updated, exists))
            return true;
        if (exists || errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace brantlow::platform
