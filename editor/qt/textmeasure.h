// SPDX-License-Identifier: MIT
#pragma once

#include "editor/core/layoutscale.h"

class QWidget;

// What a text needs in a control of a Qt window: measured in the font the control draws with
// once its style and any style sheet have polished it, with the style's own margins. Controls
// are found among Window's children by the table's names.
class WidgetTextMeasure final : public hueloft::TextMeasure
{
public:
    explicit WidgetTextMeasure(const QWidget &window) : m_window(window) {}

    hueloft::TextNeed need(const hueloft::ControlLayout &control,
                           std::string_view text) const override;
    int wrappedHeight(const hueloft::ControlLayout &control, std::string_view text,
                      int width) const override;

private:
    const QWidget &widget(const hueloft::ControlLayout &control) const;

    const QWidget &m_window;
};

// The largest scale at which Window, around a client area of Width x Height twips, fits the
// screen it is on.
int largestScaleOnScreen(const QWidget &window, int width, int height);

// Places every control of Table that is a child of Window at Scale (a control inside a frame
// relative to the frame, as Qt places children) and fixes the window's size to the client
// area Width x Height twips.
void placeControls(QWidget &window, std::span<const hueloft::ControlLayout> table,
                   const hueloft::LayoutScale &scale, int width, int height);
