// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

// dlgAbout: the program's icon, title and version, the rights notice, the contact line and the
// distribution notice, and one button, OK, which is both the default and the cancel button.
// Made anew for every showing, so each starts from its layout, in the font it is given.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    void layOutControls();

    bool m_layoutPending = false;
};
