// input.cpp - placeholder until the input device lands: keeps the host linking.
#include "host/input.h"

gxtkInput* kx_input_device = nullptr;

int gxtkInput::SetKeyboardEnabled(int) { return 0; }
int gxtkInput::KeyDown(int) { return 0; }
int gxtkInput::KeyHit(int) { return 0; }
int gxtkInput::GetChar() { return 0; }
float gxtkInput::MouseX() { return mouseX; }
float gxtkInput::MouseY() { return mouseY; }
float gxtkInput::JoyX(int) { return 0; }
float gxtkInput::JoyY(int) { return 0; }
float gxtkInput::JoyZ(int) { return 0; }
float gxtkInput::TouchX(int) { return mouseX; }
float gxtkInput::TouchY(int) { return mouseY; }
float gxtkInput::AccelX() { return 0; }
float gxtkInput::AccelY() { return 0; }
float gxtkInput::AccelZ() { return 0; }
int gxtkInput::BeginUpdate() { return 0; }
int gxtkInput::EndUpdate() { return 0; }
int gxtkInput::OnKeyDown(int) { return 0; }
int gxtkInput::OnKeyUp(int) { return 0; }
int gxtkInput::PutChar(int) { return 0; }
int TransKey(int) { return 0; }
int KeyToChar(int) { return 0; }
