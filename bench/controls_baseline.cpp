// SPDX-License-Identifier: MIT
// A second yardstick for start-up: the editor's window with its 31 controls made bare with Qt's
// own widgets, from the same table (editor/core/layout.cpp), as bench/win32_baseline.cpp does
// for Windows. No settings, no swatchy, no handlers, no layout from the font (twips at 96 DPI,
// 15 to the pixel); captions as the table has them. Leaves after its first frame.
//
// Beside bench_baseline (one label), it tells what the controls themselves cost Qt to make and
// draw from what the editor adds to them.

#include "editor/core/layout.h"
#include "firstframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>

#include <cstring>
#include <map>
#include <string>

using hueloft::ControlKind;

namespace {

int pixels(int twips)
{
    return twips / 15;
}

QWidget *make(const hueloft::ControlLayout &c, QWidget *parent)
{
    const QString text = QString::fromLatin1(c.text ? c.text : "");
    switch (c.kind) {
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::ScrollBar: {
        auto *bar = new QScrollBar(Qt::Horizontal, parent);
        bar->setRange(0, 255);
        return bar;
    }
    case ControlKind::TextBox:
        return new QLineEdit(text, parent);
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::Frame:
        return new QGroupBox(text, parent);
    case ControlKind::Option:
        return new QRadioButton(text, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::Picture:
        break;
    }
    return new QWidget(parent); // the sample: a plain area
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bench Controls"));
    window.setFixedSize(pixels(hueloft::kMainClientWidth), pixels(hueloft::kMainClientHeight));
    std::map<std::string, QWidget *> made;
    for (const hueloft::ControlLayout &c : hueloft::mainWindowLayout()) {
        QWidget *parent = &window;
        if (c.container) {
            if (const auto frame = made.find(c.container); frame != made.end())
                parent = frame->second;
        }
        QWidget *w = make(c, parent);
        w->setGeometry(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
        made.emplace(c.name, w);
    }
    return bench::showUntilFirstFrame(window);
}
