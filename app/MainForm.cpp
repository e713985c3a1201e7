// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainForm.h"

#include "About.h"
#include "DetailsDialog.h"
#include "ErrorDialg.h"
#include "Forms.h"
#include "OtherDialog.h"
#include "SettingsFile.h"
#include "ToolbarImages.h"

#include "batch/AllRewriteDialog.h"
#include "batch/ReasonText.h"
#include "widgets/FileDialogs.h"
#include "widgets/LayoutFont.h"
#include "widgets/LocalPath.h"
#include "widgets/Placement.h"
#include "widgets/RecoveryNotice.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

const char *const kOpenFailed = QT_TRANSLATE_NOOP("TForm1", "Cannot open this file.");
const char *const kNotMpegAudio = QT_TRANSLATE_NOOP("TForm1", "This file is not MPEG/Audio file.");
const char *const kRewriteFailed = QT_TRANSLATE_NOOP("TForm1", "Cannot Add/Remove a VBR Header.");

// The least room between a caption and the box or text it names.
constexpr int kCaptionGap = 6;

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    buildActions();
    buildLayout();
    LoadSettings();
    setCommandLine(QCoreApplication::arguments().mid(1));
}

TForm1::~TForm1() = default;

void TForm1::buildActions()
{
    const auto action = [this](const QString &caption, void (TForm1::*handler)()) {
        auto *result = new QAction(caption, this);
        connect(result, &QAction::triggered, this, handler);
        return result;
    };
    // The menu entries that open a dialog say so with an ellipsis.
    FileOpen = action(tr("&Open..."), &TForm1::FileOpenExecute);
    FileOpen->setIcon(openImage());
    FileOpen->setShortcut(QKeySequence::Open);
    FileSave = action(tr("&Save"), &TForm1::FileSaveExecute);
    FileSave->setIcon(saveImage());
    FileFix = action(tr("&Fix VBR Header"), &TForm1::FileFixExecute);
    FileDetails = action(tr("&Details..."), &TForm1::FileDetailsExecute);
    FileDetails->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    FileMultiple = action(tr("&Multiple..."), &TForm1::FileMultipleExecute);
    FileMultiple->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    FileUndoLastRun = action(tr("&Undo Last Run"), &TForm1::FileUndoLastRunExecute);
    FileExit = action(tr("E&xit"), &TForm1::FileExitExecute);
    // Some platform themes name no key for Quit.
    FileExit->setShortcut(QKeySequence::keyBindings(QKeySequence::Quit).value(0, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    HelpAbout = action(tr("&About..."), &TForm1::HelpAboutExecute);
    SettingOther = action(tr("O&ther..."), &TForm1::SettingOtherExecute);
    SettingFont = action(tr("&Font..."), &TForm1::SettingFontExecute);

    Save1 = new QAction(FileSave->text(), this);
    Save1->setIcon(FileSave->icon());
    // On the entry, not on FileSave, so that it is off while the entry is.
    Save1->setShortcut(QKeySequence::Save);
    connect(Save1, &QAction::triggered, FileSave, &QAction::trigger);
}

void TForm1::buildLayout()
{
    setWindowTitle(QStringLiteral("Brantlow"));
    setFont(layoutFont(13));
    // No menu for hiding the toolbar.
    setContextMenuPolicy(Qt::NoContextMenu);

    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(FileOpen);
    file->addAction(Save1);
    file->addAction(FileFix);
    file->addAction(FileDetails);
    file->addAction(FileMultiple);
    file->addAction(FileUndoLastRun);
    file->addAction(FileExit);
    QMenu *settings = menuBar()->addMenu(tr("&Settings"));
    settings->addAction(SettingFont);
    settings->addAction(SettingOther);
    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(HelpAbout);
    // F10 opens the first menu, as in other desktop programs.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this, file] { menuBar()->setActiveAction(file->menuAction()); });

    // Its title is what a screen reader says of it.
    ToolBar1 = addToolBar(tr("Toolbar"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setAccessibleName(ToolBar1->windowTitle());
    ToolBar1->setAccessibleDescription(tr("Open a file, or add or remove its VBR header"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setFixedHeight(29);
    auto *gap = new QWidget(ToolBar1);
    gap->setFixedWidth(8);
    ToolBar1->addWidget(gap);
    ToolButton2 = new QToolButton(ToolBar1);
    ToolButton2->setDefaultAction(FileOpen);
    ToolButton2->setToolTip(tr("Open a file (%1)").arg(FileOpen->shortcut().toString(QKeySequence::NativeText)));
    ToolButton2->setAccessibleName(tr("Open"));
    ToolButton2->setAccessibleDescription(tr("Opens an MP3, RMP3 or WAVE file"));
    ToolButton3 = new QToolButton(ToolBar1);
    ToolButton3->setIcon(FileSave->icon());
    ToolButton3->setToolTip(
        tr("Add or remove the VBR header (%1)").arg(Save1->shortcut().toString(QKeySequence::NativeText)));
    ToolButton3->setAccessibleDescription(tr("Adds or removes the VBR header of the open file"));
    connect(ToolButton3, &QToolButton::clicked, FileSave, &QAction::trigger);
    for (QToolButton *button : {ToolButton2, ToolButton3}) {
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        // Reachable with Tab, and Space presses it.
        button->setFocusPolicy(Qt::StrongFocus);
        ToolBar1->addWidget(button);
    }

    auto *central = new QWidget(this);
    setCentralWidget(central);
    // The group box sits 36 pixels below the top of the client area, of which
    // the toolbar takes 29.
    GroupBox1 = new QGroupBox(tr(" File "), central);
    GroupBox1->setGeometry(8, 36 - 29, 342, 81);
    anchorRight(GroupBox1, 10);
    Label1 = labelAt(GroupBox1, tr("&Path:"), 25, 24);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setReadOnly(true);
    Label1->setBuddy(Edit1);
    Edit1->setGeometry(72, 20, 254, 24);
    anchorRight(Edit1, 16);
    Label2 = labelAt(GroupBox1, tr("Status:"), 16, 56);
    Label3 = labelAt(GroupBox1, QString(), 72, 56);
    Label3->resize(Label3->width(), Label2->height());
    anchorRight(Label3, 8);
    setTabOrder(ToolButton2, ToolButton3);
    setTabOrder(ToolButton3, Edit1);

    OpenDialog1 = new QFileDialog(this, tr("Open"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name need not exist: opening it then reports the failure.
    OpenDialog1->setFileMode(QFileDialog::AnyFile);
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog1->setNameFilters(fileDialogFilters());

    FontDialog1 = new FontDialog(this);
    DetailsDialog1 = new TDetailsDBox(this);
    disableRewriteEntries();
    forgetFacts();
}

QString TForm1::openDialogFolder() const
{
    return m_openDialogFolder;
}

void TForm1::setCommandLine(const QList<QByteArray> &arguments)
{
    m_commandLine = arguments;
}

void TForm1::setCommandLine(const QStringList &arguments)
{
    m_commandLine.clear();
    for (const QString &argument : arguments)
        m_commandLine.append(QFile::encodeName(argument));
}

QByteArray TForm1::localFileName() const
{
    if (!m_localFileName.isEmpty() && shownPath(m_localFileName) == FileName)
        return m_localFileName;
    return localPathOf(FileName);
}

void TForm1::setSaveEntryEnabled(bool enabled)
{
    Save1->setEnabled(enabled);
    ToolButton3->setEnabled(enabled);
    // The button is read out as what the entry does.
    ToolButton3->setAccessibleName(Save1->text().remove(QLatin1Char('&')));
}

void TForm1::disableRewriteEntries()
{
    setSaveEntryEnabled(false);
    FileFix->setEnabled(false);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm1::FormShow()
{
    // Labels sized from their texts in the font in use; the path box and the
    // status start after their captions where those need more room than the
    // design gives them.
    Label1->adjustSize();
    Label2->adjustSize();
    const int pathLeft = std::max(72, Label1->geometry().right() + 1 + kCaptionGap);
    Edit1->setGeometry(pathLeft, Edit1->y(), GroupBox1->width() - pathLeft - 16, Edit1->height());
    const int statusLeft = std::max(72, Label2->geometry().right() + 1 + kCaptionGap);
    Label3->setGeometry(statusLeft, Label3->y(), GroupBox1->width() - statusLeft - 8, Label2->height());
    LoadFont();
    setAcceptDrops(true);
    if (!m_commandLine.isEmpty() && m_commandLine.front() == "--batch") {
        QList<QByteArray> paths;
        for (const QByteArray &argument : m_commandLine.mid(1))
            paths.append(absoluteLocalPath(argument));
        // Over the main window once it is up, as "&Multiple" would show it.
        QTimer::singleShot(0, this, [this, paths] { showBatchWindow(paths); });
        return;
    }
    if (m_commandLine.size() != 1 || !isExistingFile(m_commandLine.front()))
        return;
    m_localFileName = m_commandLine.front();
    if (!m_localFileName.startsWith('/'))
        m_localFileName = QFile::encodeName(QDir::currentPath()) + '/' + m_localFileName;
    FileName = shownPath(m_localFileName);
    // Opened once the window is up, so that an error dialog has its owner on screen.
    QTimer::singleShot(0, this, [this] { OpenCurrentFile(); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    BinEdit.ReleaseImage();
    SaveSettings();
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    // No file is opened while an undo runs.
    if (!urls.isEmpty() && urls.front().isLocalFile() && !m_undo)
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile() || m_undo)
        return;
    event->acceptProposedAction();
    activateWindow();
    raise();
    // Only the first file; opened after the drop has finished so that the
    // source is not kept waiting on an error dialog.
    const QByteArray path = localPathOf(urls.front());
    QTimer::singleShot(0, this, [this, path] {
        m_localFileName = path;
        FileName = shownPath(path);
        OpenCurrentFile();
    });
}

bool TForm1::OpenCurrentFile()
{
    Edit1->clear();
    Label3->clear();
    disableRewriteEntries();
    forgetFacts();

    recoverInterruptedRewrites(this, {localFileName().toStdString()});
    const brantlow::RewriteResult result = brantlow::openForRewrite(BinEdit, localFileName().toStdString(), Opened);
    if (!result.ok()) {
        const char *message = result.step == brantlow::RewriteStep::Analyze ? kNotMpegAudio : kOpenFailed;
        ErrorDBox->Label1->setText(tr(message));
        ErrorDBox->Label2->setText(rewriteReasonText(result));
        ShowOpenError();
        return false;
    }

    Edit1->setText(FileName);
    AddMode = !Opened.hadHeader;
    Save1->setText(AddMode ? tr("&Add VBR Header") : tr("&Remove VBR Header"));
    m_openStatus = AddMode ? tr("This File includes no VBR Header.") : tr("This File includes a VBR Header.");
    Label3->setText(m_openStatus);
    setSaveEntryEnabled(true);
    learnFacts(true);
    return true;
}

void TForm1::ShowOpenError()
{
    ErrorDBox->exec();
    FileName.clear();
    Edit1->clear();
    Label3->clear();
}

void TForm1::showError(const char *message, const brantlow::RewriteResult &result)
{
    ErrorDBox->Label1->setText(tr(message));
    ErrorDBox->Label2->setText(rewriteReasonText(result));
    ErrorDBox->exec();
}

bool TForm1::RewriteCurrentFile()
{
    return rewriteAs(AddMode ? brantlow::RewriteMode::Add : brantlow::RewriteMode::Remove).ok();
}

void TForm1::FileOpenExecute()
{
    OpenDialog1->setDirectory(m_openDialogFolder);
    if (execFileDialog(OpenDialog1) != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    FileName = OpenDialog1->selectedFiles().front();
    // The dialog shows names that are not UTF-8 with replacement characters.
    m_localFileName = localPathOf(FileName);
    Settings.Folder = brantlow::folderOf(FileName);
    m_openDialogFolder = Settings.Folder;
    OpenCurrentFile();
}

void TForm1::FileSaveExecute()
{
    if (FileName.isEmpty())
        return;
    if (!RewriteCurrentFile())
        showError(kRewriteFailed, m_lastRewrite);
    disableRewriteEntries();
}

void TForm1::FileFixExecute()
{
    // Only while a file whose header is stale or missing is open.
    if (FileName.isEmpty() || !FileFix->isEnabled())
        return;
    const brantlow::RewriteResult result = rewriteAs(brantlow::RewriteMode::Fix);
    if (!result.ok())
        showError(kRewriteFailed, result);
    disableRewriteEntries();
}

void TForm1::FileMultipleExecute()
{
    showBatchWindow({});
}

void TForm1::showBatchWindow(const QList<QByteArray> &paths)
{
    BinEdit.ReleaseImage();
    disableRewriteEntries();
    forgetFacts();
    FileName.clear();
    Edit1->clear();
    Label3->clear();
    // Listed once the window has been shown, which empties its list.
    if (!paths.isEmpty())
        QTimer::singleShot(0, MultiFileDBox, [paths] { MultiFileDBox->WMDropFiles(paths); });
    MultiFileDBox->exec();
}

void TForm1::FileExitExecute()
{
    close();
}

void TForm1::HelpAboutExecute()
{
    AboutBox->exec();
}

void TForm1::SettingOtherExecute()
{
    OtherDBox->exec();
}

void TForm1::SettingFontExecute()
{
    FontDialog1->setSelectedFont(Edit1->font());
    FontDialog1->setColorValue(PathFontExtras.Color);
    if (FontDialog1->exec() != QDialog::Accepted)
        return;
    PathFontExtras.Color = FontDialog1->colorValue();
    PathFontExtras.Pitch = FontDialog1->pitchValue();
    applyPathFont(FontDialog1->selectedFont());
}
