// SPDX-License-Identifier: MIT
#pragma once

// The control ids of the native Windows main window: 100 plus the control's row in the layout
// table (layout.cpp), so that an id names its row and the table stays the one place that
// describes a control. WM_COMMAND and WM_NOTIFY carry these. None is IDOK (1) or IDCANCEL (2),
// which IsDialogMessage sends for Enter and Escape.

namespace hueloft {

inline constexpr int kFirstControlId = 100;

enum ControlId : int {
    IDC_cpRGB = kFirstControlId,
    IDC_txtRGB,
    IDC_txtHexa,
    IDC_cpColor0,
    IDC_hsbColor0,
    IDC_ediColor0,
    IDC_cpColor1,
    IDC_hsbColor1,
    IDC_ediColor1,
    IDC_cpColor2,
    IDC_hsbColor2,
    IDC_ediColor2,
    IDC_cmdCopyRGB,
    IDC_cmdCopyHexa,
    IDC_cmdCopyHTML,
    IDC_cmdCopySample,
    IDC_cmdEditColor,
    IDC_Frame1,
    IDC_optLang0,
    IDC_optLang1,
    IDC_optLang2,
    IDC_optLang3,
    IDC_Frame2,
    IDC_txtSwitch0,
    IDC_ediSwatch0,
    IDC_txtSwitch1,
    IDC_ediSwatch1,
    IDC_chkTop,
    IDC_cmdAbout,
    IDC_cmdExit,
    IDC_pctRGB,
    IDC_End
};

// Members of a control array have consecutive ids with the channel's stride in the table.
constexpr int hsbColorId(int channel) { return IDC_hsbColor0 + 3 * channel; }
constexpr int ediColorId(int channel) { return IDC_ediColor0 + 3 * channel; }
constexpr int cpColorId(int channel) { return IDC_cpColor0 + 3 * channel; }
constexpr int optLangId(int index) { return IDC_optLang0 + index; }
constexpr int ediSwatchId(int index) { return IDC_ediSwatch0 + 2 * index; }
constexpr int txtSwitchId(int index) { return IDC_txtSwitch0 + 2 * index; }

// The other way round: which member of a control array an id is, -1 for any other id.

// The panel of an id among cpRGB and the three chips: 0 cpRGB, 1..3 the chips, -1 none.
constexpr int panelIndex(int id)
{
    if (id == IDC_cpRGB)
        return 0;
    for (int i = 0; i < 3; ++i) {
        if (id == cpColorId(i))
            return 1 + i;
    }
    return -1;
}

constexpr int channelOfBar(int id)
{
    for (int i = 0; i < 3; ++i) {
        if (id == hsbColorId(i))
            return i;
    }
    return -1;
}

constexpr int channelOfBox(int id)
{
    for (int i = 0; i < 3; ++i) {
        if (id == ediColorId(i))
            return i;
    }
    return -1;
}

constexpr int sampleBoxOf(int id)
{
    return id == IDC_ediSwatch0 ? 0 : id == IDC_ediSwatch1 ? 1 : -1;
}

// The About box's own controls. cmdOK is IDOK, so that the dialog manager's Enter and Escape
// (IDCANCEL) both reach it.
inline constexpr int IDC_cmdOK = 1;
inline constexpr int IDC_Image1 = 200;
inline constexpr int IDC_Label10 = 201;
inline constexpr int IDC_Label11 = 202;
inline constexpr int IDC_Label12 = 203;
inline constexpr int IDC_Label13 = 204;
inline constexpr int IDC_Line10 = 205;
inline constexpr int IDC_Label20 = 206;

} // namespace hueloft
