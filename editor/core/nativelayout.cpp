// SPDX-License-Identifier: MIT
#include "editor/core/nativelayout.h"

#include "editor/core/controlids.h"

#include <algorithm>
#include <string_view>

namespace hueloft {

namespace {

constexpr std::int64_t kTwipsPerInch = 1440;

std::int64_t roundedDivision(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t half = denominator / 2;
    return numerator >= 0 ? (numerator + half) / denominator
                          : -((-numerator + half) / denominator);
}

} // namespace

int twipsToDevice(std::int64_t twips, int dpi)
{
    return static_cast<int>(roundedDivision(twips * dpi, kTwipsPerInch));
}

std::int64_t deviceToTwips(std::int64_t pixels, int dpi)
{
    return dpi > 0 ? roundedDivision(pixels * kTwipsPerInch, dpi) : 0;
}

DeviceRect twipsToDevice(int left, int top, int width, int height, int dpiX, int dpiY)
{
    DeviceRect rect;
    rect.left = twipsToDevice(left, dpiX);
    rect.top = twipsToDevice(top, dpiY);
    rect.width = twipsToDevice(std::int64_t(left) + width, dpiX) - rect.left;
    rect.height = twipsToDevice(std::int64_t(top) + height, dpiY) - rect.top;
    return rect;
}

std::vector<NativeControl> nativeMainLayout(int dpiX, int dpiY)
{
    const auto table = mainWindowLayout();
    std::vector<NativeControl> controls;
    controls.reserve(table.size());
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ControlLayout &control = table[row];
        int left = control.left;
        int top = control.top;
        if (control.container) {
            const auto frame = std::find_if(table.begin(), table.end(), [&](const auto &c) {
                return std::string_view(c.name) == control.container;
            });
            left += frame->left;
            top += frame->top;
        }
        NativeControl native;
        native.layout = &control;
        native.id = kFirstControlId + static_cast<int>(row);
        native.rect = twipsToDevice(left, top, control.width, control.height, dpiX, dpiY);
        switch (control.kind) {
        case ControlKind::ScrollBar:
        case ControlKind::TextBox:
        case ControlKind::Button:
        case ControlKind::CheckBox:
            native.tabStop = true;
            break;
        case ControlKind::Option:
            native.tabStop = native.id == IDC_optLang0; // selected when the window is made
            break;
        default:
            break;
        }
        // Each control is a group of its own, so that the arrow keys stay on a button instead
        // of wandering through the window; only the four notations share one.
        native.groupStart = control.kind != ControlKind::Option || native.id == IDC_optLang0;
        controls.push_back(native);
    }
    std::stable_sort(controls.begin(), controls.end(), [](const auto &a, const auto &b) {
        const bool aFrame = a.layout->kind == ControlKind::Frame;
        const bool bFrame = b.layout->kind == ControlKind::Frame;
        if (aFrame != bFrame)
            return aFrame;
        return a.layout->tabIndex < b.layout->tabIndex;
    });
    return controls;
}

const std::vector<AboutControl> &aboutLayout()
{
    static const std::vector<AboutControl> controls = {
        {"Image1", IDC_Image1, 120, 240, 480, 480},
        {"Label10", IDC_Label10, 840, 240, 2535, 255},
        {"Label12", IDC_Label12, 840, 480, 2535, 255},
        {"Label11", IDC_Label11, 840, 840, 2895, 255},
        {"Label13", IDC_Label13, 840, 1320, 2895, 255},
        {"cmdOK", IDC_cmdOK, 3720, 120, 1095, 375},
        {"Label20", IDC_Label20, 120, 1800, 4695, 735},
    };
    return controls;
}

} // namespace hueloft
