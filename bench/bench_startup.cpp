// SPDX-License-Identifier: MIT
// The editor's start-up as main() runs it, for the platforms where nothing outside can see the
// first frame (offscreen): the same steps in the same order, then it leaves after the first
// frame and prints how long that, building the window and Form_Load took.

#include "firstframe.h"

#include "editor/externals/externals.h"
#include "editor/qt/application.h"
#include "editor/qt/mainwindow.h"
#include "editor/qt/systemsettings.h"
#include "editor/resources/installdirs.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    describeApplication();

    const QString programFolder = QApplication::applicationDirPath();
    const std::string folder = QFile::encodeName(programFolder).toStdString();
    DeclaredFunctions functions({folder, hueloft::installedLibraryFolder(folder)});
    const double constructStart = bench::monotonicMs();
    SystemSettingsStore settings(folder);
    MainWindow window(functions, settings);
    std::printf("construct-ms %.3f\n", bench::monotonicMs() - constructStart);
    const double loadStart = bench::monotonicMs();
    window.form().Form_Load(); // the first call into swatchy loads it
    std::printf("form-load-ms %.3f\n", bench::monotonicMs() - loadStart);

    return bench::showUntilFirstFrame(window);
}
