-- The skin's part of the end-to-end run: link, state sync from the phone, StartCapture,
-- StopCapture, the phone's leave. Each step waits with a bound; lines on stdout tell the
-- test what happened.
local got = {}
g_GuiAdbLogic:AttachListener(function(name, a, b)
  Print("event " .. name .. " " .. tostring(a))
  got[name] = a
end)

local function waitFor(check, ms)
  local waited = 0
  while not check() and waited < ms do
    Pump(100)
    waited = waited + 100
  end
  return check()
end

g_GuiAdbLogic:Call("Init")
Pump(1000)
Print("handles-start " .. HandleCount())
if not waitFor(function() return got.StateSync ~= nil end, 30000) then
  Print("no state sync from the phone")
  g_GuiAdbLogic:Call("Uninit")
  return false
end
Pump(1000)
Print("links " .. LinkCount())
Print("handles-linked " .. HandleCount())
got.Disconnect = nil  -- bad input before the link raised some
g_GuiAdbLogic:Call("StartCapture", 0)
Print("capture-started")
Pump(3000)
g_GuiAdbLogic:Call("StopCapture", 0)
Print("capture-stopped")
local left = waitFor(function() return got.Disconnect ~= nil end, 8000)
Print("disconnect " .. tostring(left))
Pump(500)
Print("links-after " .. LinkCount())
g_GuiAdbLogic:Call("Uninit")
return left
