// win32_input.h - the Windows build's translations from the system's input to the
// window layer's terms: virtual keys to GLFW 3 key codes (which the input device's
// TransKey and the fullscreen keys read), and an XInput pad to the joystick layout
// the Linux build gives a gamepad. host/win32/win32_backend.cpp calls them; they
// are pure so that the Windows unit tests feed them directly.
#pragma once

#include "host/glfw2.h"

namespace win32 {

// A key message's virtual key, its scan code and its extended-key flag (bit 24 of
// the message's lParam). 0 for keys the window layer has no code for.
int KeyFromVirtualKey(unsigned virtualKey, unsigned scanCode, bool extended);

// One XInput pad's state, as the system reports it.
struct PadState {
    unsigned short buttons = 0;  // XINPUT_GAMEPAD_* bits
    unsigned char leftTrigger = 0, rightTrigger = 0;
    short thumbLX = 0, thumbLY = 0, thumbRX = 0, thumbRY = 0;
};

glfw2::JoystickState JoystickFromPad(const PadState& pad);

// The first connected XInput pad; no axes and no buttons when there is none (or
// no XInput on the system).
glfw2::JoystickState ReadFirstPad();

}  // namespace win32
