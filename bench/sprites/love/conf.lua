-- conf.lua - window of the LOVE sprite program: 800x450, no vsync, no sound
-- modules (the other two programs open no audio either).
function love.conf(t)
  t.identity = "tumbleroo-bench-sprites"
  t.window.title = "sprites (LOVE)"
  t.window.width = 800
  t.window.height = 450
  t.window.vsync = 0
  t.window.resizable = false
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
end
