// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/Logo.h"
#include "mainwindow/CommandLine.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/AppSettings.h"
#include "dialogs/MessageBox.h"

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before the window system is needed, so they work without a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s\n", qPrintable(quorvia::usageText()));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(quorvia::versionText()));
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvia"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVIA_VERSION));
    QApplication::setWindowIcon(quorvia::quorviaIcon());
    // Ties the window to its desktop entry and icon (Wayland especially).
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvia"));

    const quorvia::StartupRequest request =
        quorvia::parseCommandLine(QApplication::arguments().mid(1), QApplication::applicationDirPath(),
                                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (request.kind == quorvia::StartupRequest::ShowUsage || request.kind == quorvia::StartupRequest::ShowVersion) {
        std::fprintf(stdout, "%s\n", qPrintable(request.message));
        return 0;
    }
    if (request.kind == quorvia::StartupRequest::UsageError) {
        std::fprintf(stderr, "%s\n", qPrintable(request.message));
        quorvia::MessageBox::error(nullptr, request.message);
        return 2;
    }

    quorvia::AppSettings::setEnabled(true);
    quorvia::MainWindow window(request.poolPath);
    if (!window.startUp())
        return 1;
    return QApplication::exec();
}
