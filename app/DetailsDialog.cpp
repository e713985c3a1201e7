// SPDX-License-Identifier: GPL-3.0-or-later
#include "DetailsDialog.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include "batch/ReasonText.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <cmath>

using brantlow::FileCheck;
using brantlow::HeaderVerdict;

namespace {

QString verdictText(const FileCheck &check)
{
    const QString reason = checkReasonText(check);
    switch (check.verdict) {
    case HeaderVerdict::Right:
        return TDetailsDBox::tr("Right: it matches the stream");
    case HeaderVerdict::Stale:
        return TDetailsDBox::tr("Stale: %1").arg(reason);
    case HeaderVerdict::Missing:
        return TDetailsDBox::tr("Missing: a variable-bitrate stream without a header");
    case HeaderVerdict::NotNeeded:
        return TDetailsDBox::tr("Not needed: a constant-bitrate stream");
    case HeaderVerdict::Unreadable:
        return TDetailsDBox::tr("Unreadable: %1").arg(reason);
    }
    return {};
}

QString countOrDash(const std::optional<std::uint32_t> &value)
{
    // A translation writes the count as its language does ("%L1": 5.803).
    return value ? TDetailsDBox::tr("%1", "a count of the header").arg(*value) : QStringLiteral("-");
}

QString headerText(const FileCheck &check)
{
    if (!check.header)
        return TDetailsDBox::tr("none", "no header frame");
    const brantlow::VbrHeader &h = *check.header;
    const bool seekTable = h.toc || (h.kind == brantlow::VbrHeaderKind::Vbri && h.vbriTocEntries > 0);
    return TDetailsDBox::tr("%1, %2 frames, %3 bytes, %4")
        .arg(QString::fromLatin1(brantlow::vbrHeaderKindName(h.kind)), countOrDash(h.frames), countOrDash(h.bytes),
             seekTable ? TDetailsDBox::tr("seek table") : TDetailsDBox::tr("no seek table"));
}

QString streamText(const FileCheck &check)
{
    const brantlow::StreamFacts &s = check.stream;
    if (s.errorCode != 0)
        return TDetailsDBox::tr("cannot be walked (%1)").arg(engineReasonText(s.errorCode));
    static const char *const kLayers[] = {"", "I", "II", "III"};
    const char *layer = s.layer >= 1 && s.layer <= 3 ? kLayers[s.layer] : "";
    QString text =
        TDetailsDBox::tr("%1 frames, %2 bytes, %3 s, Layer %4, %5")
            .arg(s.audioFrames)
            .arg(s.streamBytes)
            .arg(s.durationSeconds, 0, 'f', 3)
            .arg(QString::fromLatin1(layer),
                 s.variableBitrate ? TDetailsDBox::tr("variable bitrate") : TDetailsDBox::tr("constant bitrate"));
    if (check.layout.wrapper == brantlow::RiffWrapper::Wave)
        text += TDetailsDBox::tr(", in a RIFF WAVE file");
    else if (check.layout.wrapper == brantlow::RiffWrapper::Rmp3)
        text += TDetailsDBox::tr(", in a RIFF RMP3 file");
    return text;
}

const brantlow::EncoderExtension *extensionOf(const FileCheck &check)
{
    return check.header && check.header->extension ? &*check.header->extension : nullptr;
}

QString encoderText(const FileCheck &check)
{
    const brantlow::EncoderExtension *e = extensionOf(check);
    if (!e)
        return TDetailsDBox::tr("not recorded");
    const QString name = e->encoder.empty() ? TDetailsDBox::tr("unnamed") : QString::fromLatin1(e->encoder.c_str());
    return TDetailsDBox::tr("%1, delay %2 samples, padding %3 samples").arg(name).arg(e->delay).arg(e->padding);
}

QString gainText(const FileCheck &check)
{
    const brantlow::EncoderExtension *e = extensionOf(check);
    QStringList parts;
    if (e) {
        const std::pair<const char *, const brantlow::ReplayGain *> gains[] = {
            {QT_TRANSLATE_NOOP("TDetailsDBox", "track %1%2 dB"), &e->radioGain},
            {QT_TRANSLATE_NOOP("TDetailsDBox", "album %1%2 dB"), &e->audiophileGain}};
        for (const auto &[text, gain] : gains) {
            // The sign always shown: "+1.5 dB" beside "-7.9 dB"; the number
            // in the language's own way where its translation asks (%L2).
            if (gain->name != 0)
                parts << TDetailsDBox::tr(text)
                             .arg(gain->db < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                             .arg(std::abs(gain->db), 0, 'f', 1);
        }
        if (e->peakRaw != 0)
            parts << TDetailsDBox::tr("peak %1").arg(e->peak, 0, 'f', 3);
    }
    return parts.isEmpty() ? TDetailsDBox::tr("none", "no ReplayGain") : parts.join(QStringLiteral(", "));
}

QString tagsText(const brantlow::FileLayout &layout)
{
    QStringList parts;
    for (const brantlow::ByteSpan &tag : layout.id3v2)
        parts << TDetailsDBox::tr("ID3v2 (%1 bytes)").arg(tag.length);
    const std::pair<const char *, brantlow::ByteSpan> others[] = {
        {"APEv2", layout.ape}, {"Lyrics3", layout.lyrics3}, {"ID3v1", layout.id3v1}};
    for (const auto &[name, span] : others) {
        if (span.length != 0)
            parts << TDetailsDBox::tr("%1 (%2 bytes)").arg(QLatin1String(name)).arg(span.length);
    }
    return parts.isEmpty() ? TDetailsDBox::tr("none", "no tags") : parts.join(QStringLiteral(", "));
}

QString junkText(const FileCheck &check)
{
    QStringList parts;
    if (check.layout.junkBeforeFirstFrame.length != 0)
        parts << TDetailsDBox::tr("%1 bytes before the first frame").arg(check.layout.junkBeforeFirstFrame.length);
    std::int64_t inside = 0;
    for (const brantlow::JunkSpan &span : check.stream.junk)
        inside += span.length;
    if (inside != 0)
        parts << TDetailsDBox::tr("%1 bytes in %2 places inside the stream").arg(inside).arg(check.stream.junk.size());
    if (check.stream.unresyncedBytes != 0)
        parts << TDetailsDBox::tr("%1 bytes at its end").arg(check.stream.unresyncedBytes);
    return parts.isEmpty() ? TDetailsDBox::tr("none", "no junk") : parts.join(QStringLiteral("; "));
}

} // namespace

TDetailsDBox::TDetailsDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setFont(layoutFont(13));
    auto *rows = new QFormLayout;
    rows->setLabelAlignment(Qt::AlignLeft);
    Verdict = addRow(rows, tr("&VBR header:"));
    Header = addRow(rows, tr("&Header frame:"));
    Stream = addRow(rows, tr("&Stream:"));
    Encoder = addRow(rows, tr("&Encoder:"));
    Gain = addRow(rows, tr("&ReplayGain:"));
    Tags = addRow(rows, tr("&Tags:"));
    Junk = addRow(rows, tr("&Junk:"));

    CloseBtn = new QPushButton(tr("&Close"), this);
    CloseBtn->setDefault(true);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addWidget(CloseBtn, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel *TDetailsDBox::addRow(QFormLayout *rows, const QString &caption)
{
    auto *value = new QLabel(this);
    // Read and copied with the keyboard too; Tab goes from row to row.
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value->setFocusPolicy(Qt::StrongFocus);
    value->setWordWrap(true);
    value->setMinimumWidth(value->fontMetrics().averageCharWidth() * 44);
    // The caption without its mnemonic and colon ("Flux :" in French too).
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    value->setAccessibleName(name.trimmed());
    auto *label = new QLabel(caption, this);
    label->setBuddy(value);
    rows->addRow(label, value);
    return value;
}

void TDetailsDBox::showFacts(const QString &name, const FileCheck &check)
{
    setWindowTitle(tr("%1 - Details").arg(name));
    Verdict->setText(verdictText(check));
    Header->setText(headerText(check));
    Stream->setText(streamText(check));
    Encoder->setText(encoderText(check));
    Gain->setText(gainText(check));
    Tags->setText(tagsText(check.layout));
    Junk->setText(junkText(check));
}

void TDetailsDBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnOwner(this);
    // Enter or Esc closes it at once; Tab goes through the rows.
    CloseBtn->setFocus();
}
