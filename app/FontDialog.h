#pragma once

#include <QDialog>
#include <QFont>

#include <cstdint>

class QComboBox;
class QFontDialog;

// Font selection for the path box: Qt's font chooser (family, style, size,
// strike-out, underline) with a colour list below it, as the path box's
// stored font includes a colour. Sizes are limited to 20 points.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr);

    void setSelectedFont(const QFont &font);
    QFont selectedFont() const;
    // A stored colour value (see PathBoxFont.h): system colour or 0x00BBGGRR.
    void setColorValue(std::int32_t value);
    std::int32_t colorValue() const;
    // The stored pitch of the selected face: 2 fixed, 1 variable.
    std::int32_t pitchValue() const;

    QFontDialog *fontChooser() const { return m_chooser; }
    QComboBox *colorList() const { return m_colors; }

private:
    QFontDialog *m_chooser;
    // The font the dialog started from: its family name is kept when the
    // chooser only shows the face that name resolves to ("Arial" shown as
    // "Liberation Sans").
    QFont m_original;
    QComboBox *m_colors;
};
