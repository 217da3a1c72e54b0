// input_keys_test.cpp - translation of GLFW 3 key codes into toolkit key codes
// (TransKey) and the characters key presses queue (KeyToChar).
#include "host/input.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <map>

namespace {

// Every GLFW key the toolkit knows besides digits, letters and F1-F12.
const std::map<int, int>& KnownKeys() {
    static const std::map<int, int> keys = {
        {GLFW_KEY_SPACE, 32},         {GLFW_KEY_APOSTROPHE, 222},   {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},        {GLFW_KEY_PERIOD, 190},       {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_SEMICOLON, 186},    {GLFW_KEY_EQUAL, 187},        {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},    {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},        {GLFW_KEY_UP, 38},            {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_LEFT, 37},          {GLFW_KEY_RIGHT, 39},         {GLFW_KEY_LEFT_SHIFT, 160},
        {GLFW_KEY_RIGHT_SHIFT, 161},  {GLFW_KEY_LEFT_CONTROL, 162}, {GLFW_KEY_RIGHT_CONTROL, 163},
        {GLFW_KEY_TAB, 9},            {GLFW_KEY_ENTER, 13},         {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},        {GLFW_KEY_DELETE, 46},        {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},     {GLFW_KEY_HOME, 36},          {GLFW_KEY_END, 35},
    };
    return keys;
}

int ExpectedCode(int glfwKey) {
    if (glfwKey >= '0' && glfwKey <= '9') return glfwKey;
    if (glfwKey >= 'A' && glfwKey <= 'Z') return glfwKey;
    if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F12) return 112 + glfwKey - GLFW_KEY_F1;
    auto it = KnownKeys().find(glfwKey);
    return it == KnownKeys().end() ? 0 : it->second;
}

TEST(TransKey, EveryGlfwKeyMapsAsTheTableSays) {
    int known = 0;
    for (int key = GLFW_KEY_UNKNOWN - 5; key <= GLFW_KEY_LAST + 50; ++key) {
        ASSERT_EQ(TransKey(key), ExpectedCode(key)) << "GLFW key " << key;
        if (TransKey(key)) ++known;
    }
    // 10 digits, 26 letters, 12 function keys and the table.
    EXPECT_EQ(known, 10 + 26 + 12 + static_cast<int>(KnownKeys().size()));
}

TEST(TransKey, KeysThePlayerUsesMost) {
    EXPECT_EQ(TransKey(GLFW_KEY_Z), 90);
    EXPECT_EQ(TransKey(GLFW_KEY_0), 48);
    EXPECT_EQ(TransKey(GLFW_KEY_9), 57);
    EXPECT_EQ(TransKey(GLFW_KEY_F1), 112);
    EXPECT_EQ(TransKey(GLFW_KEY_F12), 123);
    EXPECT_EQ(TransKey(GLFW_KEY_ESCAPE), 27);
    EXPECT_EQ(TransKey(GLFW_KEY_ENTER), 13);
}

TEST(TransKey, IgnoredKeysGiveZero) {
    for (int key : {GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT, GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER,
                    GLFW_KEY_MENU, GLFW_KEY_F13, GLFW_KEY_F25, GLFW_KEY_CAPS_LOCK, GLFW_KEY_NUM_LOCK,
                    GLFW_KEY_SCROLL_LOCK, GLFW_KEY_PRINT_SCREEN, GLFW_KEY_PAUSE, GLFW_KEY_KP_0,
                    GLFW_KEY_KP_9, GLFW_KEY_KP_ENTER, GLFW_KEY_KP_EQUAL, GLFW_KEY_KP_DECIMAL,
                    GLFW_KEY_WORLD_1, GLFW_KEY_WORLD_2, GLFW_KEY_UNKNOWN}) {
        EXPECT_EQ(TransKey(key), 0) << key;
    }
    // Lower-case letters and the other ASCII symbols are not GLFW keys.
    for (int key : {'a', 'z', '!', '"', '#', '(', '<', '>', '?', '@', '^', '_', '{', '~'}) {
        EXPECT_EQ(TransKey(key), 0) << key;
    }
}

TEST(KeyToChar, EditingAndCursorKeysQueueCharacters) {
    EXPECT_EQ(KeyToChar(8), 8);
    EXPECT_EQ(KeyToChar(9), 9);
    EXPECT_EQ(KeyToChar(13), 13);
    EXPECT_EQ(KeyToChar(27), 27);
    EXPECT_EQ(KeyToChar(46), 127);
    const int cursorKeys[] = {33, 34, 35, 36, 37, 38, 39, 40, 45};
    const int cursorChars[] = {65569, 65570, 65571, 65572, 65573, 65574, 65575, 65576, 65581};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(KeyToChar(cursorKeys[i]), cursorChars[i]) << cursorKeys[i];
}

TEST(KeyToChar, EveryOtherCodeQueuesNothing) {
    int queuing = 0;
    for (int code = -10; code < 600; ++code) {
        if (KeyToChar(code)) ++queuing;
    }
    EXPECT_EQ(queuing, 5 + 9);
    for (int code : {0, 1, 16, 17, 32, 41, 44, 47, 48, 65, 90, 112, 160, 256, 384}) {
        EXPECT_EQ(KeyToChar(code), 0) << code;
    }
}

}  // namespace
