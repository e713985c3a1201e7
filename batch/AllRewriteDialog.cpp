#include "AllRewriteDialog.h"

#include "CheckGlyphs.h"
#include "FileCheckList.h"

#include "app/Forms.h"
#include "app/MainForm.h"
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
#include <QResizeEvent>
#include <QShowEvent>
#include <QToolButton>

namespace {

using Edge = AnchoredGeometry::Edge;

// The window's design sizes are outer sizes of a sizeable frame that takes
// 8 pixels of width and 27 of height; Qt sizes the client area.
constexpr QSize kFrameAllowance(8, 27);
constexpr QSize kDesignClient = QSize(402, 210) - kFrameAllowance;
constexpr QSize kMinimumClient = QSize(400, 210) - kFrameAllowance;
constexpr QSize kMaximumClient = QSize(1600, 1200) - kFrameAllowance;

std::string toLocal(const QString &path)
{
    return path.toStdString();
}

QString fromLocal(const std::string &path)
{
    return QString::fromStdString(path);
}

QToolButton *makeGlyphButton(const QPixmap &glyph, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(QIcon(glyph));
    button->setIconSize(glyph.size());
    return button;
}

} // namespace

TMultiFileDBox::TMultiFileDBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_geometry(kDesignClient)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    setFont(font);

    CheckListBox1 = new FileCheckList(this);
    m_geometry.place(CheckListBox1, {11, 10, 274, 138}, Edge::Left | Edge::Top | Edge::Right | Edge::Bottom);
    connect(CheckListBox1, &FileCheckList::filesDropped, this, &TMultiFileDBox::WMDropFiles);

    GroupBox1 = new QGroupBox(this);
    m_geometry.place(GroupBox1, {300, 6, 81, 52}, Edge::Top | Edge::Right);
    RadioButton1 = new QRadioButton(QStringLiteral("Add"), GroupBox1);
    RadioButton1->setGeometry(8, 11, 65, 17);
    RadioButton2 = new QRadioButton(QStringLiteral("Remove"), GroupBox1);
    RadioButton2->setGeometry(8, 30, 68, 17);
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });

    Button1 = new QPushButton(QStringLiteral("&Browse"), this);
    m_geometry.place(Button1, {301, 65, 79, 25}, Edge::Top | Edge::Right);
    connect(Button1, &QPushButton::clicked, this, &TMultiFileDBox::Button1Click);
    Button3 = new QPushButton(QStringLiteral("&Folder"), this);
    m_geometry.place(Button3, {301, 94, 79, 25}, Edge::Top | Edge::Right);
    connect(Button3, &QPushButton::clicked, this, &TMultiFileDBox::Button3Click);
    Button2 = new QPushButton(QStringLiteral("Rewrites"), this);
    m_geometry.place(Button2, {301, 122, 79, 25}, Edge::Top | Edge::Right);
    connect(Button2, &QPushButton::clicked, this, &TMultiFileDBox::Button2Click);

    SpeedButton1 = makeGlyphButton(tickedBoxGlyph(), this);
    m_geometry.place(SpeedButton1, {13, 155, 20, 19}, Edge::Left | Edge::Bottom);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMultiFileDBox::SpeedButton1Click);
    SpeedButton2 = makeGlyphButton(emptyBoxGlyph(), this);
    m_geometry.place(SpeedButton2, {32, 155, 20, 19}, Edge::Left | Edge::Bottom);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMultiFileDBox::SpeedButton2Click);

    Label4 = new QLabel(QStringLiteral("Rewrited:"), this);
    m_geometry.place(Label4, {63, 158, 54, 16}, Edge::Left | Edge::Bottom);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    m_geometry.place(ProgressBar1, {120, 158, 165, 16}, Edge::Left | Edge::Right | Edge::Bottom);

    // The counters grow away from the slash as their numbers get longer, so
    // they are wider than their design texts.
    Label1 = new QLabel(QStringLiteral("0"), this);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_geometry.place(Label1, {287, 158, 28, 16}, Edge::Right | Edge::Bottom);
    Label2 = new QLabel(QStringLiteral("/"), this);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_geometry.place(Label2, {321, 158, 8, 16}, Edge::Right | Edge::Bottom);
    Label3 = new QLabel(QStringLiteral("0 Files"), this);
    m_geometry.place(Label3, {335, 158, kDesignClient.width() - 335 - 2, 16}, Edge::Right | Edge::Bottom);

    OpenDialog1 = new QFileDialog(this, QStringLiteral("Select MPEG/Audio files you want to add/remove a VBR header.."));
    OpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog1->setNameFilters({
        QStringLiteral("Supported Files(.mp3; .rmp; .wav) (*.mp3 *.rmp *.wav)"),
        QStringLiteral("Normal MP3 Files(.mp3) (*.mp3)"),
        QStringLiteral("RIFF/MP3(RMP3) Files(.rmp) (*.rmp)"),
        QStringLiteral("RIFF/WAVE Files(.wav) (*.wav)"),
    });

    setTabOrder(Button1, Button3);
    setTabOrder(Button3, Button2);
    setTabOrder(Button2, CheckListBox1);
    setTabOrder(CheckListBox1, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    setMinimumSize(kMinimumClient);
    setMaximumSize(kMaximumClient);
    resize(kDesignClient);
    move(228, 142);
}

TMultiFileDBox::~TMultiFileDBox() = default;

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
    RadioButton1->setChecked(true); // runs RadioButton1Click when it was not checked
    RadioButton2->setChecked(false);
    if (Form1)
        OpenDialog1->setDirectory(Form1->openDialogFolder());
    Label1->setText(QStringLiteral("0"));
    Label3->setText(QStringLiteral("0 Files"));
    setWindowTitle(QStringLiteral("Multiple File Mode"));
    ProgressBar1->setValue(0);
    if (Form1)
        CheckListBox1->setFont(Form1->Edit1->font());
    CheckListBox1->clear();
}

void TMultiFileDBox::done(int result)
{
    if (m_running) {
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
}

void TMultiFileDBox::RadioButton1Click()
{
    AddMode = RadioButton1->isChecked() ? 1 : 0;
    Button2->setText(QStringLiteral("&Add"));
}

void TMultiFileDBox::RadioButton2Click()
{
    AddMode = RadioButton1->isChecked() ? 1 : 0;
    Button2->setText(QStringLiteral("&Remove"));
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
    if (OpenDialog1->exec() != QDialog::Accepted)
        return;
    // Any file the user picks is listed, whatever its extension.
    for (const QString &path : OpenDialog1->selectedFiles()) {
        if (CheckListBox1->findPath(path) < 0)
            CheckListBox1->appendChecked(path);
    }
}

void TMultiFileDBox::Button3Click()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a folder."));
    if (folder.isEmpty())
        return;
    setPushButtonsEnabled(false);
    MergeScan(folder);
    setPushButtonsEnabled(true);
}

void TMultiFileDBox::setPushButtonsEnabled(bool enabled)
{
    Button1->setEnabled(enabled);
    Button2->setEnabled(enabled);
    Button3->setEnabled(enabled);
}

void TMultiFileDBox::MergeScan(const QString &folder)
{
    // A folder that already ends in a separator (the root, a dropped "dir/")
    // gets no second one, so that its files are listed under one spelling.
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QStringList found;
    QStringList openFolders;
    SearchFolder(found, prefix + QStringLiteral("*.*"), openFolders);
    CheckListBox1->mergeChecked(found);
}

void TMultiFileDBox::SearchFolder(QStringList &list, const QString &pattern, QStringList &openFolders)
{
    const std::string folder = brantlow::platform::directoryPart(toLocal(pattern));
    const QString mask = fromLocal(brantlow::platform::namePart(toLocal(pattern)));

    // A link back to a folder that is being walked would otherwise recurse
    // until the stack runs out.
    const QString identity = QFileInfo(fromLocal(folder)).canonicalFilePath();
    if (identity.isEmpty() || openFolders.contains(identity))
        return;
    openFolders.append(identity);

    // The mask is always "*.*", which takes every name.
    brantlow::platform::enumerateDirectory(folder, [&](const brantlow::platform::DirectoryEntry &entry) {
        if (entry.isDirectory) {
            if (Form1 && Form1->Settings.SubDirectory)
                SearchFolder(list, fromLocal(folder + entry.name) + QLatin1Char('/') + mask, openFolders);
        } else if (brantlow::platform::hasSupportedExtension(entry.name)) {
            list.append(fromLocal(folder + entry.name));
        }
    });

    openFolders.removeLast();
}

void TMultiFileDBox::WMDropFiles(const QStringList &names)
{
    for (const QString &name : names) {
        if (QFileInfo(name).isDir())
            MergeScan(name);
        if (brantlow::platform::hasSupportedExtension(toLocal(name)) && CheckListBox1->findPath(name) < 0)
            CheckListBox1->appendChecked(name);
    }
    activateWindow();
    raise();
}
