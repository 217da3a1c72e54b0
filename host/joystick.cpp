// joystick.cpp - placeholder until the joystick reader lands.
#include "host/glfw2.h"

glfw2::JoystickState glfw2::ReadGlfw3Joystick() { return JoystickState(); }
