// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

#include <functional>

class QContextMenuEvent;
class QKeyEvent;

// A short numeric edit box. The user can never make its text longer than maxTypedLength()
// characters, whether by typing or by pasting; text the program shows with showText() is not
// limited (a stored width of 1000 shows as "1000"). Set the text with showText(), not
// QLineEdit::setText(), which would count as an over-long edit.
//
// QLineEdit::setMaxLength() cannot do this: it truncates text set by the program as well.
class NumberBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumberBox(QWidget *parent = nullptr);

    int maxTypedLength() const { return 3; }

    void showText(const QString &text);

    // The top of the line of text, in the box's coordinates, as QLineEdit centres it in the
    // box's contents: a label beside the box puts its text's top there to share its baseline.
    int textTop() const;

    // A paste by the box's own means (Shift+Insert, the Paste key, the context menu's Paste)
    // is first offered to Taker; the box inserts the clipboard's text only when Taker declines
    // (returns false).
    void setPasteTaker(std::function<bool()> taker) { m_pasteTaker = std::move(taker); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool pasteTaken() const { return m_pasteTaker && m_pasteTaker(); }

    class LengthGuard;
    LengthGuard *m_guard;
    QString m_previous; // the text before the edit in progress
    std::function<bool()> m_pasteTaker;
};

// The character a key press types, as the box's key handling sees it: Enter is 13, Backspace
// 8, Ctrl+letter its control code (Ctrl+V is 22), whether the platform delivers the control
// character (X11) or the letter with the Control modifier (QTest). -1 for keys that type no
// character (arrows, Delete, Tab, Shift+Insert), which the box handles itself.
int typedCharacter(const QKeyEvent &event);
