// SPDX-License-Identifier: MIT
#include "editor/qt/captionlabel.h"

#include "editor/color/colortext.h"

void CaptionLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    setText(QString::fromStdString(hueloft::captionDisplayText(caption.toStdString())));
}
