-- main.lua - the sprite load drawn by LOVE 11 for comparison with ours: the same
-- generator, scenes and sprite image as bench/sprites/sprite_load.h, one
-- love.graphics.draw per sprite with its colour (LOVE batches them itself),
-- present, then glFinish through the FFI so that the software rasteriser's work is
-- inside the timed frame. Run by bench/sprites/run.sh as
--   love bench/sprites/love --scene a|b --frames N --warmup W
-- and prints one frame time (ms) per line, then the process's CPU time per frame.
local ffi = require("ffi")
ffi.cdef [[
  void glFinish(void);
  typedef struct { long tv_sec; long tv_nsec; } bench_timespec;
  int clock_gettime(int clock, bench_timespec* t);
]]
local gl = ffi.load("libGL.so.1")
local CLOCK_PROCESS_CPUTIME_ID = 2

-- CPU time of the whole process (every thread, the rasteriser's too), ms.
local function processCpuMs()
  local t = ffi.new("bench_timespec")
  ffi.C.clock_gettime(CLOCK_PROCESS_CPUTIME_ID, t)
  return tonumber(t.tv_sec) * 1e3 + tonumber(t.tv_nsec) / 1e6
end

local WINDOW_W, WINDOW_H = 800, 450
local SEED = 20261208
local SCENES = { a = { count = 1000, size = 32 }, b = { count = 10000, size = 1 } }
local TWO32 = 4294967296

-- Numerical Recipes' LCG; every intermediate is below 2^53, so doubles are exact.
local function lcg(seed)
  local state = seed
  return function()
    state = (state * 1664525 + 1013904223) % TWO32
    return state
  end
end

local function makeSprites(scene)
  local nextState = lcg(SEED)
  local list = {}
  for i = 1, scene.count do
    local x = math.floor(nextState() / TWO32 * (WINDOW_W - scene.size))
    local y = math.floor(nextState() / TWO32 * (WINDOW_H - scene.size))
    local r = 64 + nextState() % 192
    local g = 64 + nextState() % 192
    local b = 64 + nextState() % 192
    local a = 128 + nextState() % 128
    list[i] = { x, y, r / 255, g / 255, b / 255, a / 255 }
  end
  return list
end

local function makeImage(size)
  local data = love.image.newImageData(size, size)
  local c, radius = (size - 1) / 2, size / 2
  for y = 0, size - 1 do
    for x = 0, size - 1 do
      local alpha = 1
      if size > 1 then
        local d = math.sqrt((x - c) ^ 2 + (y - c) ^ 2)
        alpha = math.max(0, math.min(1, 1 - d / radius))
      end
      data:setPixel(x, y, 1, 1, 1, math.floor(alpha * 255) / 255)
    end
  end
  local image = love.graphics.newImage(data)
  image:setFilter("nearest", "nearest")
  return image
end

local function parseArgs(args)
  local opt = { scene = "a", frames = 300, warmup = 30 }
  local i = 1
  while i <= #args do
    local key, value = args[i], args[i + 1]
    if key == "--scene" and value then opt.scene = value; i = i + 1
    elseif key == "--frames" and value then opt.frames = math.max(1, tonumber(value)); i = i + 1
    elseif key == "--warmup" and value then opt.warmup = math.max(0, tonumber(value)); i = i + 1
    elseif key == "--info" then opt.info = true
    end
    i = i + 1
  end
  return opt
end

local function drawFrame(image, list)
  local start = love.timer.getTime()
  local graphics = love.graphics
  graphics.origin()
  graphics.clear(0, 0, 0, 1)
  for i = 1, #list do
    local s = list[i]
    graphics.setColor(s[3], s[4], s[5], s[6])
    graphics.draw(image, s[1], s[2])
  end
  graphics.present()
  gl.glFinish()
  return (love.timer.getTime() - start) * 1000
end

function love.run()
  local opt = parseArgs(love.arg.parseGameArguments(arg or {}))
  if opt.info then
    local major, minor, revision = love.getVersion()
    local name, version = love.graphics.getRendererInfo()
    io.write(string.format("LOVE %d.%d.%d, %s %s\n", major, minor, revision, name, version))
    return function() return 0 end
  end
  local scene = SCENES[opt.scene] or SCENES.a
  local image = makeImage(scene.size)
  local list = makeSprites(scene)
  local frame, times, cpuAtWarm = 0, {}, processCpuMs()
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    if frame == opt.warmup then cpuAtWarm = processCpuMs() end
    local ms = drawFrame(image, list)
    frame = frame + 1
    if frame > opt.warmup then times[#times + 1] = ms end
    if frame >= opt.warmup + opt.frames then
      local cpu = processCpuMs() - cpuAtWarm
      for i = 1, #times do io.write(string.format("%.4f\n", times[i])) end
      io.write(string.format("# cpu %.4f\n", cpu / #times))
      io.flush()
      return 0
    end
  end
end
