// SPDX-License-Identifier: MIT
#include "editor/qt/numberbox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

// Cuts an edit that would make the text longer than allowed and longer than it was down to
// what fits, as a Windows edit box with a length limit does: pasting "12abc" into an empty
// box leaves "12a". What is cut is the end of the inserted text, which ends at the cursor;
// the text after the cursor is the box's own. The length before the edit is what the box last
// reported through textChanged(), which QLineEdit emits only after the validator has
// accepted the change.
class NumberBox::LengthGuard : public QValidator
{
public:
    explicit LengthGuard(NumberBox *box) : QValidator(box), m_box(box) {}

    State validate(QString &input, int &cursor) const override
    {
        if (m_settingText)
            return Acceptable;
        const qsizetype allowed =
            std::max<qsizetype>(m_box->maxTypedLength(), m_box->m_previous.size());
        const qsizetype excess = input.size() - allowed;
        if (excess <= 0)
            return Acceptable;
        if (excess > cursor)
            return Invalid;
        input.remove(cursor - excess, excess);
        cursor -= int(excess);
        return Acceptable;
    }

    bool m_settingText = false;

private:
    NumberBox *m_box;
};

NumberBox::NumberBox(QWidget *parent) : QLineEdit(parent)
{
    m_guard = new LengthGuard(this);
    setValidator(m_guard);
    // On-screen keyboards offer digits; what an input method sends is filtered all the same.
    setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhNoPredictiveText);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_previous = text;
    });
}

void NumberBox::showText(const QString &text)
{
    m_guard->m_settingText = true;
    setText(text);
    m_guard->m_settingText = false;
    // As on Windows, text set by the program shows from its first character: a stored width
    // of 1000 reads "100", not "000", in a box three digits wide.
    setCursorPosition(0);
}

int NumberBox::textTop() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this)
                               .marginsRemoved(textMargins());
    return contents.y() + (contents.height() - fontMetrics().height() + 1) / 2;
}

void NumberBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && pasteTaken()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A box left with its caret after a value wider than itself would keep showing the value's
    // end: it reads from its first character again, as text the program sets does. Its own
    // context menu, and a switch to another program and back, keep the place and the selection
    // the user was editing.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        setCursorPosition(0);
}

void NumberBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's Paste goes the way of the keys' paste. Qt's own action is the one connected
    // to paste(): found by that, not by its text, which is translated. Qt 6.4 connects it by
    // name; a later Qt may connect it by member.
    for (QAction *action : menu->actions()) {
        const bool byName = disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        if (!byName && !disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        connect(action, &QAction::triggered, this, [this] {
            if (!pasteTaken())
                paste();
        });
    }
    menu->popup(event->globalPos());
}

int typedCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1; // focus navigation, handled before any key-press handler
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    default:
        break;
    }
    if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A
        && event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    const QString text = event.text();
    if (text.isEmpty())
        return -1;
    return text.at(0).unicode();
}
