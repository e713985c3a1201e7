// SPDX-License-Identifier: GPL-3.0-or-later
#include "FontDialog.h"

#include "PathBoxFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace brantlow;

namespace {

struct NamedColor {
    const char *name;
    QRgb rgb;
};

// The sixteen colours of the usual font dialog's colour list.
constexpr std::array<NamedColor, 16> kColors{{
    {QT_TRANSLATE_NOOP("FontDialog", "Black"), 0x000000},
    {QT_TRANSLATE_NOOP("FontDialog", "Maroon"), 0x800000},
    {QT_TRANSLATE_NOOP("FontDialog", "Green"), 0x008000},
    {QT_TRANSLATE_NOOP("FontDialog", "Olive"), 0x808000},
    {QT_TRANSLATE_NOOP("FontDialog", "Navy"), 0x000080},
    {QT_TRANSLATE_NOOP("FontDialog", "Purple"), 0x800080},
    {QT_TRANSLATE_NOOP("FontDialog", "Teal"), 0x008080},
    {QT_TRANSLATE_NOOP("FontDialog", "Gray"), 0x808080},
    {QT_TRANSLATE_NOOP("FontDialog", "Silver"), 0xC0C0C0},
    {QT_TRANSLATE_NOOP("FontDialog", "Red"), 0xFF0000},
    {QT_TRANSLATE_NOOP("FontDialog", "Lime"), 0x00FF00},
    {QT_TRANSLATE_NOOP("FontDialog", "Yellow"), 0xFFFF00},
    {QT_TRANSLATE_NOOP("FontDialog", "Blue"), 0x0000FF},
    {QT_TRANSLATE_NOOP("FontDialog", "Fuchsia"), 0xFF00FF},
    {QT_TRANSLATE_NOOP("FontDialog", "Aqua"), 0x00FFFF},
    {QT_TRANSLATE_NOOP("FontDialog", "White"), 0xFFFFFF},
}};

QIcon swatch(const QColor &color, const QColor &frame)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(frame);
    painter.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

} // namespace

FontDialog::FontDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Font"));
    const QColor frame = palette().color(QPalette::WindowText);

    m_family = new QComboBox(this);
    // Symbol fonts, and faces that cannot show Latin letters, are not offered.
    for (const QString &family : QFontDatabase::families()) {
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Latin) && !systems.contains(QFontDatabase::Symbol)
            && !QFontDatabase::isPrivateFamily(family))
            m_family->addItem(family);
    }
    m_size = new QSpinBox(this);
    m_size->setRange(1, kLargestPointSize);
    m_size->setSuffix(tr(" pt"));
    m_bold = new QCheckBox(tr("&Bold"), this);
    m_italic = new QCheckBox(tr("&Italic"), this);
    m_strikeOut = new QCheckBox(tr("Stri&keout"), this);
    m_underline = new QCheckBox(tr("&Underline"), this);
    m_colors = new QComboBox(this);
    m_colors->addItem(swatch(palette().color(QPalette::Text), frame), tr("Window text"), kWindowTextColor);
    for (const NamedColor &color : kColors)
        m_colors->addItem(swatch(QColor(color.rgb), frame), tr(color.name), storedFromColor(QColor(color.rgb)));
    m_sample = new QLabel(QStringLiteral("AaBbYyZz 0123"), this);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_sample->setMinimumHeight(48);

    auto *form = new QFormLayout;
    const auto row = [&](const QString &text, QWidget *field) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(tr("&Font:"), m_family);
    row(tr("&Size:"), m_size);
    auto *styles = new QHBoxLayout;
    for (QCheckBox *box : {m_bold, m_italic, m_strikeOut, m_underline})
        styles->addWidget(box);
    styles->addStretch();
    form->addRow(tr("Style:"), styles);
    row(tr("&Color:"), m_colors);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);

    connect(m_family, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    connect(m_size, &QSpinBox::valueChanged, this, &FontDialog::showSample);
    for (QCheckBox *box : {m_bold, m_italic, m_strikeOut, m_underline})
        connect(box, &QCheckBox::toggled, this, &FontDialog::showSample);
    connect(m_colors, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
}

void FontDialog::setSelectedFont(const QFont &font)
{
    m_original = font;
    const QFontInfo info(font);
    m_family->setCurrentIndex(std::max(0, m_family->findText(info.family())));
    m_size->setValue(font.pointSize() > 0 ? font.pointSize() : info.pointSize());
    m_bold->setChecked(font.bold());
    m_italic->setChecked(font.italic());
    m_strikeOut->setChecked(font.strikeOut());
    m_underline->setChecked(font.underline());
    showSample();
}

QFont FontDialog::selectedFont() const
{
    QString family = m_family->currentText();
    if (family == QFontInfo(m_original).family())
        family = m_original.family();
    QFont font(family);
    font.setPointSize(m_size->value());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    font.setUnderline(m_underline->isChecked());
    return font;
}

void FontDialog::setColorValue(std::int32_t value)
{
    int index = m_colors->findData(value);
    if (index < 0) {
        // A colour from the settings file that is not in the list stays choosable.
        m_colors->addItem(swatch(colorFromStored(value), palette().color(QPalette::WindowText)), tr("Custom"), value);
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

void FontDialog::showSample()
{
    m_sample->setFont(selectedFont());
    QPalette palette = m_sample->palette();
    const QColor color = colorFromStored(colorValue());
    palette.setColor(QPalette::WindowText, color.isValid() ? color : this->palette().color(QPalette::Text));
    m_sample->setPalette(palette);
}
