// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brantlow {

// Why the probe refuses a file, for a program that words it in its own language.
enum class ProbeRefusal { None, TooLarge, OtherRiffForm, PcmWave, OtherWaveFormat, NoFrameSync };

struct ProbeVerdict {
    bool acceptable = false;
    std::string reason; // why not, when not acceptable
    ProbeRefusal refusal = ProbeRefusal::None;
};

// Decides from a file's first and last bytes whether it can be audio at all,
// before it is read whole. Refuses only what the full analysis never takes:
// 2 GiB or more, a RIFF of another form, a WAVE whose format is not MPEG, a
// head without any frame sync after its ID3v2 tags. What the head does not
// show (a tag longer than the head, a format chunk past it) is acceptable.
// `tail` holds the file's last `tailSize` bytes.
ProbeVerdict probeFileHead(const std::uint8_t *head, std::size_t headSize, const std::uint8_t *tail,
                           std::size_t tailSize, std::int64_t fileSize);

// How many bytes of head and tail the probe looks at.
inline constexpr std::size_t kProbeHeadSize = 128 * 1024;
inline constexpr std::size_t kProbeTailSize = 128;

} // namespace brantlow
