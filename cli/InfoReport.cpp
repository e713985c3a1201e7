// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoReport.h"

#include "PathText.h"

#include "engine/FrameHeader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

namespace brantlow::cli {

namespace {

namespace fh = frameheader;
using json = nlohmann::ordered_json;

constexpr std::array<std::pair<std::int32_t, const char *>, 7> kFlagNames = {{
    {sfVbrHeader, "vbr_header"},
    {sfId3v1, "id3v1"},
    {sfLyrics3, "lyrics3"},
    {sfId3v2, "id3v2"},
    {sfRmp3, "rmp3"},
    {sfWave, "wave"},
    {sfApeV2, "apev2"},
}};

constexpr std::array<const char *, 4> kChannelModes = {"stereo", "joint_stereo", "dual_channel", "mono"};

// The layer bits count down: 3 is Layer I, 1 is Layer III.
int layerNumber(const fh::Header &h) { return fh::layerBits(h) == 0 ? 0 : 4 - fh::layerBits(h); }

std::string mpegVersionName(const fh::Header &h)
{
    if (fh::isMpeg25(h))
        return "2.5";
    return fh::idBit(h) == 1 ? "1" : "2";
}

std::string hex(const FrameHeaderBytes &h)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", h[0], h[1], h[2], h[3]);
    return text;
}

std::string dump(const json &j) { return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n"; }

template <typename T>
json orNull(const std::optional<T> &v)
{
    return v ? json(*v) : json(nullptr);
}

json gainAsJson(const ReplayGain &gain)
{
    if (gain.name == 0)
        return nullptr;
    return json{{"db", gain.db}, {"originator", gain.originator}};
}

json extensionAsJson(const EncoderExtension &ext, const std::optional<bool> &musicCrcValid)
{
    json j;
    j["encoder"] = ext.encoder;
    j["revision"] = ext.revision;
    j["vbr_method"] = ext.vbrMethod;
    j["lowpass_hz"] = ext.lowpassHz;
    j["peak"] = ext.peakRaw == 0 ? json(nullptr) : json(ext.peak);
    j["track_gain"] = gainAsJson(ext.radioGain);
    j["album_gain"] = gainAsJson(ext.audiophileGain);
    j["bitrate"] = ext.bitrate;
    j["delay"] = ext.delay;
    j["padding"] = ext.padding;
    j["mp3_gain"] = ext.mp3Gain;
    j["preset"] = ext.presetSurround & 0x7FF;
    j["music_length"] = ext.musicLength;
    j["music_crc"] = ext.musicCrc;
    j["music_crc_valid"] = orNull(musicCrcValid);
    j["tag_crc"] = ext.tagCrc;
    j["tag_crc_valid"] = ext.tagCrcValid;
    return j;
}

json spanAsJson(const ByteSpan &span)
{
    if (span.length == 0)
        return nullptr;
    return json{{"offset", span.offset}, {"length", span.length}};
}

const char *layerName(int layer)
{
    constexpr std::array<const char *, 4> kLayerNames = {"(reserved)", "I", "II", "III"};
    return kLayerNames[static_cast<std::size_t>(layer)];
}

const char *junkKindName(JunkKind kind)
{
    switch (kind) {
    case JunkKind::Junk:
        return "junk";
    case JunkKind::CutFrame:
        return "cut frame";
    case JunkKind::Tag:
        return "ID3v2 tag";
    case JunkKind::Trailing:
        return "trailing junk";
    }
    return "";
}

std::string gainText(const char *name, const ReplayGain &gain)
{
    if (gain.name == 0)
        return "";
    char text[48];
    std::snprintf(text, sizeof text, ", %s gain %+.1f dB", name, gain.db);
    return text;
}

} // namespace

FileFacts gatherFacts(const TBinEdit &engine, bool withMusicCrc)
{
    FileFacts facts;
    facts.structure = engine.Structure;
    for (const auto &[bit, name] : kFlagNames)
        if (engine.Structure & bit)
            facts.flags.emplace_back(name);
    facts.firstFrame = engine.FirstFrame;
    facts.audioSize = engine.AudioSize;
    facts.firstHeader = engine.FirstHeader;
    const fh::Header &h = engine.FirstHeader;
    facts.mpegVersion = mpegVersionName(h);
    facts.layer = layerNumber(h);
    facts.sampleRate = fh::sampleRateHz(h);
    facts.channelMode = kChannelModes[fh::channelMode(h)];
    facts.check = checkFile(*engine.Image, withMusicCrc);
    // Bytes after the last whole frame are no audio.
    if (facts.check.stream.errorCode == 0)
        facts.audioSize = static_cast<std::int32_t>(facts.check.stream.streamBytes);
    return facts;
}

json headerAsJson(const FileCheck &check)
{
    if (!check.header)
        return nullptr;
    const VbrHeader &h = *check.header;
    json j;
    j["kind"] = vbrHeaderKindName(h.kind);
    j["frames"] = orNull(h.frames);
    j["bytes"] = orNull(h.bytes);
    j["stream_frames"] = check.stream.audioFrames;
    j["stream_bytes"] = check.stream.streamBytes;
    if (h.kind != VbrHeaderKind::Vbri)
        j["flags"] = h.flags;
    j["quality"] = orNull(h.quality);
    if (h.extension)
        j["extension"] = extensionAsJson(*h.extension, check.musicCrcValid);
    return j;
}

json fileRecord(const std::string &path, const char *result, std::int32_t errorCode, const std::string &reason)
{
    json j;
    j["path"] = pathAsJson(path);
    j["result"] = result;
    j["error_code"] = errorCode >= 0 ? json(errorCode) : json(nullptr);
    j["reason"] = reason.empty() ? json(nullptr) : json(reason);
    return j;
}

json verdictFields(const FileCheck &check)
{
    json j;
    j["verdict"] = verdictName(check.verdict);
    j["error_code"] = check.errorCode != 0 ? json(check.errorCode) : json(nullptr);
    j["reason"] = check.reason.empty() ? json(nullptr) : json(check.reason);
    j["truncated"] = check.truncated;
    return j;
}

std::string factsAsJson(const std::string &path, const FileFacts &facts)
{
    const FileCheck &c = facts.check;
    const StreamFacts &s = c.stream;
    json j = fileRecord(path, "described", -1, {});
    j.update(verdictFields(c));
    j["structure"] = facts.structure;
    j["flags"] = facts.flags;
    j["first_frame"] = facts.firstFrame;
    j["audio_size"] = facts.audioSize;
    j["first_header"] = hex(facts.firstHeader);
    j["mpeg_version"] = facts.mpegVersion;
    j["layer"] = facts.layer;
    j["sample_rate"] = facts.sampleRate;
    j["channel_mode"] = facts.channelMode;
    const bool walked = s.errorCode == 0;
    j["audio_frames"] = walked ? json(s.audioFrames) : json(nullptr);
    j["duration_ms"] = walked ? json(std::llround(s.durationSeconds * 1000.0)) : json(nullptr);
    if (c.layout.wrapper != RiffWrapper::None)
        j["riff_size_placeholders"] = {{"riff", c.layout.riffSizePlaceholder}, {"data", c.layout.dataSizePlaceholder}};
    if (c.header && c.header->kind != VbrHeaderKind::Vbri) {
        json x;
        x["flags"] = c.header->flags;
        x["frames"] = orNull(c.header->frames);
        x["bytes"] = orNull(c.header->bytes);
        x["toc"] = orNull(c.header->toc);
        j["xing"] = x;
    }
    j["header"] = headerAsJson(c);
    json junk = json::array();
    for (const JunkSpan &span : s.junk)
        junk.push_back({{"offset", span.offset}, {"length", span.length}, {"kind", junkKindName(span.kind)}});
    j["junk"] = junk;
    json tags;
    json id3v2 = json::array();
    for (const ByteSpan &tag : c.layout.id3v2)
        id3v2.push_back(spanAsJson(tag));
    tags["id3v2"] = id3v2;
    tags["padding_after_id3v2"] = spanAsJson(c.layout.junkBeforeFirstFrame);
    tags["id3v2_at_end"] = spanAsJson(s.id3v2AtEnd);
    tags["apev2"] = spanAsJson(c.layout.ape);
    tags["lyrics3"] = spanAsJson(c.layout.lyrics3);
    tags["id3v1"] = spanAsJson(c.layout.id3v1);
    j["tags"] = tags;
    return dump(j);
}

std::string factsAsText(const std::string &path, const FileFacts &facts)
{
    const FileCheck &c = facts.check;
    const StreamFacts &s = c.stream;
    std::string flags;
    for (const std::string &flag : facts.flags)
        flags += (flags.empty() ? "" : ", ") + flag;
    char line[512];
    std::string text = shownPath(path) + ": "
        + (c.header ? "This File includes a VBR Header." : "This File includes no VBR Header.") + "\n";
    std::snprintf(line, sizeof line, "  structure:    0x%02X (%s)\n", static_cast<unsigned>(facts.structure),
                  flags.empty() ? "plain MPEG audio" : flags.c_str());
    text += line;
    std::snprintf(line, sizeof line, "  first frame:  at byte %d, header %s: MPEG-%s Layer %s, %d Hz, %s\n",
                  facts.firstFrame, hex(facts.firstHeader).c_str(), facts.mpegVersion.c_str(), layerName(facts.layer),
                  facts.sampleRate, facts.channelMode.c_str());
    text += line;
    std::snprintf(line, sizeof line, "  audio size:   %d bytes\n", facts.audioSize);
    text += line;
    if (c.layout.riffSizesArePlaceholders()) {
        std::snprintf(line, sizeof line, "  RIFF sizes:   placeholders (%s), not the file's\n",
                      c.layout.riffSizePlaceholder && c.layout.dataSizePlaceholder ? "RIFF and data"
                          : c.layout.riffSizePlaceholder                           ? "RIFF"
                                                                                   : "data");
        text += line;
    }
    if (s.errorCode == 0)
        std::snprintf(line, sizeof line, "  audio frames: %lld, %.3f s\n", static_cast<long long>(s.audioFrames),
                      s.durationSeconds);
    else
        std::snprintf(line, sizeof line, "  audio frames: cannot be counted (error %d)\n", s.errorCode);
    text += line;
    if (c.header) {
        const VbrHeader &h = *c.header;
        const auto shown = [](const std::optional<std::uint32_t> &v) { return v ? std::to_string(*v) : std::string("-"); };
        std::snprintf(line, sizeof line, "  %s frame:   %s frames, %s bytes, %s\n", vbrHeaderKindName(h.kind),
                      shown(h.frames).c_str(), shown(h.bytes).c_str(),
                      h.toc || (h.kind == VbrHeaderKind::Vbri && h.vbriTocEntries > 0) ? "seek table" : "no seek table");
        text += line;
        std::snprintf(line, sizeof line, "  the stream:   %lld frames, %lld bytes\n", static_cast<long long>(s.audioFrames),
                      static_cast<long long>(s.streamBytes));
        text += line;
        if (h.extension) {
            const EncoderExtension &e = *h.extension;
            const char *music = !c.musicCrcValid ? "" : *c.musicCrcValid ? "valid" : "does not match";
            std::snprintf(line, sizeof line,
                          "  encoder:      %s, delay %d, padding %d%s%s, music length %u, music CRC %04X %s, tag CRC %04X %s\n",
                          e.encoder.c_str(), e.delay, e.padding, gainText("track", e.radioGain).c_str(),
                          gainText("album", e.audiophileGain).c_str(), e.musicLength, e.musicCrc, music, e.tagCrc,
                          e.tagCrcValid ? "valid" : "does not match");
            text += line;
        }
    }
    for (const ByteSpan &tag : c.layout.id3v2) {
        std::snprintf(line, sizeof line, "  ID3v2 tag:    at %lld, %lld bytes\n", static_cast<long long>(tag.offset),
                      static_cast<long long>(tag.length));
        text += line;
    }
    const std::pair<const char *, ByteSpan> others[] = {{"padding:     ", c.layout.junkBeforeFirstFrame},
                                                        {"ID3v2 at end:", s.id3v2AtEnd},
                                                        {"APEv2 tag:   ", c.layout.ape},
                                                        {"Lyrics3:     ", c.layout.lyrics3},
                                                        {"ID3v1 tag:   ", c.layout.id3v1}};
    for (const auto &[name, span] : others) {
        if (span.length == 0)
            continue;
        std::snprintf(line, sizeof line, "  %s at %lld, %lld bytes\n", name, static_cast<long long>(span.offset),
                      static_cast<long long>(span.length));
        text += line;
    }
    for (const JunkSpan &span : s.junk) {
        std::snprintf(line, sizeof line, "  %-13s at %lld, %lld bytes\n",
                      (junkKindName(span.kind) + std::string(":")).c_str(), static_cast<long long>(span.offset),
                      static_cast<long long>(span.length));
        text += line;
    }
    text += "  verdict:      " + std::string(verdictName(c.verdict)) + (c.reason.empty() ? "" : " (" + c.reason + ")") + "\n";
    return text;
}

std::string verdictAsText(const std::string &path, HeaderVerdict verdict, const std::string &reason)
{
    return shownPath(path) + ": " + verdictName(verdict) + (reason.empty() ? "" : " (" + reason + ")") + "\n";
}

std::string verdictAsJson(const std::string &path, const FileFacts &facts)
{
    json j = fileRecord(path, facts.check.verdict == HeaderVerdict::Unreadable ? "failed" : "checked", -1, {});
    j.update(verdictFields(facts.check));
    j["header"] = headerAsJson(facts.check);
    return dump(j);
}

std::string refusalAsJson(const std::string &path, const char *result, const RewriteResult &failure)
{
    json j = fileRecord(path, result, failure.errorCode, reasonText(failure));
    j["verdict"] = std::strcmp(result, "skipped") == 0 ? json(nullptr) : json(verdictName(HeaderVerdict::Unreadable));
    j["truncated"] = nullptr;
    j["header"] = nullptr;
    return dump(j);
}

} // namespace brantlow::cli
