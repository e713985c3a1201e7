// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include "Translations.h"

#include <QIcon>
#include <QMessageBox>

#include <exception>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    // Names the configuration folder the settings file falls back to.
    setApplicationName(QStringLiteral("brantlow"));
    setApplicationVersion(QStringLiteral(BRANTLOW_VERSION));
    // Lets docks and task bars match the windows to the installed launcher.
    setDesktopFileName(QStringLiteral("io.github.brantlow.Brantlow"));
    setWindowIcon(programIcon());
    installTranslations(this);
}

// Outside any namespace, as the resource's initialiser is.
static void initWindowIcon()
{
    // The pictures are built into this library; without a reference the
    // linker would leave them out of the program.
    Q_INIT_RESOURCE(WindowIcon);
}

QIcon Application::programIcon()
{
    initWindowIcon();
    // The installed icon theme's picture, else the one built into the program.
    QIcon builtIn;
    for (int size : {16, 32, 48, 128})
        builtIn.addFile(QStringLiteral(":/brantlow/icon-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("io.github.brantlow.Brantlow"), builtIn);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(error.what());
    } catch (...) {
        showError(tr("Unknown error."));
    }
    return false;
}

void Application::showError(const char *text)
{
    showError(QString::fromLocal8Bit(text));
}

void Application::showError(const QString &text)
{
    QMessageBox::critical(nullptr, QStringLiteral("Brantlow"), text);
}
