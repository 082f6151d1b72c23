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
    // The editor's client area: 4350 x 5280 twips at 15 twips a pixel.
    window.setFixedSize(290, 352);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Baseline"), &window));

    return bench::showUntilFirstFrame(window);
}
