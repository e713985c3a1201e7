// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

namespace brantlow {

// 0x80000008: a system colour (high bit) with index 8, the window-text colour.
inline constexpr std::int32_t kWindowTextColor = static_cast<std::int32_t>(0x80000008u);

// What a stored font holds that QFont does not carry; kept beside the path
// box's font so that it goes back to the settings file as it came.
struct FontExtras {
    std::int32_t Charaset = 0;
    std::int32_t Color = kWindowTextColor;
    std::int32_t Pitch = 0; // 0 default, 1 variable, 2 fixed
};

// The path box's font as the settings file's "Font" and "Font\Style" keys
// hold it. Height is in pixels (negative: character height), Size in points.
struct StoredFont {
    FontExtras extras;
    std::int32_t Height = -13;
    QString Name = QStringLiteral("Arial");
    std::int32_t Size = 10;
    bool IsBold = false;
    bool IsItalic = false;
    bool IsUnderline = false;
    bool IsStrikeOut = false;
};

// Height is applied before Size, so a usable Size wins over Height.
QFont fontFromStored(const StoredFont &stored);
StoredFont storedFromFont(const QFont &font, const FontExtras &extras, int dotsPerInch);

// A stored colour is 0x00BBGGRR, or a system colour when the high bit is
// set; system colours give an invalid QColor (keep the palette's own).
QColor colorFromStored(std::int32_t value);
std::int32_t storedFromColor(const QColor &color);

} // namespace brantlow
