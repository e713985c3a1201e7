#include "FontDialog.h"

#include "PathBoxFont.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QVBoxLayout>

#include <array>

using namespace brantlow;

namespace {

constexpr int kLargestPointSize = 20;

struct NamedColor {
    const char *name;
    QRgb rgb;
};

// The sixteen colours of the usual font dialog's colour list.
constexpr std::array<NamedColor, 16> kColors{{
    {"Black", 0x000000}, {"Maroon", 0x800000}, {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},  {"Purple", 0x800080}, {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},   {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},  {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF}, {"White", 0xFFFFFF},
}};

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

} // namespace

FontDialog::FontDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Font"));
    m_chooser = new QFontDialog(this);
    m_chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    // Shown inside this dialog rather than as a window of its own.
    m_chooser->setWindowFlags(Qt::Widget);
    m_chooser->setSizeGripEnabled(false);

    m_colors = new QComboBox(this);
    m_colors->addItem(swatch(QPalette().color(QPalette::WindowText)), QStringLiteral("Window text"),
                      kWindowTextColor);
    for (const NamedColor &color : kColors)
        m_colors->addItem(swatch(QColor(color.rgb)), QString::fromLatin1(color.name),
                          storedFromColor(QColor(color.rgb)));

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Color:"), this));
    colorRow->addWidget(m_colors);
    colorRow->addStretch();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chooser);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

void FontDialog::setSelectedFont(const QFont &font)
{
    m_original = font;
    QFont shown = font;
    shown.setFamily(QFontInfo(font).family());
    m_chooser->setCurrentFont(shown);
}

QFont FontDialog::selectedFont() const
{
    QFont font = m_chooser->currentFont();
    if (font.family() == QFontInfo(m_original).family())
        font.setFamily(m_original.family());
    if (font.pointSize() > kLargestPointSize)
        font.setPointSize(kLargestPointSize);
    return font;
}

void FontDialog::setColorValue(std::int32_t value)
{
    int index = m_colors->findData(value);
    if (index < 0) {
        // A colour from the settings file that is not in the list stays choosable.
        m_colors->addItem(swatch(colorFromStored(value)), QStringLiteral("Custom"), value);
        index = m_colors->count() - 1;
    }
    m_colors->setCurrentIndex(index);
}

std::int32_t FontDialog::colorValue() const
{
    return m_colors->currentData().toInt();
}

std::int32_t FontDialog::pitchValue() const
{
    return QFontInfo(selectedFont()).fixedPitch() ? 2 : 1;
}
