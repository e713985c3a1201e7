#pragma once

// Helpers shared by the desktop program's tests: sample files, a fresh
// settings file, and answers to modal dialogs from inside their event loops.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/SettingsFile.h"
#include "TempSettingsFile.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace apptest {

inline QString sampleFile(const char *name)
{
    return QStringLiteral(BRANTLOW_TEST_DATA_DIR "/") + QString::fromLatin1(name);
}

// lame's VBR output without a Xing frame, and with one.
inline QString sampleWithoutHeader() { return sampleFile("mpeg1_stereo_vbr.mp3"); }
inline QString sampleWithHeader() { return sampleFile("lame_xing.mp3"); }

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Copies `source` to `folder` and dates it back to 2001, so that a kept and
// a renewed last-write time are told apart without waiting.
inline QString copyDatedBack(const QString &source, const QString &folder, const QString &name)
{
    const QString target = QDir(folder).filePath(name);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return {};
    QFile file(target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    if (!file.open(QIODevice::ReadWrite))
        return {};
    file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC), QFileDevice::FileModificationTime);
    return target;
}

inline QDateTime lastWriteTime(const QString &path)
{
    return QFileInfo(path).fileTime(QFileDevice::FileModificationTime).toUTC();
}

// Watches for modal dialogs while it lives and hands each one to `answer`,
// which must close it. Counts how many came up.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget *)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            ++m_count;
            m_answer(modal);
        });
        m_timer.start();
    }

    int count() const { return m_count; }

private:
    std::function<void(QWidget *)> m_answer;
    QTimer m_timer;
    int m_count = 0;
};

// Gives `window` and every child with a font of its own the font family
// `family`, sizes kept.
inline void useFontFamily(QWidget *window, const QString &family)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (widget != window && !widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = widget->font();
        font.setFamilies({family});
        widget->setFont(font);
    }
}

// What the main window's error dialog showed, each time it came up.
struct ErrorSeen {
    QStringList captions;
    QStringList messages;
};

} // namespace apptest
