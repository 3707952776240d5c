-- The default skin: one window that shows the phone's link, plays the PC's sound on the phone
-- and sends dropped files to it. The parts live in scripts\ (run by ui\main.xml's resource
-- section): texts, link, sound, transfers, menu.

-- The window and what the parts share.
Ui = {}

function Ui.Find(id) return Ui.root and Ui.root:FindControl(id) end

function Ui.SetText(id, text)
  local c = Ui.Find(id)
  if c then c:SetText(text or "") end
end

-- A tray balloon, for 5 seconds.
function Ui.Balloon(title, info)
  g_GuiAdbLogic:Call("ShellNotify", { timeout = 5000, title = title, info = info })
end

-- 0: the transfers, 1: what was sent before.
function Ui.ShowPage(index)
  local pages, first, second = Ui.Find("pages"), Ui.Find("tabtransfers"), Ui.Find("tabhistory")
  local was = Ui.page
  Ui.page = index
  if (was == 1) ~= (index == 1) then Transfers.OnHistoryShown(index == 1) end
  if pages then pages:SelectItem(index) end
  if first and second then
    first:SetCheck(index == 0)
    second:SetCheck(index == 1)
  end
end

function OnPageTab(tab)
  if tab:IsCheck() then Ui.ShowPage(tab:GetID() == "tabhistory" and 1 or 0) end
end

-- The spoken name of a control that shows a picture.
function Ui.SetName(id, name)
  local c = Ui.Find(id)
  if c then c:SetAccName(name or "") end
end

function Ui.ShowTexts()
  Ui.SetText("tabtransfers", T.tab_transfers)
  Ui.SetText("tabhistory", T.tab_history)
  Ui.SetName("menubutton", T.name_menu)
  Ui.SetName("minbutton", T.name_minimise)
  Ui.SetName("closebutton", T.name_close)
  Link.Show()
end

-- Close hides the window in the notification area; the tray icon brings it back, and the
-- menu's Exit (or the tray's) ends the program.
function OnCloseMain() Ui.wnd:SetVisible(0) return true end
function OnCloseButton() Ui.wnd:SetVisible(0) end
function OnMinimize() Ui.wnd:Min() end

-- Events from the program (always on the UI thread).
local handlers = {}

function handlers.BringToTop()
  if Ui.wnd then
    Ui.wnd:SetVisible(5)
    Ui.wnd:BringToTop()
  end
end

function handlers.DeviceInsert() Link.OnDeviceInsert() end
function handlers.ConnectResult(status, info) Link.OnConnectResult(status, info) end
function handlers.Connected() Link.OnConnected() end
function handlers.WifiConnected() Link.OnWifiConnected() end
function handlers.Disconnect() Link.OnDisconnect() end
function handlers.StateSync(state) Sound.OnStateSync(state) end
function handlers.AddTask(task) Transfers.OnAddTask(task) end
function handlers.PushProgress(file, percent) Transfers.OnPushProgress(file, percent) end
function handlers.PushFileFinish(path, status) Transfers.OnPushFileFinish(path, status) end
function handlers.InstallAppFinish(path, status) Transfers.OnInstallAppFinish(path, status) end
function handlers.TaskRecords(records) Transfers.OnTaskRecords(records) end

function main()
  Ui.wnd = g_UIMgr:CreateWindow("ui\\main.xml")  -- runs the parts' scripts first
  Ui.root = Ui.wnd and Ui.wnd:GetRootControl()
  -- Started at sign-in: only the tray icon shows until the user asks for the window.
  if Ui.wnd and g_GuiAdbLogic:Call("StartsInTray") == 1 then Ui.wnd:SetVisible(0) end
  ChooseLanguage(g_GuiAdbLogic:Call("GetUILanguage"))
  Ui.ShowTexts()
  Ui.ShowPage(0)
  g_GuiAdbLogic:AttachListener(function(name, a, b)
    local h = handlers[name]
    if h then h(a, b) end
  end)
  g_GuiAdbLogic:Call("Init")
  Link.StartSearching()
  g_UIMgr:RunMessageLoop()
  g_GuiAdbLogic:Call("Uninit")
end
