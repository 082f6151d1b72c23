// SPDX-License-Identifier: MIT
#pragma once

// A main window as the program makes it, in a folder of its own: the settings file is
// written there, the library swatchy comes from the build's program folder.

#include "editor/externals/externals.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

// The font the layout was drawn for, as wide as Windows' Tahoma 8 pt: the window is exactly its
// table's size in it. Set by every start(), so that no machine's desktop font decides a result
// and no test inherits another's font or style sheet. DejaVu Sans is fonts-dejavu-core, which
// scripts/setup.sh installs with Qt.
inline QFont designFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    return font;
}

struct WindowFixture
{
    QTemporaryDir folder;
    std::unique_ptr<DeclaredFunctions> functions;
    std::unique_ptr<SystemSettingsStore> store;
    std::unique_ptr<MainWindow> window;
    // Set before start() to behave for another window system than the one running.
    std::optional<platform::WindowSystem> windowSystem;
    // Set before start() to look for swatchy elsewhere than in the build's program folder.
    std::optional<std::string> libraryFolder;

    // Settings: text of HUELOFT.INI to start from, or empty for a first run.
    bool start(const QByteArray &settings = {})
    {
        if (!folder.isValid())
            return false;
        if (!settings.isEmpty()) {
            QFile file(folder.filePath(QStringLiteral("HUELOFT.INI")));
            if (!file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size())
                return false;
        }
        qApp->setStyleSheet(QString());
        QApplication::setFont(designFont());
        functions = std::make_unique<DeclaredFunctions>(
            platform::LibraryFolders{libraryFolder.value_or(HUELOFT_BIN_DIR), {}});
        store =
            std::make_unique<SystemSettingsStore>(QFile::encodeName(folder.path()).toStdString());
        window = std::make_unique<MainWindow>(*functions, *store);
        functions->tellProblemsTo(
            [this](const std::string &line) { window->form().TellProblem(line); });
        if (windowSystem)
            window->setWindowSystem(*windowSystem);
        window->form().Form_Load();
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("HUELOFT.INI")); }

    template<typename T> T *control(const char *name) const
    {
        T *child = window->findChild<T *>(QString::fromLatin1(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }
};
