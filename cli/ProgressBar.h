// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace brantlow::cli {

// A one-line bar on standard error, redrawn in place; does nothing when off.
class ProgressBar {
public:
    ProgressBar(bool enabled, std::size_t total) : m_enabled(enabled), m_total(total) { }
    void draw(std::size_t finished);
    // Takes the bar off the line so that other output can be printed.
    void clear();

private:
    bool m_enabled;
    std::size_t m_total;
    bool m_shown = false;
};

} // namespace brantlow::cli
