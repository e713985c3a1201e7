#include "Application.h"
#include "Forms.h"
#include "MainForm.h"

#include <exception>

int main(int argc, char **argv)
{
    Application app(argc, argv);
    // Names the configuration folder the settings file falls back to.
    QCoreApplication::setApplicationName(QStringLiteral("brantlow"));
    try {
        CreateForms();
        Form1->show();
        Application::exec();
    } catch (const std::exception &error) {
        Application::showError(error.what());
    }
    DestroyForms();
    return 0;
}
