// SPDX-License-Identifier: MIT
// swatchy.dll on the system's own functions: loaded by name as the editor loads it, its store
// read and written through kernel32's profile functions, its dialog the real ChooseColorA.
// Run under Wine by tests/wine/run.sh. Prints one line per check; exits 1 when one failed.
// Usage: tst_swatchy_wine <scratch folder>
//        tst_swatchy_wine --modules <window title>
// Prints the modules loaded in the process that shows the window, one lower-case name a line.

#include "swatchy/swatchy.h"

#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const std::string &what)
{
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

ShowColorDialogFn show = nullptr;
SaveCustomColorsFn save = nullptr;
LoadCustomColorsFn load = nullptr;
std::string scratch;

std::string file(const std::string &name)
{
    return scratch + "\\" + name;
}

void writeText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string key(int i)
{
    return "RGB_Color_" + std::to_string(i);
}

// What the store holds, as the next save writes it and the system reads it back.
std::vector<std::int32_t> savedStore(const std::string &name)
{
    const std::string path = file(name);
    DeleteFileA(path.c_str());
    save(path.c_str());
    std::vector<std::int32_t> values;
    for (int i = 0; i < 16; ++i)
        values.push_back(std::int32_t(
            GetPrivateProfileIntA("Custom Colors", key(i).c_str(), 12345, path.c_str())));
    return values;
}

// GetProcAddress's type says nothing of the entry's own: through void * to the declared type.
template<typename Fn> Fn entry(HMODULE library, const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

void binding(HMODULE library)
{
    show = entry<ShowColorDialogFn>(library, "ShowColorDialog");
    save = entry<SaveCustomColorsFn>(library, "SaveCustomColors");
    load = entry<LoadCustomColorsFn>(library, "LoadCustomColors");
    check(show && save && load, "the three entry points are found by their plain names");
    const char *names[] = {"ShowColorDialog", "SaveCustomColors", "LoadCustomColors"};
    for (int ordinal = 1; ordinal <= 3; ++ordinal) {
        const auto byOrdinal = GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
        check(byOrdinal && byOrdinal == GetProcAddress(library, names[ordinal - 1]),
              "ordinal " + std::to_string(ordinal) + " is " + names[ordinal - 1]);
    }
}

void saveBeforeLoad()
{
    // Must run first: the store is as the library was loaded.
    const std::string path = file("fresh.ini");
    save(path.c_str());
    std::string expected = "[Custom Colors]\r\n";
    for (int i = 0; i < 16; ++i)
        expected += key(i) + "=0\r\n";
    check(readText(path) == expected, "a save before any load writes sixteen zeros");
}

void onlyExactKeys()
{
    const std::string path = file("keys.ini");
    writeText(path, "[Custom Colors]\r\nRGB_Color_03=7\r\nRGB_Color_16=9\r\nRGB_Color_=5\r\n"
                    "RGB_Color_3=255\r\nRGB Color 4=8\r\n[Other]\r\nRGB_Color_5=6\r\n");
    load(path.c_str());
    const std::vector<std::int32_t> values = savedStore("keys-out.ini");
    bool ok = true;
    for (int i = 0; i < 16; ++i)
        ok = ok && values[i] == (i == 3 ? 255 : 0);
    check(ok, "only RGB_Color_0..15 of [Custom Colors] are read; entry 3 is 255, the rest 0");
}

void signedRoundTrip()
{
    const std::int32_t cases[16] = {
        0,  1,         255,       65280,      16711680, 16777215, 2147483647, -2147483647 - 1,
        -1, -16777216, 305419896, -559038737, 16777216, 42,       -42,        1000000};
    std::string text = "[Custom Colors]\r\n";
    for (int i = 0; i < 16; ++i)
        text += key(i) + "=" + std::to_string(cases[i]) + "\r\n";
    const std::string path = file("signed.ini");
    writeText(path, text);
    load(path.c_str());
    const std::string out = file("signed-out.ini");
    DeleteFileA(out.c_str());
    save(out.c_str());
    check(readText(out) == text, "every signed 32-bit value goes back as the same decimal text");
}

void othersKept()
{
    const std::string path = file("kept.ini");
    const std::string before = "; mine\r\n[Other]\r\na=1\r\n[Custom Colors]\r\nRGB_Color_0=255\r\n"
                               "Extra=x\r\n[Last]\r\nb=2\r\n";
    writeText(path, before);
    load(path.c_str());
    save(path.c_str());
    const std::string after = readText(path);
    bool ok =
        after.rfind("; mine\r\n[Other]\r\na=1\r\n[Custom Colors]\r\nRGB_Color_0=255\r\n", 0) == 0;
    ok = ok && after.find("Extra=x\r\n") != std::string::npos &&
         after.find("[Last]\r\nb=2\r\n") != std::string::npos &&
         after.find("RGB_Color_15=0\r\n") != std::string::npos;
    check(ok, "other keys and sections stay as they were");
}

// Finds the colour dialog of this process by its title, waiting for it to appear.
HWND waitForDialog(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND dialog = nullptr;
        while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", L"Color"))) {
            DWORD process = 0;
            GetWindowThreadProcessId(dialog, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(dialog))
                return dialog;
        }
        Sleep(20);
    }
    return nullptr;
}

// A key pressed in the dialog: posted to the control that has the focus, where the dialog's
// own message loop takes it as from the keyboard.
void press(HWND dialog, DWORD thread, WPARAM key)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// Runs the dialog with Color; Act closes it from another thread once it is seen.
std::uint32_t runDialog(HWND owner, std::uint32_t color, void (*act)(HWND, DWORD), bool &seen)
{
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> found{false};
    std::thread watcher([&] {
        const DWORD started = GetTickCount();
        if (HWND dialog = waitForDialog(60000)) {
            found = true;
            std::printf("  dialog up after %lu ms\n", GetTickCount() - started);
            act(dialog, thread);
        }
    });
    const std::uint32_t result = show(color, reinterpret_cast<std::uintptr_t>(owner));
    watcher.join();
    seen = found;
    return result;
}

void dialogs()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SwatchyTestOwner";
    RegisterClassW(&windowClass);
    HWND owner = CreateWindowW(L"SwatchyTestOwner", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    check(owner != nullptr, "an owner window exists");

    bool seen = false;
    const std::uint32_t cancelled = runDialog(
        owner, 0xAB123456u, [](HWND dialog, DWORD thread) { press(dialog, thread, VK_ESCAPE); },
        seen);
    check(seen, "the dialog opens, found by its title");
    check(cancelled == 0xAB123456u, "Escape gives back the colour passed in, high byte included");

    const std::vector<std::int32_t> before = savedStore("before-add.ini");
    const std::uint32_t chosen = runDialog(
        owner, 0x00336699u,
        [](HWND dialog, DWORD thread) {
            // "Add to Custom Colors" takes the dialog's current colour into the custom colours.
            const int addButton = 712;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(addButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, addButton)));
            press(dialog, thread, VK_RETURN);
        },
        seen);
    check(seen, "the dialog opens a second time");
    check(chosen == 0x00336699u, "Enter gives the dialog's colour");
    // The colour given comes back exactly also when Enter commits the dialog from its hue,
    // saturation or luminosity box, which hold it only rounded.
    static int box = 0;
    for (const std::uint32_t color : {0x00FF3380u, 0x0034AB12u}) {
        for (const int field : {703, 704, 705}) {
            box = field;
            const std::uint32_t back = runDialog(
                owner, color,
                [](HWND dialog, DWORD thread) {
                    PostMessageW(dialog, WM_NEXTDLGCTL, WPARAM(GetDlgItem(dialog, box)), TRUE);
                    press(dialog, thread, VK_RETURN);
                },
                seen);
            check(back == color, "Enter in box " + std::to_string(field) + " gives back " +
                                     std::to_string(color) + " (got " + std::to_string(back) +
                                     ")");
        }
    }
    const std::vector<std::int32_t> after = savedStore("after-add.ini");
    int added = 0, others = 0;
    for (int i = 0; i < 16; ++i) {
        if (after[i] == 0x00336699 && before[i] != 0x00336699)
            ++added;
        else if (after[i] != before[i])
            ++others;
    }
    check(added == 1 && others == 0,
          "the added custom colour stays in the store and the next save writes it");
    DestroyWindow(owner);
}

bool loaded(const wchar_t *module)
{
    return GetModuleHandleW(module) != nullptr;
}

int listModules(const char *title)
{
    const HWND window = FindWindowA(nullptr, title);
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process))
        return 1;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot, &module); more;
         more = Module32NextW(snapshot, &module))
        std::printf("%ls\n", CharLowerW(module.szModule));
    CloseHandle(snapshot);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--modules")
        return listModules(argv[2]);
    if (argc < 2) {
        std::fputs("usage: tst_swatchy_wine <scratch folder>\n", stderr);
        return 2;
    }
    scratch = argv[1];
    HMODULE library = LoadLibraryW(L"swatchy.dll");
    check(library != nullptr, "swatchy.dll loads by name");
    if (!library)
        return 1;
    // The dialog's own library comes with the dialog, not with swatchy.
    check(!loaded(L"comdlg32.dll"), "loading swatchy.dll does not load comdlg32.dll");
    binding(library);
    if (!show || !save || !load)
        return 1;
    saveBeforeLoad();
    onlyExactKeys();
    signedRoundTrip();
    othersKept();
    dialogs();
    check(loaded(L"comdlg32.dll"), "the dialog has loaded comdlg32.dll");
    std::printf("%d failed\n", failures);
    return failures ? 1 : 0;
}
