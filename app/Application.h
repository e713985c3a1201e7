// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QIcon>

// The application object, in the user's language. An exception that leaves an event handler (memory
// exhausted, say) is shown in a message box with its own text, and the
// program goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    static void showError(const char *text);
    static void showError(const QString &text);
    // The window icon: the installed theme's, else the built-in picture.
    static QIcon programIcon();
};
