// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QFont>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// Font selection for the path box. It offers only what the settings file
// keeps: faces with Latin letters (no symbol fonts), sizes 1 to 20 points,
// bold, italic, strike-out, underline, and a colour.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLargestPointSize = 20;

    explicit FontDialog(QWidget *parent = nullptr);

    // Takes the face, size and style of `font`; a size out of range is
    // shown at the nearest size offered.
    void setSelectedFont(const QFont &font);
    QFont selectedFont() const;
    // A stored colour value (see PathBoxFont.h): system colour or 0x00BBGGRR.
    void setColorValue(std::int32_t value);
    std::int32_t colorValue() const;
    // The stored pitch of the selected face: 2 fixed, 1 variable.
    std::int32_t pitchValue() const;

    QComboBox *familyList() const { return m_family; }
    QSpinBox *sizeBox() const { return m_size; }
    QComboBox *colorList() const { return m_colors; }

private:
    void showSample();

    QComboBox *m_family;
    QSpinBox *m_size;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QCheckBox *m_strikeOut;
    QCheckBox *m_underline;
    QComboBox *m_colors;
    QLabel *m_sample;
    // The font the dialog started from: its family name is kept when the
    // list only shows the face that name resolves to ("Arial" shown as
    // "Liberation Sans").
    QFont m_original;
};
