// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the desktop program's tests: sample files, a fresh
// settings file, the program's start, answers to modal dialogs from inside
// their event loops, and drops.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/SettingsFile.h"
#include "TempSettingsFile.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <type_traits>
#include <utility>

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

// Starts the program as main() does without a command line: every window
// made, the main one shown.
inline void startProgram()
{
    CreateForms();
    Form1->show();
}

// Drags `urls` onto `target` and drops them, as a file manager does; true
// when the target took both the drag and the drop.
inline bool dropUrls(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(50, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
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

inline void rejectModal(QWidget *modal)
{
    static_cast<QDialog *>(modal)->reject();
}

// An answer for modal dialogs of type `Dialog`; any other modal window is
// rejected, so that a wrong one cannot hang the test.
template <typename Dialog>
std::function<void(QWidget *)> answerOnly(std::function<void(Dialog *)> answer)
{
    return [answer = std::move(answer)](QWidget *modal) {
        if (auto *dialog = qobject_cast<Dialog *>(modal))
            answer(dialog);
        else
            rejectModal(modal);
    };
}

// Triggers `action` and hands every modal `Dialog` it brings up to `answer`,
// rejecting any other; returns how many came up.
template <typename Dialog = QWidget>
int triggerAnswering(QAction *action, std::type_identity_t<std::function<void(Dialog *)>> answer)
{
    ModalAnswerer answerer(answerOnly<Dialog>(std::move(answer)));
    action->trigger();
    return answerer.count();
}

// Picks `path` in the open dialog, or cancels it when `path` is empty.
inline std::function<void(QWidget *)> chooseFile(const QString &path)
{
    return answerOnly<QFileDialog>([path](QFileDialog *dialog) {
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box: selectFile() alone does not take a file
        // the dialog's folder view has not listed yet.
        dialog->selectFile(path);
        if (auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            nameBox->setText(path);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept() is protected
    });
}

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
    QStringList reasons;
};

} // namespace apptest
