// SPDX-License-Identifier: MIT
#pragma once

// Checks that every caption of a window with a fixed layout fits inside its control.

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

inline QString withoutAccessMarks(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\\x01")).remove(u'&').replace(
        QStringLiteral("\\x01"), QStringLiteral("&"));
}

// Names every control whose caption does not fit, with the pixels it needs and has; empty when
// all fit.
inline QString captionsThatDoNotFit(QWidget *window)
{
    QStringList problems;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (!control->isVisible())
            continue;
        const QFontMetrics metrics = control->fontMetrics();
        int needed = 0;
        int available = control->width();
        if (auto *label = qobject_cast<QLabel *>(control)) {
            if (label->wordWrap() || label->text().isEmpty())
                continue;
            needed = metrics.horizontalAdvance(label->buddy() ? withoutAccessMarks(label->text())
                                                              : label->text());
            available = label->contentsRect().width();
        } else if (qobject_cast<QPushButton *>(control)) {
            // The text and a little room on either side of it, inside the button's bevel.
            needed = metrics.horizontalAdvance(
                         withoutAccessMarks(static_cast<QPushButton *>(control)->text()))
                     + 8;
        } else if (qobject_cast<QRadioButton *>(control) || qobject_cast<QCheckBox *>(control)) {
            needed = control->sizeHint().width();
        } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
            needed = metrics.horizontalAdvance(frame->title()) + 16;
        } else if (auto *box = qobject_cast<QLineEdit *>(control)) {
            needed = metrics.horizontalAdvance(box->text()) + 6;
        } else {
            continue;
        }
        // Every letter's height (the em) inside the control's height.
        const int em = QFontInfo(control->font()).pixelSize();
        if (needed > available || em > control->contentsRect().height()) {
            problems << QStringLiteral("%1 needs %2x%3 pixels, has %4x%5")
                            .arg(control->objectName())
                            .arg(needed)
                            .arg(em)
                            .arg(available)
                            .arg(control->contentsRect().height());
        }
    }
    return problems.join(QStringLiteral("; "));
}
