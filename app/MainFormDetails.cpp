// SPDX-License-Identifier: GPL-3.0-or-later
// What the open file holds, for "File > Details" and for offering "File >
// Fix VBR Header".

#include "MainForm.h"

#include "DetailsDialog.h"

#include "job/FileDetails.h"
#include "platform/PathParts.h"

#include <QAction>
#include <QFile>

void TForm1::learnFacts(bool offerFix)
{
    m_facts = brantlow::checkLoadedFile(BinEdit);
    FileDetails->setEnabled(m_facts.has_value());
    const bool mendable = m_facts
        && (m_facts->verdict == brantlow::HeaderVerdict::Stale || m_facts->verdict == brantlow::HeaderVerdict::Missing);
    FileFix->setEnabled(offerFix && mendable);
}

void TForm1::forgetFacts()
{
    m_facts.reset();
    FileDetails->setEnabled(false);
}

void TForm1::FileDetailsExecute()
{
    if (!m_facts)
        return;
    const std::string path = QFile::encodeName(FileName).toStdString();
    DetailsDialog1->showFacts(QFile::decodeName(brantlow::platform::namePart(path).c_str()), *m_facts);
    DetailsDialog1->exec();
}
