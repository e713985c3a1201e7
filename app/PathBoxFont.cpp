// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathBoxFont.h"

#include <cmath>

namespace brantlow {

namespace {

// Rounds value * numerator / denominator to the nearest integer.
std::int32_t scaleRounded(double value, int numerator, int denominator)
{
    return static_cast<std::int32_t>(std::lround(value * numerator / denominator));
}

} // namespace

QFont fontFromStored(const StoredFont &stored)
{
    QFont font;
    if (stored.Height != 0)
        font.setPixelSize(std::abs(stored.Height));
    if (!stored.Name.isEmpty())
        font.setFamily(stored.Name);
    if (stored.Size > 0)
        font.setPointSize(stored.Size);
    font.setFixedPitch(stored.extras.Pitch == 2);
    font.setBold(stored.IsBold);
    font.setItalic(stored.IsItalic);
    font.setUnderline(stored.IsUnderline);
    font.setStrikeOut(stored.IsStrikeOut);
    return font;
}

StoredFont storedFromFont(const QFont &font, const FontExtras &extras, int dotsPerInch)
{
    StoredFont stored;
    stored.extras = extras;
    stored.Name = font.family();
    if (font.pointSizeF() > 0) {
        stored.Size = static_cast<std::int32_t>(std::lround(font.pointSizeF()));
        stored.Height = -scaleRounded(stored.Size, dotsPerInch, 72);
    } else {
        stored.Height = -font.pixelSize();
        stored.Size = scaleRounded(font.pixelSize(), 72, dotsPerInch);
    }
    stored.IsBold = font.bold();
    stored.IsItalic = font.italic();
    stored.IsUnderline = font.underline();
    stored.IsStrikeOut = font.strikeOut();
    return stored;
}

QColor colorFromStored(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u)
        return {};
    return QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

std::int32_t storedFromColor(const QColor &color)
{
    if (!color.isValid())
        return kWindowTextColor;
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

} // namespace brantlow
