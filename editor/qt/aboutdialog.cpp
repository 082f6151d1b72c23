// SPDX-License-Identifier: MIT
#include "editor/qt/aboutdialog.h"

#include "editor/qt/appearance.h"
#include "editor/qt/buildinfo.h"
#include "editor/core/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace hueloft;

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(QStringLiteral("About RGB Tintora"));
    setFont(dialogFont());
    setModal(true);
    setFixedSize(twipsToPixels(4950), twipsToPixels(2610));

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(programIconPixmap());
    image->setGeometry(twipsRect(120, 240, 480, 480));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Label1 is a control array whose indexes do not follow the screen: title 0, version 2,
    // rights 1, contact 3, top to bottom.
    struct Line
    {
        int index;
        QString text;
        QRect geometry;
    };
    const Line lines[] = {
        {0, QStringLiteral("RGB Tintora for Windows 95"), twipsRect(840, 240, 2535, 255)},
        {2, QStringLiteral("Version 1.1"), twipsRect(840, 480, 2535, 255)},
        {1, QStringLiteral(HUELOFT_COPYRIGHT), twipsRect(840, 840, 2895, 255)},
        {3, QStringLiteral(HUELOFT_CONTACT), twipsRect(840, 1320, 2895, 255)},
    };
    for (const Line &line : lines) {
        auto *label = new QLabel(line.text, this);
        label->setObjectName(QStringLiteral("Label1%1").arg(line.index));
        label->setGeometry(line.geometry);
        label->setTextFormat(Qt::PlainText);
    }

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twipsRect(3720, 120, 1095, 375));
    ok->setDefault(true);
    // Escape rejects a QDialog, which closes it just as OK does: OK is the cancel button too.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Line1(0): from (120, 1680) to (4800, 1680), two pixels wide.
    auto *rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Line10"));
    rule->setFrameStyle(QFrame::HLine | QFrame::Plain);
    rule->setLineWidth(2);
    rule->setGeometry(twipsToPixels(120), twipsToPixels(1680) - 1,
                      twipsToPixels(4800) - twipsToPixels(120), 2);

    auto *notice = new QLabel(QStringLiteral(HUELOFT_DISTRIBUTION_NOTICE), this);
    notice->setObjectName(QStringLiteral("Label20"));
    notice->setGeometry(twipsRect(120, 1800, 4695, 735));
    notice->setWordWrap(true);
    notice->setTextFormat(Qt::PlainText);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ok->setFocus();
}
