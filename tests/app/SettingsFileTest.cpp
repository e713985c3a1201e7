// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: value encodings, where it lives, the first run, values
// read back at the next start, and the write at close.

#include "AppTestSupport.h"

#include "app/PathBoxFont.h"
#include "platform/IniFile.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace brantlow;

namespace {

QString stored(const QString &file, const char *section, const char *key)
{
    const std::string missing = "<missing>";
    return QString::fromStdString(
        platform::readProfileString(QFile::encodeName(file).toStdString(), section, key, missing));
}

void store(const QString &file, const char *section, const char *key, const char *value)
{
    QVERIFY(platform::writeProfileString(QFile::encodeName(file).toStdString(), section, key, value));
}

} // namespace

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_file = apptest::freshSettingsFile(); }

    void cleanup() { DestroyForms(); }

    void parseInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<std::int32_t>>("expected");
        using V = std::optional<std::int32_t>;
        QTest::newRow("decimal") << "435" << V(435);
        QTest::newRow("negative") << "-13" << V(-13);
        QTest::newRow("plus sign") << "+7" << V(7);
        QTest::newRow("hexadecimal") << "0x20" << V(32);
        QTest::newRow("upper-case X") << "0X1f" << V(31);
        QTest::newRow("high bit wraps") << "0x80000008" << V(-2147483640);
        QTest::newRow("system colour as written") << "-2147483640" << V(-2147483640);
        QTest::newRow("letters") << "abc" << V();
        QTest::newRow("bare 0x") << "0x" << V();
        QTest::newRow("hex without digits") << "0xg" << V();
        QTest::newRow("hex beyond 32 bits") << "0x100000000" << V();
        QTest::newRow("decimal beyond 32 bits") << "2147483648" << V();
        QTest::newRow("trailing text") << "12abc" << V();
        QTest::newRow("two signs") << "+-5" << V();
        QTest::newRow("empty") << "" << V();
    }

    void parseInteger()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<std::int32_t>, expected);
        QCOMPARE(parseProfileInteger(text.toStdString()), expected);
    }

    void location_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected");
        const QString config = QStringLiteral("/home/u/.config/brantlow");
        QTest::newRow("beside") << "/opt/b/brantlow" << true << "/opt/b/brantlow.ini";
        QTest::newRow("extension replaced") << "/opt/b/brantlow.exe" << true << "/opt/b/brantlow.ini";
        QTest::newRow("dot in a folder name") << "/opt/b.2/brantlow" << true << "/opt/b.2/brantlow.ini";
        QTest::newRow("installed") << "/usr/bin/brantlow" << false << config + "/brantlow.ini";
    }

    void location()
    {
        QFETCH(QString, executable);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QCOMPARE(chooseSettingsFile(executable, writable, QStringLiteral("/home/u/.config/brantlow")), expected);
    }

    void folderOfPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("nested") << "/music/a/song.mp3" << "/music/a";
        QTest::newRow("root keeps its separator") << "/song.mp3" << "/";
    }

    void folderOfPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(folderOf(path), folder);
    }

    void colours_data()
    {
        QTest::addColumn<std::int32_t>("value");
        QTest::addColumn<QColor>("color");
        QTest::newRow("red") << std::int32_t(0x0000FF) << QColor(255, 0, 0);
        QTest::newRow("blue") << std::int32_t(0xFF0000) << QColor(0, 0, 255);
        QTest::newRow("window text") << kWindowTextColor << QColor();
    }

    void colours()
    {
        QFETCH(std::int32_t, value);
        QFETCH(QColor, color);
        QCOMPARE(colorFromStored(value), color);
        QCOMPARE(storedFromColor(color), value);
    }

    void firstRun()
    {
        QVERIFY(!QFileInfo::exists(m_file));
        apptest::startProgram();
        QCOMPARE(Form1->pos(), QPoint(100, 100));
        QCOMPARE(Form1->size(), QSize(435, 174));
        const SettingsRecord &s = Form1->Settings;
        QCOMPARE(s.Folder, firstFolder());
        QCOMPARE(Form1->openDialogFolder(), firstFolder());
        QCOMPARE(s.NotUpdate, true);
        QCOMPARE(s.MaxOffset, 3);
        QCOMPARE(s.SubDirectory, true);
        QCOMPARE(s.NoErrDialog, false);
        QCOMPARE(s.DelItems, true);
        const QFont font = Form1->Edit1->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pointSize(), 10);
        QVERIFY(!font.bold() && !font.italic() && !font.underline() && !font.strikeOut());
        QCOMPARE(Form1->Edit1->palette().color(QPalette::Text), QPalette().color(QPalette::Text));
        // Only the path box takes the stored font.
        QCOMPARE(Form1->Label3->font().pixelSize(), 13);
        QVERIFY(!QFileInfo::exists(m_file));

        Form1->close();
        const QList<std::tuple<const char *, const char *, QString>> expected = {
            {"Form", "Top", "100"},
            {"Form", "Left", "100"},
            {"Form", "Width", "435"},
            {"Form", "Height", "174"},
            {"Folder", "Init", firstFolder()},
            {"TimeStamp", "NotUpdate", "1"},
            {"FramseSeek", "MaxOffset", "3"},
            {"Multiple", "SubDirectory", "1"},
            {"Multiple", "NoErrDialog", "0"},
            {"Multiple", "DelItems", "1"},
            {"Font", "Charaset", "0"},
            {"Font", "Name", "Arial"},
            {"Font", "Size", "10"},
            {"Font", "Color", "-2147483640"},
            {"Font", "Pitch", "0"},
            {"Font", "Height", "-13"},
            {"Font\\Style", "IsBold", "0"},
            {"Font\\Style", "IsItalic", "0"},
            {"Font\\Style", "IsUnderline", "0"},
            {"Font\\Style", "IsStrikeOut", "0"},
        };
        for (const auto &[section, key, value] : expected)
            QCOMPARE(stored(m_file, section, key), value);
        const QByteArray text = apptest::readFile(m_file);
        QCOMPARE(text.count('='), qsizetype(20));
        QVERIFY(text.contains("[Font\\Style]"));
    }

    void storedValuesReadBack_data()
    {
        QTest::addColumn<QByteArray>("maxOffset");
        QTest::addColumn<QByteArray>("notUpdate");
        QTest::addColumn<int>("expectedMaxOffset");
        QTest::addColumn<bool>("expectedNotUpdate");
        QTest::newRow("hexadecimal, 2") << QByteArray("0x20") << QByteArray("2") << 32 << true;
        QTest::newRow("not a number, 0") << QByteArray("abc") << QByteArray("0") << 3 << false;
        QTest::newRow("negative, garbage") << QByteArray("-1") << QByteArray("yes") << -1 << true;
    }

    void storedValuesReadBack()
    {
        QFETCH(QByteArray, maxOffset);
        QFETCH(QByteArray, notUpdate);
        QFETCH(int, expectedMaxOffset);
        QFETCH(bool, expectedNotUpdate);
        store(m_file, "FramseSeek", "MaxOffset", maxOffset.constData());
        store(m_file, "TimeStamp", "NotUpdate", notUpdate.constData());
        store(m_file, "Multiple", "SubDirectory", "0");
        store(m_file, "Multiple", "NoErrDialog", "1");
        store(m_file, "Multiple", "DelItems", "0");
        store(m_file, "Folder", "Init", "/srv/music");
        store(m_file, "Form", "Left", "30");
        store(m_file, "Form", "Top", "40");
        store(m_file, "Form", "Width", "500");
        store(m_file, "Form", "Height", "200");
        apptest::startProgram();
        QCOMPARE(Form1->Settings.MaxOffset, expectedMaxOffset);
        QCOMPARE(Form1->Settings.NotUpdate, expectedNotUpdate);
        QCOMPARE(Form1->Settings.SubDirectory, false);
        QCOMPARE(Form1->Settings.NoErrDialog, true);
        QCOMPARE(Form1->Settings.DelItems, false);
        QCOMPARE(Form1->Settings.Folder, QStringLiteral("/srv/music"));
        QCOMPARE(Form1->openDialogFolder(), QStringLiteral("/srv/music"));
        QCOMPARE(Form1->pos(), QPoint(30, 40));
        QCOMPARE(Form1->size(), QSize(500, 200));
    }

    void firstFolderIsMusicElseHome_data()
    {
        QTest::addColumn<bool>("hasMusic");
        QTest::newRow("music folder") << true;
        QTest::newRow("home folder") << false;
    }

    void firstFolderIsMusicElseHome()
    {
        QFETCH(bool, hasMusic);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldDirs = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
        if (hasMusic)
            QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Music")));
        const QString chosen = firstFolder();
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldDirs);
        QCOMPARE(chosen, hasMusic ? home.filePath(QStringLiteral("Music")) : home.path());
    }

    void positionOffEveryScreen_data()
    {
        QTest::addColumn<QRect>("storedBounds");
        QTest::addColumn<bool>("keptAsStored");
        QTest::newRow("far right and below") << QRect(100000, 80000, 435, 174) << false;
        QTest::newRow("far left and above") << QRect(-100000, -80000, 435, 174) << false;
        QTest::newRow("only a sliver above the top") << QRect(100, -170, 435, 174) << false;
        QTest::newRow("partly off the left edge") << QRect(-200, 50, 435, 174) << true;
    }

    // The window comes up on a screen, at its stored size, and that is what
    // the next close writes back.
    void positionOffEveryScreen()
    {
        QFETCH(QRect, storedBounds);
        QFETCH(bool, keptAsStored);
        store(m_file, "Form", "Left", QByteArray::number(storedBounds.left()).constData());
        store(m_file, "Form", "Top", QByteArray::number(storedBounds.top()).constData());
        store(m_file, "Form", "Width", QByteArray::number(storedBounds.width()).constData());
        store(m_file, "Form", "Height", QByteArray::number(storedBounds.height()).constData());
        apptest::startProgram();
        const QRect shown(Form1->pos(), Form1->size());
        QCOMPARE(shown.size(), storedBounds.size());
        if (keptAsStored) {
            QCOMPARE(shown, storedBounds);
        } else {
            // pos() is the frame's corner; the frame adds a usual title bar
            // and borders to the size.
            const QRect frame(shown.topLeft(), shown.size() + QSize(8, 31));
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY2(screen.contains(frame),
                     qPrintable(QStringLiteral("shown at %1,%2").arg(shown.x()).arg(shown.y())));
        }
        Form1->close();
        QCOMPARE(stored(m_file, "Form", "Left"), QString::number(shown.left()));
        QCOMPARE(stored(m_file, "Form", "Top"), QString::number(shown.top()));
    }

    void storedFont_data()
    {
        QTest::addColumn<QByteArray>("height");
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("size overrides height") << QByteArray("-20") << QByteArray("10") << 10 << -1;
        QTest::newRow("height when size is unusable") << QByteArray("-20") << QByteArray("0") << -1 << 20;
    }

    void storedFont()
    {
        QFETCH(QByteArray, height);
        QFETCH(QByteArray, size);
        QFETCH(int, pointSize);
        QFETCH(int, pixelSize);
        store(m_file, "Font", "Height", height.constData());
        store(m_file, "Font", "Size", size.constData());
        store(m_file, "Font", "Name", "Courier New");
        store(m_file, "Font", "Color", "255");
        store(m_file, "Font", "Charaset", "128");
        store(m_file, "Font\\Style", "IsBold", "1");
        store(m_file, "Font\\Style", "IsItalic", "0x1");
        store(m_file, "Font\\Style", "IsUnderline", "0");
        store(m_file, "Font\\Style", "IsStrikeOut", "1");
        apptest::startProgram();
        const QFont font = Form1->Edit1->font();
        QCOMPARE(font.pointSize(), pointSize);
        QCOMPARE(font.pixelSize(), pixelSize);
        QCOMPARE(font.family(), QStringLiteral("Courier New"));
        QVERIFY(font.bold() && font.italic() && !font.underline() && font.strikeOut());
        QCOMPARE(Form1->Edit1->palette().color(QPalette::Text), QColor(Qt::red));
        // The batch window reads the font from here; the rest of the window keeps its own.
        QCOMPARE(Form1->GroupBox1->font().family(), QStringLiteral("Arial"));

        Form1->close();
        QCOMPARE(stored(m_file, "Font", "Name"), QStringLiteral("Courier New"));
        QCOMPARE(stored(m_file, "Font", "Color"), QStringLiteral("255"));
        QCOMPARE(stored(m_file, "Font", "Charaset"), QStringLiteral("128"));
        QCOMPARE(stored(m_file, "Font\\Style", "IsItalic"), QStringLiteral("1"));
        QCOMPARE(stored(m_file, "Font\\Style", "IsStrikeOut"), QStringLiteral("1"));
    }

    void changesReachTheFileAtClose()
    {
        apptest::startProgram();
        Form1->Settings.MaxOffset = 0;
        Form1->Settings.NotUpdate = false;
        Form1->Settings.DelItems = false;
        Form1->Settings.Folder = QStringLiteral("/srv/other");
        Form1->move(12, 34);
        Form1->resize(300, 174);
        Form1->close();
        QCOMPARE(stored(m_file, "FramseSeek", "MaxOffset"), QStringLiteral("0"));
        QCOMPARE(stored(m_file, "TimeStamp", "NotUpdate"), QStringLiteral("0"));
        QCOMPARE(stored(m_file, "Multiple", "DelItems"), QStringLiteral("0"));
        QCOMPARE(stored(m_file, "Folder", "Init"), QStringLiteral("/srv/other"));
        QCOMPARE(stored(m_file, "Form", "Left"), QStringLiteral("12"));
        QCOMPARE(stored(m_file, "Form", "Top"), QStringLiteral("34"));
        QCOMPARE(stored(m_file, "Form", "Width"), QStringLiteral("300"));

        // The next start takes them up again.
        DestroyForms();
        apptest::startProgram();
        QCOMPARE(Form1->Settings.MaxOffset, 0);
        QCOMPARE(Form1->Settings.NotUpdate, false);
        QCOMPARE(Form1->Settings.Folder, QStringLiteral("/srv/other"));
        QCOMPARE(Form1->pos(), QPoint(12, 34));
        QCOMPARE(Form1->size(), QSize(300, 174));
    }

    void unknownContentIsKept()
    {
        QVERIFY(apptest::writeFile(m_file, "; a note\n[Other]\nkey=value\n[form]\nwidth=480\n"));
        apptest::startProgram();
        QCOMPARE(Form1->width(), 480);
        Form1->close();
        const QByteArray text = apptest::readFile(m_file);
        QVERIFY(text.contains("; a note"));
        QCOMPARE(stored(m_file, "Other", "key"), QStringLiteral("value"));
        QCOMPARE(stored(m_file, "Form", "Width"), QStringLiteral("480"));
    }

    // A settings file that cannot be written: the program runs on defaults
    // and closing shows nothing.
    void unwritableSettingsFile()
    {
        QVERIFY(QDir().mkpath(m_file));
        apptest::startProgram();
        QCOMPARE(Form1->Settings.MaxOffset, 3);
        Form1->close();
        QVERIFY(QFileInfo(m_file).isDir());
        QVERIFY(QDir(m_file).removeRecursively());
    }

    // Sizes far beyond the screen would need a window buffer larger than memory.
    void absurdGeometryIsBounded()
    {
        store(m_file, "Form", "Width", "2000000000");
        store(m_file, "Form", "Height", "-5");
        apptest::startProgram();
        QVERIFY(Form1->width() <= Form1->screen()->geometry().width());
        QVERIFY(Form1->height() > 0);
    }

private:
    QString m_file;
};

QTEST_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
