// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressBar.h"

#include <cstdio>
#include <string>

namespace brantlow::cli {

void ProgressBar::draw(std::size_t finished)
{
    if (!m_enabled || m_total == 0)
        return;
    constexpr std::size_t kWidth = 40;
    const std::size_t filled = finished * kWidth / m_total;
    const std::string bar = std::string(filled, '#') + std::string(kWidth - filled, '-');
    std::fprintf(stderr, "\r[%s] %zu/%zu", bar.c_str(), finished, m_total);
    std::fflush(stderr);
    m_shown = true;
}

void ProgressBar::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}

} // namespace brantlow::cli
