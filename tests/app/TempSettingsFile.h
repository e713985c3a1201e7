// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A settings file of the test's own: named as the program names it, in a
// fresh temporary folder, so that a test that stopped half-way (leaving,
// say, a folder where the file should be) cannot trip the next run.

#include "app/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace apptest {

class TempSettingsFile {
public:
    TempSettingsFile()
    {
        const QString executable = m_folder.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        m_path = brantlow::chooseSettingsFile(executable, true, {});
        brantlow::useSettingsFile(m_path);
    }
    ~TempSettingsFile() { brantlow::useSettingsFile({}); }
    TempSettingsFile(const TempSettingsFile &) = delete;
    TempSettingsFile &operator=(const TempSettingsFile &) = delete;

    QString path() const { return m_path; }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

// Gives the settings file a fresh folder, dropping the last one with all it
// holds, and returns its path: the next start is a first run.
inline QString freshSettingsFile()
{
    static std::unique_ptr<TempSettingsFile> current;
    current.reset();
    current = std::make_unique<TempSettingsFile>();
    return current->path();
}

} // namespace apptest
