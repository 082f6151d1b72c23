// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

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

private:
    class LengthGuard;
    LengthGuard *m_guard;
    QString m_previous; // the text before the edit in progress
};

// The character a key press types, as the box's key handling sees it: Enter is 13, Backspace
// 8, Ctrl+letter its control code (Ctrl+V is 22), whether the platform delivers the control
// character (X11) or the letter with the Control modifier (QTest). -1 for keys that type no
// character (arrows, Delete, Tab, Shift+Insert), which the box handles itself.
int typedCharacter(const QKeyEvent &event);
