#include "Application.h"

#include <QMessageBox>

#include <exception>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(error.what());
    } catch (...) {
        showError("Unknown error.");
    }
    return false;
}

void Application::showError(const char *text)
{
    QMessageBox::critical(nullptr, QStringLiteral("Brantlow"), QString::fromLocal8Bit(text));
}
