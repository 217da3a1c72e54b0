// The Windows platform layer's pure parts, run under Wine: virtual keys to the
// window layer's key codes (and on through the input device's TransKey to the
// toolkit's codes), XInput pads to the Linux build's gamepad layout, and the
// file layer under the C library (UTF-8 names, data beside the executable,
// rename over an existing file).
#include <windows.h>
#include <xinput.h>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/input.h"
#include "host/win32/native_files.h"
#include "host/win32/win32_input.h"

namespace {

constexpr unsigned kLeftShiftScan = 0x2A, kRightShiftScan = 0x36;

int ToolkitCode(unsigned vk, unsigned scan = 0, bool extended = false) {
    return TransKey(win32::KeyFromVirtualKey(vk, scan, extended));
}

TEST(Win32Keys, KeysReachTheToolkitCodesTheLinuxBuildGives) {
    EXPECT_EQ(ToolkitCode('A'), 65);
    EXPECT_EQ(ToolkitCode('7'), 55);
    EXPECT_EQ(ToolkitCode(VK_SPACE), 32);
    EXPECT_EQ(ToolkitCode(VK_RETURN), 13);
    EXPECT_EQ(ToolkitCode(VK_ESCAPE), 27);
    EXPECT_EQ(ToolkitCode(VK_BACK), 8);
    EXPECT_EQ(ToolkitCode(VK_F1), 112);
    EXPECT_EQ(ToolkitCode(VK_F12), 123);
    EXPECT_EQ(ToolkitCode(VK_OEM_7), 222);
    EXPECT_EQ(ToolkitCode(VK_OEM_1), 186);
    EXPECT_EQ(ToolkitCode(VK_OEM_3), 192);
    EXPECT_EQ(ToolkitCode(VK_SHIFT, kLeftShiftScan), 160);
    EXPECT_EQ(ToolkitCode(VK_SHIFT, kRightShiftScan), 161);
    EXPECT_EQ(ToolkitCode(VK_CONTROL, 0x1D, false), 162);
    EXPECT_EQ(ToolkitCode(VK_CONTROL, 0x1D, true), 163);
    // The dedicated navigation keys are extended; the same virtual keys from the
    // keypad (Num Lock off) are keypad keys, which the toolkit ignores.
    EXPECT_EQ(ToolkitCode(VK_LEFT, 0x4B, true), 37);
    EXPECT_EQ(ToolkitCode(VK_DELETE, 0x53, true), 46);
    EXPECT_EQ(ToolkitCode(VK_HOME, 0x47, true), 36);
    EXPECT_EQ(ToolkitCode(VK_LEFT, 0x4B, false), 0);
    EXPECT_EQ(ToolkitCode(VK_RETURN, 0x1C, true), 0);  // keypad Enter
    EXPECT_EQ(ToolkitCode(VK_NUMPAD5), 0);
    // Alt reaches the window layer (Alt+Enter) but no toolkit code.
    EXPECT_EQ(win32::KeyFromVirtualKey(VK_MENU, 0x38, false), GLFW_KEY_LEFT_ALT);
    EXPECT_EQ(win32::KeyFromVirtualKey(VK_MENU, 0x38, true), GLFW_KEY_RIGHT_ALT);
    EXPECT_EQ(ToolkitCode(VK_MENU, 0x38, false), 0);
    EXPECT_EQ(win32::KeyFromVirtualKey(VK_F11, 0, false), GLFW_KEY_F11);
    EXPECT_EQ(win32::KeyFromVirtualKey(VK_VOLUME_UP, 0, true), 0);
}

TEST(Win32Pad, XInputPadReadsInTheGamepadLayout) {
    win32::PadState pad;
    pad.buttons = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START | XINPUT_GAMEPAD_DPAD_DOWN;
    pad.thumbLX = 32767;
    pad.thumbLY = 32767;  // pushed up
    pad.thumbRY = -32768;  // pulled down
    pad.leftTrigger = 255;
    glfw2::JoystickState joy = win32::JoystickFromPad(pad);
    ASSERT_EQ(joy.axisCount, glfw2::PAD_AXIS_COUNT);
    ASSERT_EQ(joy.buttonCount, glfw2::PAD_BUTTON_COUNT);
    EXPECT_FLOAT_EQ(joy.axes[glfw2::PAD_LEFT_X], 1.0f);
    EXPECT_FLOAT_EQ(joy.axes[glfw2::PAD_LEFT_Y], -1.0f);  // up reads negative, as on Linux
    EXPECT_FLOAT_EQ(joy.axes[glfw2::PAD_RIGHT_Y], 1.0f);
    EXPECT_FLOAT_EQ(joy.axes[glfw2::PAD_LEFT_TRIGGER], 1.0f);
    EXPECT_FLOAT_EQ(joy.axes[glfw2::PAD_RIGHT_TRIGGER], 0.0f);
    EXPECT_NEAR(joy.axes[glfw2::PAD_RIGHT_X], 0.0f, 1e-4f);
    for (int i = 0; i < glfw2::PAD_BUTTON_COUNT; ++i) {
        bool down = i == glfw2::PAD_A || i == glfw2::PAD_START || i == glfw2::PAD_DPAD_DOWN;
        EXPECT_EQ(joy.buttons[i], down ? 1 : 0) << "button " << i;
    }
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    return path;
}

TEST(Win32Files, Utf8NamesRenameOverAFileAndDataBesideTheExecutable) {
    const std::wstring folder = TempFolder();
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    const char* target = "tumbleroo-\xC3\xA9t\xC3\xA9.txt";  // "été": UTF-8 in, wide on disk
    const char* temp = "tumbleroo-\xC3\xA9t\xC3\xA9.tmp";
    for (const char* text : {"first", "second"}) {
        FILE* f = std::fopen(temp, "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
        ASSERT_EQ(std::rename(temp, target), 0) << "rename over " << text;
    }
    EXPECT_NE(GetFileAttributesW((folder + L"tumbleroo-\u00e9t\u00e9.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    char read[16] = {};
    FILE* f = std::fopen(target, "rb");
    ASSERT_NE(f, nullptr);
    std::fgets(read, sizeof read, f);
    std::fclose(f);
    EXPECT_STREQ(read, "second");
    DeleteFileW((folder + L"tumbleroo-\u00e9t\u00e9.txt").c_str());

    wchar_t exe[MAX_PATH];
    std::wstring exePath(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    std::wstring expected = exePath.substr(0, exePath.find_last_of(L"\\/") + 1) + L"data\\sfx/001.wav";
    EXPECT_EQ(win32::NativePath("./data/sfx/001.wav"), expected);
    EXPECT_EQ(win32::NativePath(".quorvelstate"), L".quorvelstate");
}

}  // namespace
