// SPDX-License-Identifier: GPL-3.0-or-later
#include "AllRewriteDialog.h"

#include "BackgroundRun.h"
#include "CheckGlyphs.h"
#include "FileCheckList.h"
#include "RunCounter.h"
#include "StateChecker.h"
#include "UndoProgress.h"

#include "widgets/FileDialogs.h"
#include "widgets/LayoutFont.h"
#include "widgets/Placement.h"

#include "platform/DirectoryWalk.h"
#include "platform/PathParts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QDropEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

using brantlow::RewriteMode;

namespace {

using Edge = AnchoredGeometry::Edge;

// The window's design sizes are outer sizes of a sizeable frame that takes
// 8 pixels of width and 27 of height; Qt sizes the client area. The third
// mode button takes one more row, which everything below it gives way to.
constexpr QSize kFrameAllowance(8, 27);
constexpr int kFixRow = 19;
constexpr QSize kDesignClient = QSize(402, 210 + kFixRow) - kFrameAllowance;
constexpr QSize kMinimumClient = QSize(400, 210 + kFixRow) - kFrameAllowance;
constexpr QSize kMaximumClient = QSize(1600, 1200) - kFrameAllowance;

QToolButton *makeGlyphButton(const QPixmap &glyph, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setIcon(QIcon(glyph));
    button->setIconSize(glyph.size());
    button->setToolTip(name);
    button->setAccessibleName(name);
    return button;
}

// The design bounds of the controls whose width follows their text.
constexpr QRect kCheckListBox1(11, 10, 274, 138 + kFixRow);
constexpr QRect kGroupBox1(300, 6, 81, 52 + kFixRow);
constexpr QRect kButton1(301, 65 + kFixRow, 79, 25);
constexpr QRect kButton3(301, 94 + kFixRow, 79, 25);
constexpr QRect kButton2(301, 122 + kFixRow, 79, 25);
constexpr int kBottomRow = 158 + kFixRow;
constexpr QRect kLabel4(63, kBottomRow, 54, 16);
constexpr QRect kProgressBar1(120, kBottomRow, 165, 16);
// The largest count the counters are sized for.
constexpr int kWidestCount = 99999;
// A progress bar narrower than this is hard to read: the window grows instead.
constexpr int kSmallestProgressWidth = 60;

} // namespace

TMultiFileDBox::TMultiFileDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_geometry(kDesignClient)
{
    setFont(layoutFont(13));

    CheckListBox1 = new FileCheckList(this);
    connect(CheckListBox1, &FileCheckList::filesDropped, this, &TMultiFileDBox::WMDropFiles);
    UndoLastRun1 = new QAction(tr("&Undo Last Run"), this);
    connect(UndoLastRun1, &QAction::triggered, this, &TMultiFileDBox::UndoLastRunExecute);
    CheckListBox1->setContextMenuPolicy(Qt::ActionsContextMenu);
    CheckListBox1->addAction(UndoLastRun1);
    m_checker = std::make_unique<StateChecker>();
    connect(CheckListBox1, &FileCheckList::rowAdded, m_checker.get(), &StateChecker::enqueue);
    connect(m_checker.get(), &StateChecker::checked, this, &TMultiFileDBox::stateChecked, Qt::QueuedConnection);
    m_run = std::make_unique<BackgroundRun>();
    connect(m_run.get(), &BackgroundRun::fileReported, this, &TMultiFileDBox::fileReported, Qt::QueuedConnection);
    connect(
        m_run.get(), &BackgroundRun::finished, this,
        [this](const brantlow::BatchCounts &counts) {
            m_runCounts = counts;
            takeReports();
        },
        Qt::QueuedConnection);

    GroupBox1 = new QGroupBox(this);
    RadioButton1 = new QRadioButton(tr("A&dd"), GroupBox1);
    RadioButton1->setGeometry(8, 11, 65, 17);
    RadioButton2 = new QRadioButton(tr("Re&move"), GroupBox1);
    RadioButton2->setGeometry(8, 30, 68, 17);
    RadioButton3 = new QRadioButton(tr("F&ix"), GroupBox1);
    RadioButton3->setGeometry(8, 49, 68, 17);
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton3Click();
    });

    Button1 = new QPushButton(tr("&Browse"), this);
    connect(Button1, &QPushButton::clicked, this, &TMultiFileDBox::Button1Click);
    Button3 = new QPushButton(folderCaption(), this);
    connect(Button3, &QPushButton::clicked, this, &TMultiFileDBox::Button3Click);
    Button2 = new QPushButton(tr("Rewrites"), this);
    connect(Button2, &QPushButton::clicked, this, &TMultiFileDBox::Button2Click);

    SpeedButton1 = makeGlyphButton(tickedBoxGlyph(), tr("Check all"), this);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMultiFileDBox::SpeedButton1Click);
    SpeedButton2 = makeGlyphButton(emptyBoxGlyph(), tr("Uncheck all"), this);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMultiFileDBox::SpeedButton2Click);

    Label4 = new QLabel(tr("Rewrited:"), this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(tr("Progress"));

    Counter = new RunCounter(this);
    Label1 = Counter->done;
    Label2 = Counter->slash;
    Label3 = Counter->total;
    CheckListBox1->setAccessibleName(tr("Files"));

    OpenDialog1 = new QFileDialog(this, tr("Select MPEG/Audio files you want to add/remove a VBR header.."));
    OpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog1->setNameFilters(fileDialogFilters());

    setTabOrder(Button1, Button3);
    setTabOrder(Button3, Button2);
    setTabOrder(Button2, CheckListBox1);
    setTabOrder(CheckListBox1, SpeedButton1);
    setTabOrder(SpeedButton1, SpeedButton2);
    setTabOrder(SpeedButton2, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, RadioButton3);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    placeControls();
    setMaximumSize(kMaximumClient);
    resize(kDesignClient);
    move(228, 142);
}

void TMultiFileDBox::placeControls()
{
    // The design layout, widened where the font in use needs more room: the
    // right-hand column and the window grow together; the counters, sized for
    // five digits, take their room from the progress bar.
    const QFontMetrics metrics(font());
    // The run button's width holds each of its captions, and "&Folder"'s
    // holds "&Cancel" and "&Stop", which it shows during a scan and a run.
    const QString shownRunCaption = Button2->text();
    const QString shownFolderCaption = Button3->text();
    int buttonWidth = std::max({kButton1.width(), widthForText(Button1), widthForText(Button2)});
    for (RewriteMode mode : {RewriteMode::Add, RewriteMode::Remove, RewriteMode::Fix}) {
        Button2->setText(runCaption(mode));
        buttonWidth = std::max(buttonWidth, widthForText(Button2));
    }
    Button2->setText(shownRunCaption);
    for (const QString &caption : {folderCaption(), scanCancelCaption(), stopCaption()}) {
        Button3->setText(caption);
        buttonWidth = std::max(buttonWidth, widthForText(Button3));
    }
    Button3->setText(shownFolderCaption);
    const int radioWidth =
        std::max({65, widthForText(RadioButton1), 68, widthForText(RadioButton2), widthForText(RadioButton3)});
    for (QRadioButton *radio : {RadioButton1, RadioButton2, RadioButton3})
        radio->resize(radioWidth, radio->height());
    const int groupWidth = std::max(kGroupBox1.width(), 8 + radioWidth + 5);
    int grow = std::max({0, groupWidth - kGroupBox1.width(), buttonWidth - kButton1.width()});

    const int label4Width = std::max(kLabel4.width(), Label4->sizeHint().width());
    const int progressLeft = std::max(kProgressBar1.left(), kLabel4.left() + label4Width + 3);
    const int positionWidth = std::max(28, metrics.horizontalAdvance(QString::number(kWidestCount)) + 2);
    const int countWidth = std::max(57, metrics.horizontalAdvance(RunCounter::totalText(kWidestCount)) + 2);
    const int countersWidth = Counter->arrange(positionWidth, countWidth) + 2;
    const int progressRoom = kDesignClient.width() + grow - countersWidth - 2 - progressLeft;
    grow += std::max(0, kSmallestProgressWidth - progressRoom);

    const QSize design(kDesignClient.width() + grow, kDesignClient.height());
    const int countersLeft = design.width() - countersWidth;
    m_geometry = AnchoredGeometry(design);
    m_geometry.place(CheckListBox1, kCheckListBox1, Edge::Left | Edge::Top | Edge::Right | Edge::Bottom);
    m_geometry.place(GroupBox1, {kGroupBox1.left(), kGroupBox1.top(), groupWidth, kGroupBox1.height()},
                     Edge::Top | Edge::Right);
    for (auto [button, bounds] : {std::pair{Button1, kButton1}, {Button3, kButton3}, {Button2, kButton2}})
        m_geometry.place(button, {bounds.left(), bounds.top(), buttonWidth, bounds.height()}, Edge::Top | Edge::Right);
    m_geometry.place(SpeedButton1, {13, kBottomRow - 3, 20, 19}, Edge::Left | Edge::Bottom);
    m_geometry.place(SpeedButton2, {32, kBottomRow - 3, 20, 19}, Edge::Left | Edge::Bottom);
    m_geometry.place(Label4, {kLabel4.left(), kLabel4.top(), label4Width, kLabel4.height()},
                     Edge::Left | Edge::Bottom);
    m_geometry.place(ProgressBar1, {progressLeft, kBottomRow, countersLeft - 2 - progressLeft, 16},
                     Edge::Left | Edge::Right | Edge::Bottom);
    m_geometry.place(Counter, {countersLeft, kBottomRow, countersWidth - 2, 16}, Edge::Right | Edge::Bottom);

    setMinimumSize(kMinimumClient + QSize(grow, 0));
    m_geometry.apply(size().expandedTo(minimumSize()));
    if (width() < minimumWidth())
        resize(minimumWidth(), height());
}

TMultiFileDBox::~TMultiFileDBox()
{
    // The threads of the run and of an undo end before the window they
    // report to, and before the checker the undo waits for.
    m_run.reset();
    delete m_undo;
    m_checker.reset();
}

void TMultiFileDBox::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_geometry.apply(event->size());
}

void TMultiFileDBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMultiFileDBox::FormShow()
{
    placeControls();
    RadioButton1->setChecked(true); // runs RadioButton1Click when it was not checked
    RadioButton2->setChecked(false);
    if (m_host.openDialogFolder)
        OpenDialog1->setDirectory(m_host.openDialogFolder());
    Counter->setCounts(0, 0);
    setWindowTitle(tr("Multiple File Mode"));
    ProgressBar1->setValue(0);
    if (m_host.listFont)
        CheckListBox1->setFont(m_host.listFont());
    // The path box's colour too: a stored one, or the theme's own.
    const std::optional<QColor> colour = m_host.listTextColour ? m_host.listTextColour() : std::nullopt;
    if (colour) {
        QPalette palette = CheckListBox1->palette();
        palette.setColor(QPalette::Text, *colour);
        CheckListBox1->setPalette(palette);
    } else {
        CheckListBox1->setPalette(QPalette());
    }
    m_checker->clear();
    CheckListBox1->clearRows();
}

void TMultiFileDBox::done(int result)
{
    // A close asked for during a scan, a run or an undo stops it and then closes.
    if (m_scanning)
        m_scanCancelled = true;
    stopRun();
    if (m_undo)
        m_undo->stop();
    if (m_running || m_scanning || m_undo) {
        m_closeRequested = true;
        m_closeResult = result;
        return;
    }
    FormClose();
    QDialog::done(result);
}

void TMultiFileDBox::FormClose()
{
    BinEdit.ReleaseImage();
    // A closed window's list is checked no further.
    m_checker->clear();
}

QString TMultiFileDBox::runCaption(RewriteMode mode)
{
    switch (mode) {
    case RewriteMode::Add:
        return tr("&Add");
    case RewriteMode::Remove:
        return tr("&Remove");
    case RewriteMode::Fix:
        return tr("Fi&x");
    }
    return {};
}

QString TMultiFileDBox::folderCaption()
{
    return tr("&Folder");
}

QString TMultiFileDBox::scanCancelCaption()
{
    return tr("&Cancel");
}

QString TMultiFileDBox::stopCaption()
{
    return tr("&Stop");
}

void TMultiFileDBox::RadioButton1Click()
{
    AddMode = RadioButton1->isChecked() ? 1 : 0;
    Button2->setText(runCaption(RewriteMode::Add));
}

void TMultiFileDBox::RadioButton2Click()
{
    AddMode = RadioButton1->isChecked() ? 1 : 0;
    Button2->setText(runCaption(RewriteMode::Remove));
}

void TMultiFileDBox::RadioButton3Click()
{
    AddMode = 2;
    Button2->setText(runCaption(RewriteMode::Fix));
}

void TMultiFileDBox::SpeedButton1Click()
{
    CheckListBox1->setAllChecked(true);
}

void TMultiFileDBox::SpeedButton2Click()
{
    CheckListBox1->setAllChecked(false);
}

void TMultiFileDBox::Button1Click()
{
    if (execFileDialog(OpenDialog1) != QDialog::Accepted)
        return;
    // Any file the user picks is listed, whatever its extension.
    for (const QString &path : OpenDialog1->selectedFiles()) {
        if (CheckListBox1->findPath(path) < 0)
            CheckListBox1->appendChecked(path);
    }
}

void TMultiFileDBox::setPushButtonsEnabled(bool enabled)
{
    Button1->setEnabled(enabled);
    Button2->setEnabled(enabled);
    Button3->setEnabled(enabled);
}

void TMultiFileDBox::setControlsEnabled(bool enabled)
{
    for (QWidget *control :
         std::initializer_list<QWidget *>{CheckListBox1, GroupBox1, Button1, Button2, SpeedButton1, SpeedButton2})
        control->setEnabled(enabled);
    UndoLastRun1->setEnabled(enabled);
    Button3->setEnabled(true);
    // A disabled list takes no drops: the window takes them over the list,
    // and keeps them until the run ends.
    CheckListBox1->setAcceptDrops(enabled);
    setAcceptDrops(!enabled);
}

void TMultiFileDBox::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

bool TMultiFileDBox::takesDropDuringRun(QDropEvent *event) const
{
    return m_running && CheckListBox1->geometry().contains(event->position().toPoint())
        && !FileCheckList::droppedFiles(event->mimeData()).isEmpty();
}

void TMultiFileDBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDropDuringRun(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMultiFileDBox::dropEvent(QDropEvent *event)
{
    if (!takesDropDuringRun(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    WMDropFiles(FileCheckList::droppedFiles(event->mimeData()));
}

void TMultiFileDBox::WMDropFiles(const QList<QByteArray> &names)
{
    // The run took its files when it started: these are listed when it ends.
    if (m_running) {
        m_waitingDrops += names;
        return;
    }
    for (const QByteArray &name : names) {
        std::error_code error;
        // A folder named like an audio file is scanned, never listed itself.
        if (std::filesystem::is_directory(name.toStdString(), error))
            MergeScan(name);
        else if (brantlow::platform::hasSupportedExtension(name.toStdString()) && CheckListBox1->findPath(name) < 0)
            CheckListBox1->appendChecked(name);
    }
    activateWindow();
    raise();
}
