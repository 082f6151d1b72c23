// SPDX-License-Identifier: MIT
#pragma once

// Controls of the main window that behave as their Windows counterparts do, where Qt's own
// behave otherwise: the channel scroll bars, the command buttons and the frame with a caption.

#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <qdrawutil.h>

namespace hueloft {

// A horizontal scroll bar keyed as on Windows: Left and Up step down, Right and Down step up,
// Page Up pages down and Page Down pages up, Home and End go to the ends. QScrollBar inverts
// its controls for the sake of vertical bars, which turns Left and Right around on a
// horizontal one.
class ChannelScrollBar : public QScrollBar
{
public:
    explicit ChannelScrollBar(QWidget *parent)
        : QScrollBar(Qt::Horizontal, parent)
    {
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            triggerAction(SliderSingleStepSub);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            triggerAction(SliderSingleStepAdd);
            return;
        default:
            QScrollBar::keyPressEvent(event);
        }
    }

    // A scroll bar with the focus shows it on its thumb, as on Windows, where the arrow keys
    // would otherwise act unseen: the styles draw no focus on a scroll bar.
    void paintEvent(QPaintEvent *event) override
    {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionSlider bar;
        initStyleOption(&bar);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.backgroundColor = palette().color(QPalette::Button);
        focus.rect =
            style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
};

// A command button as on Windows: Enter presses the one that has the focus, as Space does.
// Qt leaves Enter to a dialog's default button, and this window has none.
class CommandButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// A frame as on Windows: its caption sits on the top line, which runs at half the caption's
// height, so the options placed inside it by the layout table stay clear of the line. Qt's
// group box draws the caption above the line, which then runs through the top row.
class CaptionedFrame : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Etched, in the palette's own shades; the styles' group box frames keep the
        // caption's height free above them.
        QStylePainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);
        const int margin = metrics.averageCharWidth() / 2;
        QRect caption = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, title());
        caption.moveTopLeft(QPoint(2 * margin + 4, 0));
        caption.setHeight(metrics.height());
        painter.fillRect(caption.adjusted(-margin, 0, margin, 0), palette().window());
        painter.drawItemText(caption, Qt::AlignLeft | Qt::TextShowMnemonic, palette(), isEnabled(),
                             title(), QPalette::WindowText);
    }
};

} // namespace hueloft
