// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's three passes over the settings file: geometry and the
// settings record at creation, the path box's font at show, everything at close.

#include "MainForm.h"

#include "SettingsFile.h"

#include "widgets/Placement.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QScreen>

#include <algorithm>

using namespace brantlow;

namespace {

// The default geometry: left, top, outer width, outer height.
constexpr int kDefaultLeft = 100;
constexpr int kDefaultTop = 100;
constexpr int kDefaultWidth = 435;
constexpr int kDefaultHeight = 174;
constexpr int kMinimumWidth = 150;
// Below this the window's controls cannot be reached.
constexpr int kMinimumHeight = 60;
// Borders and title bar of a usual window frame: left, top, right, bottom.
constexpr QMargins kFrameAllowance(4, 27, 4, 4);

} // namespace

void TForm1::LoadSettings()
{
    const QString file = settingsFilePath();
    const int top = readProfileInteger(file, "Form", "Top", kDefaultTop);
    const int left = readProfileInteger(file, "Form", "Left", kDefaultLeft);
    const int width = readProfileInteger(file, "Form", "Width", kDefaultWidth);
    const int height = readProfileInteger(file, "Form", "Height", kDefaultHeight);
    applyGeometry(left, top, width, height);

    Settings.Folder = readProfileText(file, "Folder", "Init", firstFolder());
    m_openDialogFolder = Settings.Folder;
    Settings.NotUpdate = readProfileBool(file, "TimeStamp", "NotUpdate", true);
    Settings.MaxOffset = readProfileInteger(file, "FramseSeek", "MaxOffset", 3);
    Settings.SubDirectory = readProfileBool(file, "Multiple", "SubDirectory", true);
    Settings.NoErrDialog = readProfileBool(file, "Multiple", "NoErrDialog", false);
    Settings.DelItems = readProfileBool(file, "Multiple", "DelItems", true);
}

void TForm1::applyGeometry(int left, int top, int width, int height)
{
    // The size is kept within the screen: a huge stored size would otherwise
    // ask for a window buffer larger than memory.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : width;
    const int screenHeight = screen ? screen->geometry().height() : height;
    width = std::clamp(width, kMinimumWidth, std::max(kMinimumWidth, screenWidth));
    height = std::clamp(height, kMinimumHeight, std::max(kMinimumHeight, screenHeight));

    // A position on a screen that is gone (a monitor unplugged) would open
    // the window where it cannot be seen, and keep it there at every close.
    QList<QRect> available;
    for (const QScreen *each : QGuiApplication::screens())
        available.append(each->availableGeometry());
    // The stored position is the frame's (move() places the frame) and the
    // size the client area's. The window manager's frame is not known before
    // the window is shown: room is kept for a usual one.
    const QSize frameExtra(kFrameAllowance.left() + kFrameAllowance.right(),
                           kFrameAllowance.top() + kFrameAllowance.bottom());
    const QRect placed = placeOnScreens(QRect(QPoint(left, top), QSize(width, height) + frameExtra), available);
    left = placed.left();
    top = placed.top();
    width = std::max(kMinimumWidth, placed.width() - frameExtra.width());
    height = std::max(kMinimumHeight, placed.height() - frameExtra.height());

    move(left, top);
    // The user may change the width only; the height stays what was stored.
    setMinimumSize(kMinimumWidth, height);
    setMaximumSize(std::max(kMinimumWidth, screenWidth), height);
    resize(width, height);
}

void TForm1::LoadFont()
{
    const QString file = settingsFilePath();
    const StoredFont defaults;
    StoredFont stored;
    stored.extras.Charaset = readProfileInteger(file, "Font", "Charaset", defaults.extras.Charaset);
    stored.extras.Color = readProfileInteger(file, "Font", "Color", defaults.extras.Color);
    stored.Height = readProfileInteger(file, "Font", "Height", defaults.Height);
    stored.Name = readProfileText(file, "Font", "Name", defaults.Name);
    stored.Size = readProfileInteger(file, "Font", "Size", defaults.Size);
    stored.extras.Pitch = readProfileInteger(file, "Font", "Pitch", defaults.extras.Pitch);
    stored.IsBold = readProfileBool(file, "Font\\Style", "IsBold", false);
    stored.IsItalic = readProfileBool(file, "Font\\Style", "IsItalic", false);
    stored.IsUnderline = readProfileBool(file, "Font\\Style", "IsUnderline", false);
    stored.IsStrikeOut = readProfileBool(file, "Font\\Style", "IsStrikeOut", false);
    PathFontExtras = stored.extras;
    applyPathFont(fontFromStored(stored));
}

void TForm1::applyPathFont(const QFont &font)
{
    Edit1->setFont(font);
    const QColor color = colorFromStored(PathFontExtras.Color);
    if (!color.isValid()) {
        // The system's window-text colour: the palette's own, so that it
        // follows a dark or changed theme.
        Edit1->setPalette(QPalette());
        return;
    }
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Text, color);
    Edit1->setPalette(palette);
}

void TForm1::SaveSettings()
{
    const QString file = settingsFilePath();
    QDir().mkpath(QFileInfo(file).absolutePath());
    const StoredFont font = storedFromFont(Edit1->font(), PathFontExtras, Edit1->logicalDpiY());

    // The pass stops at the first key that cannot be written.
    bool ok = true;
    const auto integer = [&](const char *section, const char *key, std::int32_t value) {
        ok = ok && writeProfileInteger(file, section, key, value);
    };
    const auto boolean = [&](const char *section, const char *key, bool value) {
        ok = ok && writeProfileBool(file, section, key, value);
    };
    const auto text = [&](const char *section, const char *key, const QString &value) {
        ok = ok && writeProfileText(file, section, key, value);
    };

    // x() and y() are the frame's position, as move() took them.
    integer("Form", "Top", y());
    integer("Form", "Left", x());
    integer("Form", "Width", width());
    integer("Form", "Height", height());
    text("Folder", "Init", Settings.Folder);
    boolean("TimeStamp", "NotUpdate", Settings.NotUpdate);
    integer("FramseSeek", "MaxOffset", Settings.MaxOffset);
    boolean("Multiple", "SubDirectory", Settings.SubDirectory);
    boolean("Multiple", "NoErrDialog", Settings.NoErrDialog);
    boolean("Multiple", "DelItems", Settings.DelItems);
    integer("Font", "Charaset", font.extras.Charaset);
    text("Font", "Name", font.Name);
    integer("Font", "Size", font.Size);
    integer("Font", "Color", font.extras.Color);
    integer("Font", "Pitch", font.extras.Pitch);
    integer("Font", "Height", font.Height);
    boolean("Font\\Style", "IsBold", font.IsBold);
    boolean("Font\\Style", "IsItalic", font.IsItalic);
    boolean("Font\\Style", "IsUnderline", font.IsUnderline);
    boolean("Font\\Style", "IsStrikeOut", font.IsStrikeOut);
}
