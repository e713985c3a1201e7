#include "InfoReport.h"

#include "PathText.h"

#include "engine/ByteReader.h"
#include "engine/FrameHeader.h"
#include "engine/XingLayout.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace brantlow::cli {

namespace {

namespace fh = frameheader;

constexpr std::array<std::pair<std::int32_t, const char *>, 6> kFlagNames = {{
    {sfVbrHeader, "vbr_header"},
    {sfId3v1, "id3v1"},
    {sfLyrics3, "lyrics3"},
    {sfId3v2, "id3v2"},
    {sfRmp3, "rmp3"},
    {sfWave, "wave"},
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

std::optional<XingFacts> readXing(const TBinEdit &engine)
{
    if (!engine.HasVbrHeader())
        return std::nullopt;
    const detail::ByteReader reader(engine.Image->Data(), engine.Image->Size());
    const xing::Layout layout = xing::layoutFor(engine.FirstHeader);
    const std::int64_t frame = engine.FirstFrame;
    XingFacts facts;
    const auto flags = reader.u32be(frame + layout.flags);
    if (!flags)
        return facts;
    facts.flags = *flags;
    // The fields that are present follow one another in this order.
    std::int64_t at = frame + layout.frames;
    if (facts.flags & 1) {
        facts.frames = reader.u32be(at);
        at += 4;
    }
    if (facts.flags & 2) {
        facts.bytes = reader.u32be(at);
        at += 4;
    }
    if (facts.flags & 4) {
        std::array<std::uint8_t, 100> toc{};
        if (reader.readBytes(at, static_cast<std::int64_t>(toc.size()), toc.data()))
            facts.toc = toc;
    }
    return facts;
}

std::string hex(const FrameHeaderBytes &h)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", h[0], h[1], h[2], h[3]);
    return text;
}

} // namespace

FileFacts gatherFacts(TBinEdit &engine)
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
    facts.xing = readXing(engine);

    // The walk re-runs the structure analysis, so everything above is read first.
    engine.ErrorCode = -1;
    if (!engine.BuildFrameIndex()) {
        facts.indexErrorCode = engine.ErrorCode;
        return facts;
    }
    // Durations from samples per frame: the engine's own frame durations
    // follow byte lengths and drift with padding.
    std::int64_t frames = 0;
    double milliseconds = 0.0;
    const FrameRecord *record = engine.FrameList.Next;
    if (facts.xing && record != nullptr && record != &engine.FrameListEnd)
        record = record->Next; // the Xing frame is silent and not counted
    for (; record != nullptr && record != &engine.FrameListEnd; record = record->Next) {
        ++frames;
        const std::int32_t rate = fh::sampleRateHz(record->Header);
        if (rate > 0)
            milliseconds += 1000.0 * fh::samplesPerFrame(record->Header) / rate;
    }
    facts.audioFrames = frames;
    facts.durationMs = milliseconds;
    return facts;
}

std::string factsAsJson(const std::string &path, const FileFacts &facts)
{
    nlohmann::ordered_json j;
    j["path"] = pathAsJson(path);
    j["ok"] = true;
    j["structure"] = facts.structure;
    j["flags"] = facts.flags;
    j["first_frame"] = facts.firstFrame;
    j["audio_size"] = facts.audioSize;
    j["first_header"] = hex(facts.firstHeader);
    j["mpeg_version"] = facts.mpegVersion;
    j["layer"] = facts.layer;
    j["sample_rate"] = facts.sampleRate;
    j["channel_mode"] = facts.channelMode;
    j["audio_frames"] = facts.audioFrames ? nlohmann::ordered_json(*facts.audioFrames) : nullptr;
    j["duration_ms"] = facts.durationMs ? nlohmann::ordered_json(std::llround(*facts.durationMs)) : nullptr;
    if (!facts.audioFrames)
        j["index_error_code"] = facts.indexErrorCode;
    if (facts.xing) {
        nlohmann::ordered_json x;
        x["flags"] = facts.xing->flags;
        x["frames"] = facts.xing->frames ? nlohmann::ordered_json(*facts.xing->frames) : nullptr;
        x["bytes"] = facts.xing->bytes ? nlohmann::ordered_json(*facts.xing->bytes) : nullptr;
        x["toc"] = facts.xing->toc ? nlohmann::ordered_json(*facts.xing->toc) : nullptr;
        j["xing"] = x;
    }
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string failureAsJson(const std::string &path, std::int32_t errorCode, const std::string &message,
                          const std::string &reason)
{
    nlohmann::ordered_json j;
    j["path"] = pathAsJson(path);
    j["ok"] = false;
    j["error_code"] = errorCode >= 0 ? nlohmann::ordered_json(errorCode) : nullptr;
    j["message"] = message;
    if (!reason.empty())
        j["reason"] = reason;
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string factsAsText(const std::string &path, const FileFacts &facts)
{
    std::string flags;
    for (const std::string &flag : facts.flags)
        flags += (flags.empty() ? "" : ", ") + flag;
    char line[256];
    std::string text = shownPath(path) + ": " + (facts.xing ? "This File includes a VBR Header." : "This File includes no VBR Header.") + "\n";
    std::snprintf(line, sizeof line, "  structure:    0x%02X (%s)\n", static_cast<unsigned>(facts.structure),
                  flags.empty() ? "plain MPEG audio" : flags.c_str());
    text += line;
    constexpr std::array<const char *, 4> kLayerNames = {"(reserved)", "I", "II", "III"};
    std::snprintf(line, sizeof line, "  first frame:  at byte %d, header %s: MPEG-%s Layer %s, %d Hz, %s\n", facts.firstFrame,
                  hex(facts.firstHeader).c_str(), facts.mpegVersion.c_str(), kLayerNames[facts.layer], facts.sampleRate,
                  facts.channelMode.c_str());
    text += line;
    std::snprintf(line, sizeof line, "  audio size:   %d bytes\n", facts.audioSize);
    text += line;
    if (facts.audioFrames)
        std::snprintf(line, sizeof line, "  audio frames: %lld, %.3f s\n", static_cast<long long>(*facts.audioFrames),
                      *facts.durationMs / 1000.0);
    else
        std::snprintf(line, sizeof line, "  audio frames: cannot be counted (error %d)\n", facts.indexErrorCode);
    text += line;
    if (facts.xing) {
        const auto shown = [](const std::optional<std::uint32_t> &v) { return v ? std::to_string(*v) : std::string("-"); };
        std::snprintf(line, sizeof line, "  Xing frame:   %s frames, %s bytes, %s\n", shown(facts.xing->frames).c_str(),
                      shown(facts.xing->bytes).c_str(), facts.xing->toc ? "seek table" : "no seek table");
        text += line;
    }
    return text;
}

} // namespace brantlow::cli
