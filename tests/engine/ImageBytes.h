// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The engine's image read whole, for tests that compare it with bytes.

#include "engine/ByteSource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

inline std::vector<std::uint8_t> bytesOf(const brantlow::ByteSource &source)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(brantlow::readWhole(source, bytes));
    return bytes;
}
