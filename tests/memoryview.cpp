// SPDX-License-Identifier: MIT
#include "tests/memoryview.h"

#include "editor/core/mainform.h"

namespace hueloft {

void MemoryView::setChannelValue(int channel, int value)
{
    // A scroll bar holds 0..255 and reports only a change.
    value = value < 0 ? 0 : value > 255 ? 255 : value;
    if (channels[channel] == value)
        return;
    channels[channel] = value;
    if (m_form)
        m_form->hsbColor_Change(channel);
}

void MemoryView::selectNotation(int index)
{
    if (notation == index)
        return;
    notation = index;
    if (m_form)
        m_form->optLang_Click(index);
}

void MemoryView::setTopMostChecked(bool checked)
{
    if (topMost == checked)
        return;
    topMost = checked;
    if (m_form)
        m_form->chkTop_Click();
}

bool MemoryView::putTextOnClipboard(const std::string &text)
{
    if (!clipboardTakes)
        return false;
    clipboardText = text;
    clipboardHoldsSample = false;
    return true;
}

bool MemoryView::putSampleOnClipboard(int width, int height, ColorValue color)
{
    if (!clipboardTakes)
        return false;
    clipboardSample = {width, height, color};
    clipboardHoldsSample = true;
    clipboardText.clear();
    return true;
}

void MemoryView::closeWindow()
{
    closed = true;
    if (m_form)
        m_form->Form_Unload();
}

} // namespace hueloft
