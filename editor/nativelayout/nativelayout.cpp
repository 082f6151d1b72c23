// SPDX-License-Identifier: MIT
#include "editor/nativelayout/nativelayout.h"

#include "editor/nativelayout/controlids.h"

#include <algorithm>
#include <string_view>

namespace hueloft {

std::vector<NativeControl> nativeMainLayout(const LayoutScale &scale)
{
    const auto table = mainWindowLayout();
    std::vector<NativeControl> controls;
    controls.reserve(table.size());
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ControlLayout &control = table[row];
        NativeControl native;
        native.layout = &control;
        native.id = kFirstControlId + static_cast<int>(row);
        native.rect = clientRect(table, control, scale);
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

std::vector<AboutControl> nativeAboutLayout(const LayoutScale &scale)
{
    static constexpr std::pair<std::string_view, int> ids[] = {
        {"Image1", IDC_Image1},   {"Label10", IDC_Label10}, {"Label12", IDC_Label12},
        {"Label11", IDC_Label11}, {"Label13", IDC_Label13}, {"cmdOK", IDC_cmdOK},
        {"Label20", IDC_Label20},
    };
    const auto table = aboutBoxLayout();
    std::vector<AboutControl> controls;
    for (const ControlLayout &control : table) {
        const auto id = std::find_if(std::begin(ids), std::end(ids),
                                     [&](const auto &entry) { return entry.first == control.name; });
        controls.push_back({&control, id->second, clientRect(table, control, scale)});
    }
    return controls;
}

} // namespace hueloft
