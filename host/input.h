// input.h - the input device: toolkit key codes with down bits and hit counts, the
// typed-character queue, the pointer and joystick 1, and the kx_input_ module
// functions the game reads them through. Implemented in host/input.cpp; the host's
// window callbacks (host/app.cpp) feed it, and the host calls BeginUpdate and
// EndUpdate around every game update.
#pragma once

#include "runtime/runtime.h"

struct gxtkInput : gxtkObject {
    int keyStates[512] = {};  // bit 8: down; bits 0-7: presses since the last EndUpdate
    int charQueue[32] = {};
    int charPut = 0;
    int charGet = 0;
    float mouseX = 0, mouseY = 0;
    float joyValues[6] = {};  // stick 0 x, y, z, stick 1 x, y, z

    virtual int SetKeyboardEnabled(int enable);
    virtual int KeyDown(int key);
    virtual int KeyHit(int key);
    virtual int GetChar();
    virtual float MouseX();
    virtual float MouseY();
    virtual float JoyX(int index);
    virtual float JoyY(int index);
    virtual float JoyZ(int index);
    virtual float TouchX(int index);
    virtual float TouchY(int index);
    virtual float AccelX();
    virtual float AccelY();
    virtual float AccelZ();

    int BeginUpdate();
    int EndUpdate();
    int OnKeyDown(int key);
    int OnKeyUp(int key);
    int PutChar(int code);
};

// Window-library key (GLFW 3 code) to toolkit code; 0 for keys the toolkit ignores.
int TransKey(int glfwKey);
// The character a key press also queues, or 0.
int KeyToChar(int code);

extern gxtkInput* kx_input_device;
