// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

// A label whose caption follows the access-key convention: it shows "&&" as one "&" and drops
// a single "&". caption() gives the caption as stored, text() what the label shows.
class CaptionLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }

private:
    QString m_caption;
};
