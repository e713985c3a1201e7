// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the batch window tests: the window on its own with a
// host of the test's own, MP3 files made in code, answers to modal dialogs,
// and a run started and waited for.

#include "batch/AllRewriteDialog.h"
#include "batch/BatchHost.h"
#include "batch/FileCheckList.h"
#include "batch/MultiErrorDialog.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace batchtest {

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, stereo, no CRC: 417-byte frames.
inline constexpr char kFrameHeader[4] = {'\xFF', '\xFB', '\x90', '\x00'};
inline constexpr int kFrameLength = 417;
// Header plus 32 bytes of stereo MPEG-1 side information.
inline constexpr int kXingOffset = 36;

inline QByteArray mp3Bytes(int frames = 12)
{
    QByteArray bytes;
    for (int i = 0; i < frames; ++i) {
        QByteArray frame(kFrameLength, '\0');
        frame.replace(0, 4, QByteArray(kFrameHeader, 4));
        bytes += frame;
    }
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the first frame of a file made by mp3Bytes is a Xing frame.
inline bool hasXingFrame(const QString &path)
{
    return readFile(path).mid(kXingOffset, 4) == "Xing";
}

// The batch window and its error dialog, handed what the main window would
// hand them by fields a test sets: each is read when the window needs it.
class TestBatchHost {
public:
    TestBatchHost()
    {
        BatchHost host;
        host.settings = [this] { return settings; };
        host.openDialogFolder = [this] { return openDialogFolder; };
        host.listFont = [this] { return listFont; };
        host.listTextColour = [this] { return listTextColour; };
        host.errorDialog = &errorDialog;
        window.setHost(std::move(host));
    }

    // The window as it is after the main window's "&Multiple".
    TMultiFileDBox &shownWindow()
    {
        window.hide();
        window.show();
        return window;
    }

    BatchSettings settings;
    QString openDialogFolder = QDir::tempPath();
    QFont listFont;
    std::optional<QColor> listTextColour;
    TMultiErrorDBox errorDialog;
    TMultiFileDBox window;
};

// Starts a run with the run button and returns once it has ended.
inline bool runToEnd(TMultiFileDBox &box)
{
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&box, &TMultiFileDBox::runFinished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    box.Button2->click();
    if (!ended)
        loop.exec();
    return ended;
}

inline QStringList listStates(const TMultiFileDBox &box)
{
    QStringList states;
    for (int row = 0; row < box.CheckListBox1->count(); ++row)
        states << box.CheckListBox1->state(row);
    return states;
}

inline QStringList listPaths(const TMultiFileDBox &box)
{
    QStringList paths;
    for (int row = 0; row < box.CheckListBox1->count(); ++row)
        paths << box.CheckListBox1->path(row);
    return paths;
}

inline QList<bool> listMarks(const TMultiFileDBox &box)
{
    QList<bool> marks;
    for (int row = 0; row < box.CheckListBox1->count(); ++row)
        marks << box.CheckListBox1->isChecked(row);
    return marks;
}

// Answers the next modal dialog (whatever it is) as soon as it is up, from
// inside its own event loop.
inline void answerNextModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

// Picks `names` (relative to `folder`) in the multi-select open dialog.
inline void answerOpenDialog(const QString &folder, const QStringList &names)
{
    answerNextModal([folder, names](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        dialog->setDirectory(folder);
        QStringList quoted;
        for (const QString &name : names)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(quoted.join(QLatin1Char(' ')));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
    });
}

// Chooses `folder` in the folder browser; an empty folder cancels it.
inline void answerFolderDialog(const QString &folder)
{
    answerNextModal([folder](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog || folder.isEmpty()) {
            if (dialog)
                dialog->reject();
            else
                modal->close();
            return;
        }
        dialog->setDirectory(folder);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
    });
}

// Answers every batch error dialog of a run from a script, recording the
// caption and the message of each one.
class ErrorDialogAnswerer : public QObject {
public:
    enum Answer { Continue, Cancel, Escape };
    struct Seen {
        QString caption;
        QString message;
    };

    ErrorDialogAnswerer(TMultiErrorDBox &dialog, QList<Answer> answers)
        : m_dialog(dialog),
          m_answers(std::move(answers))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(5);
    }

    const std::vector<Seen> &seen() const { return m_seen; }

private:
    void poll()
    {
        if (QApplication::activeModalWidget() != &m_dialog || !m_dialog.isVisible())
            return;
        m_seen.push_back({m_dialog.windowTitle(), m_dialog.Label1->text()});
        const Answer answer = m_answers.isEmpty() ? Cancel : m_answers.takeFirst();
        if (answer == Continue)
            m_dialog.OKBtn->click();
        else if (answer == Cancel)
            m_dialog.CancelBtn->click();
        else
            m_dialog.reject();
    }

    TMultiErrorDBox &m_dialog;
    QTimer m_timer;
    QList<Answer> m_answers;
    std::vector<Seen> m_seen;
};

} // namespace batchtest
