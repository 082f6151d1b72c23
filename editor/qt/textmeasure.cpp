// SPDX-License-Identifier: MIT
#include "editor/qt/textmeasure.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

using namespace hueloft;

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

const QWidget &WidgetTextMeasure::widget(const ControlLayout &control) const
{
    const QString name = QString::fromLatin1(control.name);
    if (m_window.objectName() == name)
        return m_window;
    const QWidget *found = m_window.findChild<QWidget *>(name);
    return found ? *found : m_window;
}

TextNeed WidgetTextMeasure::need(const ControlLayout &control, std::string_view text) const
{
    const QWidget &w = widget(control);
    const QFontMetrics metrics = w.fontMetrics();
    const QString shown = toQString(text);
    // One character (the digits the widest values are made of) needs no shaping: its advance
    // is the glyph's own, and far cheaper to have.
    const int advance = shown.size() == 1 ? metrics.horizontalAdvance(shown.front())
                                          : metrics.horizontalAdvance(shown);
    // The em: the glyphs from the tallest capital to the lowest descender; the line's leading
    // above the capitals may be cut without cutting a letter.
    const int em = QFontInfo(w.font()).pixelSize();
    const QStyle *style = w.style();

    switch (control.kind) {
    case ControlKind::Button: {
        const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &w)
                            + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &w);
        return {advance + margins, em + margins};
    }
    case ControlKind::Option:
    case ControlKind::CheckBox: {
        QStyleOptionButton option;
        option.initFrom(&w);
        option.text = shown;
        const bool radio = control.kind == ControlKind::Option;
        const QSize size = style->sizeFromContents(
            radio ? QStyle::CT_RadioButton : QStyle::CT_CheckBox, &option,
            QSize(advance, metrics.height()), &w);
        return {size.width(), em};
    }
    case ControlKind::Frame: {
        // The caption sits on the frame's top line, inset and padded by half a character on
        // either side (CaptionedFrame).
        const int margin = metrics.averageCharWidth() / 2;
        return {advance + 2 * (2 * margin + 4), em};
    }
    case ControlKind::TextBox: {
        const auto *box = qobject_cast<const QLineEdit *>(&w);
        const QMargins text = box ? box->textMargins() : QMargins();
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &w);
        // QLineEdit keeps two pixels beside the text and one above and below; the cursor after
        // the last digit needs its own width, or the box scrolls the first digit away.
        const int cursor = style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &w);
        return {advance + 2 * frame + 4 + cursor + text.left() + text.right(),
                em + 2 * frame + 2 + text.top() + text.bottom()};
    }
    case ControlKind::Label: {
        // A style sheet can give a margin of any size: in 64 bits, and never more than a
        // layout can hold anyway.
        const auto *label = qobject_cast<const QLabel *>(&w);
        const qint64 frame = label ? qint64(label->frameWidth()) + label->margin() : 0;
        const auto bounded = [](qint64 pixels) { return int(std::clamp<qint64>(pixels, 0, 1 << 20)); };
        return {bounded(advance + 2 * frame), bounded(em + 2 * frame)};
    }
    case ControlKind::ScrollBar:
    case ControlKind::Picture:
        break;
    }
    return {advance, em};
}

int WidgetTextMeasure::wrappedHeight(const ControlLayout &control, std::string_view text,
                                     int width) const
{
    const QWidget &w = widget(control);
    const auto *label = qobject_cast<const QLabel *>(&w);
    const int frame = label ? qBound(0, label->frameWidth() + label->margin(), 1 << 20) : 0;
    const QRect bounds = w.fontMetrics().boundingRect(
        QRect(0, 0, qMax(1, width - 2 * frame), 1 << 20),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, toQString(text));
    return bounds.height() + 2 * frame;
}

int largestScaleOnScreen(const QWidget &window, int width, int height)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return kLargestScale;
    const QRect available = screen->availableGeometry();
    // The window manager's frame once the window has one; before, room for a title bar and
    // borders as most draw them.
    QSize frame = window.frameGeometry().size() - window.size();
    if (frame.width() <= 0 && frame.height() <= 0)
        frame = QSize(16, 48);
    return largestScaleOnScreen(width, height, frame.width(), frame.height(), available.width(),
                                available.height(), 96, 96);
}

void placeControls(QWidget &window, std::span<const ControlLayout> table,
                   const LayoutScale &scale, int width, int height)
{
    for (const ControlLayout &control : table) {
        QWidget *w = window.findChild<QWidget *>(QString::fromLatin1(control.name));
        if (!w)
            continue;
        DeviceRect r = clientRect(table, control, scale);
        if (control.container) {
            // Qt places a frame's children in the frame.
            for (const ControlLayout &frame : table) {
                if (std::string_view(frame.name) == control.container) {
                    const DeviceRect f = clientRect(table, frame, scale);
                    r.left -= f.left;
                    r.top -= f.top;
                }
            }
        }
        w->setGeometry(r.left, r.top, r.width, r.height);
    }
    const DeviceRect client = clientArea(width, height, scale);
    window.setFixedSize(client.width, client.height);
}
