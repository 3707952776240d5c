-- The default skin: one window that follows the phone's link and the files sent to it.

local wnd, root

local function set_text(id, text)
  local c = root and root:FindControl(id)
  if c then c:SetText(text) end
end

-- Events from the program (always on the UI thread).
local handlers = {}

function handlers.BringToTop()
  if wnd then
    wnd:SetVisible(true)
    wnd:BringToTop()
  end
end

function handlers.DeviceInsert(text)
  set_text("status", "Phone plugged in")
  set_text("detail", text)
end

function handlers.ConnectResult(status, info)
  if status == 0 and info.ConnectedByUSB == 1 then
    set_text("status", "Linking over USB...")
  elseif status ~= 0 then
    set_text("status", "Allow USB debugging on your phone")
  end
  set_text("detail", info.DeviceModel or "")
end

function handlers.Connected()
  set_text("link", "linked by USB")
  set_text("status", "Phone linked")
end

function handlers.StateSync(state)
  -- The phone's play button asks for the sound; its stop button ends it.
  if state == 3 then
    g_GuiAdbLogic:Call("StartCapture", 0)
    set_text("status", "Playing your PC's sound on the phone")
    set_text("detail", "Pause it from the phone.")
    set_text("link", "linked")
  elseif state == 2 then
    g_GuiAdbLogic:Call("StopCapture", 0)
    set_text("status", "Sound paused")
  end
end

function handlers.Disconnect()
  -- The stream's channel went with the link: stop quietly, so the phone's next play starts
  -- the sound afresh.
  g_GuiAdbLogic:Call("StopCapture", 1)
  set_text("link", "not linked")
  set_text("status", "Looking for your phone...")
  set_text("detail", "Open the app on your phone.")
end

function handlers.AddTask(task)
  set_text("transfer", "Queued " .. task.FileName .. " (" .. task.FileSize .. ")")
end

function handlers.PushProgress(file, percent)
  set_text("transfer", "Sending " .. file .. "  " .. percent .. "%")
end

function handlers.PushFileFinish(path, status)
  set_text("transfer", (status == 3 and "Sent " or "Could not send ") .. path)
end

function handlers.InstallAppFinish(path)
  set_text("transfer", "Installed " .. path)
end

-- The window's drop handler: the program reads the drop handle and finishes it.
function OnDropFile(drop)
  g_GuiAdbLogic:Call("HandleDropFiles", drop)
end

function main()
  wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  root = wnd and wnd:GetRootControl()
  g_GuiAdbLogic:AttachListener(function(name, a, b)
    local h = handlers[name]
    if h then h(a, b) end
  end)
  g_GuiAdbLogic:Call("Init")
  g_UIMgr:RunMessageLoop()
  g_GuiAdbLogic:Call("Uninit")
end
