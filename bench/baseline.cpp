// SPDX-License-Identifier: MIT
// The yardstick for start-up: the smallest Qt Widgets program that shows one window of the
// editor's size holding one label, and leaves after its first frame.

#include "firstframe.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bench Baseline"));
    // The size of the editor's window.
    window.setFixedSize(335, 407); // the editor at the default 9 pt font
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Baseline"), &window));

    return bench::showUntilFirstFrame(window);
}
