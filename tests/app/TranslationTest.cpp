// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program in the user's language: started with LANGUAGE set to
// the language this run is for (ctest runs it for "de" and "fr"), every
// window in each of its states shows the translation's texts, never an
// English source text that the translation changes, and every text fits its
// control, in the layout font and in DejaVu Sans.

#include "AppTestSupport.h"
#include "ClippedTexts.h"

#include "app/About.h"
#include "app/DetailsDialog.h"
#include "app/ErrorDialg.h"
#include "app/FontDialog.h"
#include "app/OtherDialog.h"
#include "app/Translations.h"
#include "batch/AllRewriteDialog.h"
#include "batch/FileCheckList.h"
#include "batch/ListRewrite.h"
#include "batch/MultiErrorDialog.h"
#include "batch/ReasonText.h"
#include "batch/RunCounter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

// The English source texts whose translation differs from them, as
// patterns: a placeholder (%1, %n) stands for any text.
QList<QRegularExpression> changedSources(const QString &tsFile)
{
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QRegularExpression> patterns;
    QXmlStreamReader xml(&file);
    QString source;
    QStringList translations;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("message")) {
            source.clear();
            translations.clear();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.isStartElement()
                   && (xml.name() == QLatin1String("translation") || xml.name() == QLatin1String("numerusform"))) {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!text.isEmpty())
                translations << text;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            const QRegularExpression placeholder(QStringLiteral("%[n1-9]"));
            // A source of placeholders and punctuation ("%1: %2") says nothing of its language.
            QString words = source;
            words.remove(placeholder);
            if (translations.contains(source) || words.count(QRegularExpression(QStringLiteral("\\w"))) < 3)
                continue;
            QStringList parts = source.split(placeholder);
            for (QString &part : parts)
                part = QRegularExpression::escape(part);
            patterns << QRegularExpression(QStringLiteral("\\A") + parts.join(QStringLiteral(".*"))
                                           + QStringLiteral("\\z"));
        }
    }
    return patterns;
}

// Every text `window` shows or hands to assistive technology.
QStringList shownTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (widget->window() != window)
            continue;
        texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
        else if (auto *spin = qobject_cast<QSpinBox *>(widget))
            texts << spin->suffix();
        else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        } else if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
            for (int column = 0; column < tree->columnCount(); ++column)
                texts << tree->headerItem()->text(column);
            for (int row = 0; row < tree->topLevelItemCount(); ++row)
                texts << tree->topLevelItem(row)->text(FileCheckList::StateColumn);
        } else if (auto *dialog = qobject_cast<QFileDialog *>(widget)) {
            texts << dialog->nameFilters();
        }
    }
    for (QAction *action : window->findChildren<QAction *>())
        texts << action->text() << action->toolTip();
    texts.removeAll(QString());
    return texts;
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_language = qEnvironmentVariable("LANGUAGE");
        QVERIFY2(m_language == QLatin1String("de") || m_language == QLatin1String("fr"), "run with LANGUAGE=de or fr");
        QCOMPARE(installTranslations(qApp), m_language);
        m_changed = changedSources(QStringLiteral(BRANTLOW_TRANSLATIONS_DIR "/brantlow_") + m_language + ".ts");
        QVERIFY(m_changed.size() > 100);
        QVERIFY(m_folder.isValid());
    }

    void init()
    {
        apptest::freshSettingsFile();
        apptest::startProgram();
        QVERIFY(QTest::qWaitForWindowActive(Form1));
    }

    void cleanup() { DestroyForms(); }

    void languageChosen_data()
    {
        QTest::addColumn<QStringList>("wanted");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("region of a language") << QStringList{"de-AT"} << "de";
        QTest::newRow("first one translated") << QStringList{"es", "fr-CA", "de"} << "fr";
        QTest::newRow("English before a translation") << QStringList{"en-GB", "de"} << "";
        QTest::newRow("none translated") << QStringList{"pt-BR", "ja"} << "";
        QTest::newRow("none wanted") << QStringList{} << "";
    }

    // The translations are built into the program; the first language the
    // user wants that has one, or English, is the one shown.
    void languageChosen()
    {
        QFETCH(QStringList, wanted);
        QFETCH(QString, chosen);
        QCOMPARE(translationLanguage(wanted), chosen);
    }

    // Qt's own texts follow: the font dialog's standard buttons.
    void standardButtonsTranslated()
    {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QVERIFY(
            !box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')).startsWith(QLatin1String("Cancel")));
    }

    void windowsTranslated_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("layout font") << QString();
        QTest::newRow("DejaVu Sans") << "DejaVu Sans";
    }

    // Each window in its states: empty, a file opened, saved, the error
    // dialog, the settings dialogs, the details, the batch window before,
    // during and after a run with a failure.
    void windowsTranslated()
    {
        QFETCH(QString, family);
        if (!family.isEmpty()) {
            for (QWidget *window :
                 std::initializer_list<QWidget *>{Form1, AboutBox, MultiFileDBox, MultiErrorDBox, ErrorDBox, OtherDBox,
                                                  Form1->FontDialog1, Form1->DetailsDialog1})
                apptest::useFontFamily(window, family);
            // Laid out again in that font.
            Form1->hide();
            Form1->show();
        }
        look(Form1, "main window, empty");

        const QString plain = apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), "plain.mp3");
        Form1->FileName = plain;
        QVERIFY(Form1->OpenCurrentFile());
        look(Form1, "main window, file without header");
        Form1->FileSave->trigger();
        look(Form1, "main window, header added");
        const QString stale =
            apptest::copyDatedBack(apptest::sampleFile("real/cut_stale.mp3"), m_folder.path(), "stale.mp3");
        Form1->FileName = stale;
        QVERIFY(Form1->OpenCurrentFile());
        look(Form1, "main window, stale header");
        QCOMPARE(apptest::triggerAnswering<TDetailsDBox>(Form1->FileDetails,
                                                         [this](TDetailsDBox *box) {
                                                             look(box, "details");
                                                             box->reject();
                                                         }),
                 1);
        Form1->FileFix->trigger();
        look(Form1, "main window, header fixed");

        const QString text = QDir(m_folder.path()).filePath(QStringLiteral("notes.mp3"));
        QVERIFY(apptest::writeFile(text, "not audio\n"));
        Form1->FileName = text;
        {
            apptest::ModalAnswerer errors(apptest::answerOnly<TErrorDBox>([this](TErrorDBox *box) {
                look(box, "error dialog");
                box->accept();
            }));
            Form1->OpenCurrentFile();
            QCOMPARE(errors.count(), 1);
        }

        for (QDialog *dialog : std::initializer_list<QDialog *>{AboutBox, OtherDBox, Form1->FontDialog1}) {
            dialog->show();
            look(dialog, "settings and about");
            dialog->hide();
        }

        MultiFileDBox->show();
        look(MultiFileDBox, "batch window, empty");
        for (QRadioButton *mode : {MultiFileDBox->RadioButton2, MultiFileDBox->RadioButton3}) {
            mode->setChecked(true);
            look(MultiFileDBox, "batch window, each mode");
        }
        MultiFileDBox->RadioButton1->setChecked(true);
        MultiFileDBox->Counter->setCounts(99999, 99999);
        look(MultiFileDBox, "batch window, largest counts");
        // One file rewritten, one that fails.
        const QString batch = apptest::copyDatedBack(apptest::sampleWithoutHeader(), m_folder.path(), "batch.mp3");
        MultiFileDBox->WMDropFiles({QFile::encodeName(batch), QFile::encodeName(text)});
        QTRY_VERIFY(!MultiFileDBox->CheckListBox1->state(1).isEmpty());
        look(MultiFileDBox, "batch window, files listed");
        QEventLoop loop;
        connect(MultiFileDBox, &TMultiFileDBox::runFinished, &loop, &QEventLoop::quit);
        apptest::ModalAnswerer batchErrors(apptest::answerOnly<TMultiErrorDBox>([this](TMultiErrorDBox *box) {
            look(box, "batch error dialog");
            box->done(TMultiErrorDBox::kContinue);
        }));
        MultiFileDBox->Button2->click();
        look(MultiFileDBox, "batch window, running");
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (MultiFileDBox->isRunning())
            loop.exec();
        QVERIFY(!MultiFileDBox->isRunning());
        QCOMPARE(batchErrors.count(), 1);
        look(MultiFileDBox, "batch window, run ended");
        MultiFileDBox->hide();

        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(QLatin1Char('\n'))));
    }

    void reasonsTranslated_data()
    {
        using namespace brantlow;
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("english"); // the command line's words, which must not show
        QTest::addColumn<QString>("kept"); // a number or the system's own words, which must show
        const auto fileCheck = [](const char *name, qsizetype riffSize = -1) {
            QByteArray bytes = apptest::readFile(apptest::sampleFile(name));
            if (riffSize >= 0)
                bytes.replace(4, 4, QByteArray(4, char(riffSize)));
            return checkFile(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size());
        };
        const auto english = [](const std::string &text) { return QString::fromStdString(text); };
        const auto row = [](const char *name, const QString &shown, const QString &words, const QString &kept) {
            QTest::newRow(name) << shown << words << kept;
        };
        const RewriteResult engine{RewriteStep::Rewrite, ecUnfollowableAudio, 0, {}};
        row("engine's number", rewriteReasonText(engine), errorCodeText(ecUnfollowableAudio), "32");
        row("batch line", rewriteFailureText(engine), english(reasonText(engine)), "32");
        RewriteResult probed{RewriteStep::Analyze, -1, 0, "not MPEG audio: no frame sync in the first 64 KiB"};
        probed.reasonCode = ReasonCode::NoFrameSync;
        row("look at the head", rewriteReasonText(probed), english(probed.reason), "64");
        RewriteResult seek{RewriteStep::Rewrite, -1, 0, "no frame follows the header frame within the seek range"};
        seek.reasonCode = ReasonCode::NoFrameAfterHeader;
        row("job's own cause", rewriteReasonText(seek), english(seek.reason), "");
        RewriteResult times{RewriteStep::Save, ecCannotSave, EPERM, "its last-write time cannot be kept"};
        times.reasonCode = ReasonCode::TimesNotKept;
        row("the system's words kept", rewriteReasonText(times), english(times.reason), std::strerror(EPERM));
        const FileCheck stale = fileCheck("real/cut_stale.mp3");
        row("stale", checkReasonText(stale), english(stale.reason), QLocale().toString(stale.stream.audioFrames));
        const FileCheck sizes = fileCheck("wave_mpeg.wav", 0);
        row("RIFF sizes", checkReasonText(sizes), english(sizes.reason), "RIFF");
        const FileCheck unreadable = fileCheck("SHA256SUMS");
        row("unreadable", checkReasonText(unreadable), english(unreadable.reason), "10");
        // The batch window's State column, from the codes and counts its checks carry.
        const FileState staleState = stateOf(stale);
        row("State column", stateColumnText(staleState), "stale", "60");
        ListState fixed{{}, stateOf(fileCheck("lame_xing.mp3")), {}};
        fixed.result.truncated = true;
        fixed.result.reasonCode = ReasonCode::LooksTruncated;
        row("State column, a truncated file fixed", listStateText(fixed), "right", rewriteReasonText(fixed.result));
        ListState failed{seek, {}, {}};
        row("State column, a failure", listStateText(failed), "failed: ", "");
    }

    // Reasons the engine, the rewrite or the check give by a code are shown
    // in the user's language; the system's own words stay as it gives them.
    void reasonsTranslated()
    {
        QFETCH(QString, shown);
        QFETCH(QString, english);
        QFETCH(QString, kept);
        QVERIFY(!english.isEmpty());
        QVERIFY2(!shown.contains(english), qPrintable(shown));
        QVERIFY2(shown.contains(kept), qPrintable(shown));
        for (const QRegularExpression &source : m_changed)
            QVERIFY2(!source.match(shown).hasMatch(), qPrintable(shown));
    }

private:
    // Notes every English text `window` shows where the translation has
    // another, and every text that does not fit.
    void look(QWidget *window, const char *state)
    {
        if (!window->isVisible())
            window->show();
        QCoreApplication::processEvents();
        const QString where = QStringLiteral("%1 (%2): ").arg(QLatin1String(state), window->windowTitle());
        for (const QString &text : shownTexts(window)) {
            for (const QRegularExpression &english : m_changed) {
                if (english.match(text).hasMatch())
                    m_faults << where + QStringLiteral("English \"%1\"").arg(text);
            }
        }
        for (const QString &clipped : apptest::clippedTexts(window))
            m_faults << where + clipped;
    }

    QString m_language;
    QList<QRegularExpression> m_changed;
    QStringList m_faults;
    QTemporaryDir m_folder;
};

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
