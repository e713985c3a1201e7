// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"
#include "Forms.h"
#include "MainForm.h"
#include "platform/MemoryReuse.h"

#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char **argv)
{
    // Answered before any window system is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("brantlow %s\n", BRANTLOW_VERSION);
        return 0;
    }
    brantlow::platform::keepFreedMemoryForReuse();
    Application app(argc, argv);
    try {
        CreateForms();
        // The argument's own bytes: a file name need not be UTF-8.
        QList<QByteArray> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(QByteArray(argv[i]));
        Form1->setCommandLine(arguments);
        Form1->show();
        Application::exec();
    } catch (const std::exception &error) {
        Application::showError(error.what());
    }
    DestroyForms();
    return 0;
}
