// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What add then remove must give back.

#include "engine/FileLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzzing {

inline std::uint32_t littleEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

inline void putLittleEndian32(std::uint8_t *p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The original bytes; but RIFF sizes that were placeholders come back as the
// true sizes (those `back` carries), and an odd data chunk without its pad
// byte that the add made even gets its pad byte on removal (and the RIFF
// size grows by it).
inline std::vector<std::uint8_t> expectedAfterRoundTrip(const std::uint8_t *data, std::size_t size,
                                                        const std::vector<std::uint8_t> &back)
{
    std::vector<std::uint8_t> expected(data, data + size);
    const brantlow::FileLayout layout = brantlow::locateLayout(data, static_cast<std::int64_t>(size));
    const auto sizeAt = static_cast<std::size_t>(layout.dataChunkHeader + 4);
    if (layout.dataChunkHeader < 0 || back.size() < sizeAt + 4)
        return expected;
    const std::uint32_t dataSize = littleEndian32(back.data() + sizeAt);
    if (back.size() == size + 1 && (dataSize & 1) == 1) {
        const auto padAt = static_cast<std::size_t>(layout.dataChunkHeader + 8) + dataSize;
        if (padAt > expected.size())
            return expected;
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(padAt), 0);
        putLittleEndian32(expected.data() + 4, littleEndian32(data + 4) + 1);
    }
    if (layout.riffSizePlaceholder)
        std::copy(back.begin() + 4, back.begin() + 8, expected.begin() + 4);
    if (layout.dataSizePlaceholder)
        std::copy(back.begin() + static_cast<std::ptrdiff_t>(sizeAt),
                  back.begin() + static_cast<std::ptrdiff_t>(sizeAt) + 4,
                  expected.begin() + static_cast<std::ptrdiff_t>(sizeAt));
    return expected;
}

} // namespace fuzzing
