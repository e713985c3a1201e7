#include "DetailsDialog.h"

#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include "engine/ErrorCodes.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

using brantlow::FileCheck;
using brantlow::HeaderVerdict;

namespace {

QString verdictText(const FileCheck &check)
{
    const QString reason = QString::fromStdString(check.reason);
    switch (check.verdict) {
    case HeaderVerdict::Right:
        return QStringLiteral("Right: it matches the stream");
    case HeaderVerdict::Stale:
        return QStringLiteral("Stale: %1").arg(reason);
    case HeaderVerdict::Missing:
        return QStringLiteral("Missing: a variable-bitrate stream without a header");
    case HeaderVerdict::NotNeeded:
        return QStringLiteral("Not needed: a constant-bitrate stream");
    case HeaderVerdict::Unreadable:
        return QStringLiteral("Unreadable: %1").arg(reason);
    }
    return {};
}

QString countOrDash(const std::optional<std::uint32_t> &value)
{
    return value ? QString::number(*value) : QStringLiteral("-");
}

QString headerText(const FileCheck &check)
{
    if (!check.header)
        return QStringLiteral("none");
    const brantlow::VbrHeader &h = *check.header;
    const bool seekTable = h.toc || (h.kind == brantlow::VbrHeaderKind::Vbri && h.vbriTocEntries > 0);
    return QStringLiteral("%1, %2 frames, %3 bytes, %4")
        .arg(QString::fromLatin1(brantlow::vbrHeaderKindName(h.kind)), countOrDash(h.frames), countOrDash(h.bytes),
             seekTable ? QStringLiteral("seek table") : QStringLiteral("no seek table"));
}

QString streamText(const FileCheck &check)
{
    const brantlow::StreamFacts &s = check.stream;
    if (s.errorCode != 0)
        return QStringLiteral("cannot be walked (error %1: %2)")
            .arg(s.errorCode)
            .arg(QString::fromLatin1(brantlow::errorCodeText(s.errorCode)));
    static const char *const kLayers[] = {"", "I", "II", "III"};
    const char *layer = s.layer >= 1 && s.layer <= 3 ? kLayers[s.layer] : "";
    QString text =
        QStringLiteral("%1 frames, %2 bytes, %3 s, Layer %4, %5")
            .arg(s.audioFrames)
            .arg(s.streamBytes)
            .arg(s.durationSeconds, 0, 'f', 3)
            .arg(QString::fromLatin1(layer),
                 s.variableBitrate ? QStringLiteral("variable bitrate") : QStringLiteral("constant bitrate"));
    if (check.layout.wrapper == brantlow::RiffWrapper::Wave)
        text += QStringLiteral(", in a RIFF WAVE file");
    else if (check.layout.wrapper == brantlow::RiffWrapper::Rmp3)
        text += QStringLiteral(", in a RIFF RMP3 file");
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
        return QStringLiteral("not recorded");
    const QString name = e->encoder.empty() ? QStringLiteral("unnamed") : QString::fromLatin1(e->encoder.c_str());
    return QStringLiteral("%1, delay %2 samples, padding %3 samples").arg(name).arg(e->delay).arg(e->padding);
}

QString gainText(const FileCheck &check)
{
    const brantlow::EncoderExtension *e = extensionOf(check);
    QStringList parts;
    if (e) {
        const std::pair<const char *, const brantlow::ReplayGain *> gains[] = {{"track", &e->radioGain},
                                                                               {"album", &e->audiophileGain}};
        for (const auto &[name, gain] : gains) {
            // The sign always shown: "+1.5 dB" beside "-7.9 dB".
            if (gain->name != 0)
                parts << QString::asprintf("%s %+.1f dB", name, gain->db);
        }
        if (e->peakRaw != 0)
            parts << QStringLiteral("peak %1").arg(e->peak, 0, 'f', 3);
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QString tagsText(const brantlow::FileLayout &layout)
{
    QStringList parts;
    for (const brantlow::ByteSpan &tag : layout.id3v2)
        parts << QStringLiteral("ID3v2 (%1 bytes)").arg(tag.length);
    const std::pair<const char *, brantlow::ByteSpan> others[] = {
        {"APEv2", layout.ape}, {"Lyrics3", layout.lyrics3}, {"ID3v1", layout.id3v1}};
    for (const auto &[name, span] : others) {
        if (span.length != 0)
            parts << QStringLiteral("%1 (%2 bytes)").arg(QLatin1String(name)).arg(span.length);
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QString junkText(const FileCheck &check)
{
    QStringList parts;
    if (check.layout.junkBeforeFirstFrame.length != 0)
        parts << QStringLiteral("%1 bytes before the first frame").arg(check.layout.junkBeforeFirstFrame.length);
    std::int64_t inside = 0;
    for (const brantlow::JunkSpan &span : check.stream.junk)
        inside += span.length;
    if (inside != 0)
        parts << QStringLiteral("%1 bytes in %2 places inside the stream").arg(inside).arg(check.stream.junk.size());
    if (check.stream.unresyncedBytes != 0)
        parts << QStringLiteral("%1 bytes at its end").arg(check.stream.unresyncedBytes);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; "));
}

} // namespace

TDetailsDBox::TDetailsDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setFont(layoutFont(13));
    auto *rows = new QFormLayout;
    rows->setLabelAlignment(Qt::AlignLeft);
    Verdict = addRow(rows, QStringLiteral("&VBR header:"));
    Header = addRow(rows, QStringLiteral("&Header frame:"));
    Stream = addRow(rows, QStringLiteral("&Stream:"));
    Encoder = addRow(rows, QStringLiteral("&Encoder:"));
    Gain = addRow(rows, QStringLiteral("&ReplayGain:"));
    Tags = addRow(rows, QStringLiteral("&Tags:"));
    Junk = addRow(rows, QStringLiteral("&Junk:"));

    CloseBtn = new QPushButton(QStringLiteral("&Close"), this);
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
    QString name = caption;
    value->setAccessibleName(name.remove(QLatin1Char('&')).chopped(1));
    auto *label = new QLabel(caption, this);
    label->setBuddy(value);
    rows->addRow(label, value);
    return value;
}

void TDetailsDBox::showFacts(const QString &name, const FileCheck &check)
{
    setWindowTitle(QStringLiteral("%1 - Details").arg(name));
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
