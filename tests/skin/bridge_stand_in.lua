-- Put before the default skin's main.lua: a stand-in for the program's bridge that records
-- what the skin asks of it, and steps that feed the skin the program's events one by one,
-- then look at the window. skinrun provides print, _ALERT and expect.
local calls, balloons, listener, firewallAnswer, captureAnswer = "", {}, nil, 2, nil
local function take() local s = calls; calls = ""; return s end

g_GuiAdbLogic = {}
function g_GuiAdbLogic:AttachListener(f) listener = f end
function g_GuiAdbLogic:Call(name, a, b)
  if name == "GetUILanguage" then return 1033 end
  if name == "GetVersion" then return "9.8.7" end
  if name == "StartsInTray" then return 0 end
  if name == "TrimText" then return a == "QTest Phone 9\n" and "QTest Phone 9" or a end
  if name == "ShellNotify" then balloons[#balloons + 1] = a.title .. "|" .. a.info return end
  calls = calls .. name .. (a and (":" .. a) or "") .. ";"
  if name == "AllowFirewall" then return firewallAnswer end
  if name == "StartCapture" then return captureAnswer end
  if name == "Init" then
    g_TimerMgr:SetTimeout(function() StandInSteps() end, 30)
    -- A step that waits for ever (a menu left open) fails instead of hanging: Exit ends any loop.
    g_TimerMgr:SetTimeout(function() print("failed: the steps did not end within 45 s") g_UIMgr:Exit() end, 45000)
  end
end

local function event(name, a, b) listener(name, a or 0, b or 0) end
local function text(id) return Ui.Find(id):GetText() end
local function click(x, y)
  Ui.wnd:SendMessage(0x200, 0, x + y * 65536)
  Ui.wnd:SendMessage(0x201, 1, x + y * 65536)
  Ui.wnd:SendMessage(0x202, 0, x + y * 65536)
  Ui.wnd:SendMessage(0x200, 0, 5 + 545 * 65536)
end
local function rows(id) return Ui.Find(id):GetControlCount() end
-- A key as the window receives it (WM_KEYDOWN); later, from a timer, into a running menu loop.
local function key(vk) Ui.wnd:SendMessage(0x100, vk, 0) end
local function key_later(vk, ms) g_TimerMgr:SetTimeout(function() Ui.wnd:PostMessage(0x100, vk, 0) end, ms) end
local function tab_to(id)
  for _ = 1, 20 do
    if Ui.Find(id):IsFocus() then return true end
    key(9)
  end
  return false
end

-- Someone who uses only the keyboard, and hears the names of what they reach.
local function KeyboardSteps()
  expect(tab_to("menubutton") and Ui.Find("menubutton"):GetAccName() == "Menu", "Tab reaches the menu first")
  key(9)
  expect(Ui.Find("minbutton"):IsFocus() and Ui.Find("minbutton"):GetAccName() == "Minimise", "then Minimise")
  key(9)
  expect(Ui.Find("closebutton"):GetAccName() == "Close to the notification area", "then Close")
  key(9)
  local play = Ui.Find("play")
  expect(play:IsFocus() and play:GetAccName() == "Stop", "then the play control, named by its state")
  key(32)
  expect(take() == "StopCapture:0;" and play:GetAccName() == "Play on the phone", "Space stops the sound")
  key(13)
  expect(take() == "StartCapture:0;" and play:GetAccName() == "Stop", "Enter plays it")
  -- The menu from the keyboard opens on its first item: Down to "About", Enter.
  expect(tab_to("menubutton"), "back to the menu button")
  key_later(40, 100)
  key_later(13, 250)
  key(13)
  expect(Ui.Find("about"):IsVisible() and Ui.Find("aboutclose"):IsFocus(), "About by keys, its button focused")
  key(13)
  expect(not Ui.Find("about"):IsVisible() and Ui.Find("menubutton"):IsFocus(), "About closed by keys")
  -- Esc dismisses the menu and changes nothing.
  key_later(27, 150)
  key(32)
  expect(not Ui.Find("about"):IsVisible(), "Esc leaves the menu")
end

function StandInSteps()
  expect(take() == "Init;", "the skin starts the program")
  expect(text("status") == "Looking for your phone..." and text("link") == "not linked", "searching")
  expect(not Ui.Find("play"):IsEnable(), "no sound control without a phone")
  event("ConnectResult", 6, { DeviceID = "", DeviceModel = "", ConnectedByUSB = 0 })
  expect(text("status") == "Looking on Wi-Fi only..." and
         text("detail") == "USB needs adb.exe: unzip Google's SDK\nPlatform-Tools into Quillon's folder.",
         "no adb server: what USB needs")
  ChooseLanguage(2052)
  Ui.ShowTexts()
  expect(text("detail") == "USB 连接需要 adb.exe：请把 Google 的\nSDK Platform-Tools 解压到 Quillon 文件夹。",
         "no adb server, in Chinese")
  ChooseLanguage(1033)
  Ui.ShowTexts()
  expect(not Ui.Find("allowfirewall"):IsVisible(), "no firewall action while searching")
  Link.OnNoPhone()  -- what the skin's timer does after a minute without a phone
  expect(text("status") == "No phone found on Wi-Fi" and Ui.Find("allowfirewall"):IsVisible() and
         text("allowfirewall") == "Allow Quillon on this network", "no phone: what to check, and the action")
  OnAllowFirewall()
  expect(take() == "AllowFirewall;" and text("detail") == "The firewall was not changed\n(it needs an administrator).",
         "a refused elevation is said")
  firewallAnswer = 0
  OnAllowFirewall()
  expect(take() == "AllowFirewall;" and not Ui.Find("allowfirewall"):IsVisible(), "allowed: the action goes")

  event("WifiConnected")
  expect(text("status") == "Linked over Wi-Fi" and text("link") == "Wi-Fi", "linked over Wi-Fi")
  expect(take() == "GetTaskRecords;", "the phone's record is asked for when it links")
  expect(text("drophint") == "Files go by USB: plug the phone in to send them", "files need the USB link")
  expect(balloons[1] == "Phone linked|the phone", "one balloon for the link")
  click(74, 200)
  expect(take() == "StartCapture:0;" and text("soundtitle") == "Playing on the phone", "play by click")
  event("StateSync", 2)
  expect(take() == "StopCapture:0;" and not Ui.Find("play"):IsCheck(), "the phone's pause stops it")
  event("StateSync", 3)
  expect(take() == "StartCapture:0;" and Ui.Find("play"):IsCheck(), "the phone's play starts it")
  event("StateSync", 3)
  expect(take() == "StartCapture:0;", "the phone's play while playing starts the sound again")
  event("StateSync", 2)
  take()
  captureAnswer = 0
  event("StateSync", 3)
  expect(take() == "StartCapture:0;" and not Ui.Find("play"):IsCheck(), "a start without a link leaves it off")
  captureAnswer = nil
  event("StateSync", 3)
  take()
  print("steps: by keys")
  KeyboardSteps()
  print("steps: transfers")

  event("AddTask", { FileName = "a.jpg", FilePath = "C:\\a.jpg", FileSize = "1.5 MB" })
  event("AddTask", { FileName = "文件.txt", FilePath = "C:\\文件.txt", FileSize = "12 B" })
  local first = Ui.Find("transfers"):GetSubControl(0)
  expect(rows("transfers") == 2 and first:FindControl("name"):GetText() == "a.jpg", "a row per file")
  event("PushProgress", "C:\\a.jpg", 40)
  expect(first:FindControl("state"):GetText() == "sending 40%", "progress in its row")
  local bar = first:FindControl("progress")
  expect(bar == nil or bar:GetValue() == 40, "the row's progress bar")
  event("PushFileFinish", "C:\\a.jpg", 3)
  expect(#balloons == 1, "no balloon while the batch runs")
  event("PushProgress", "C:\\?.txt", 10)  -- a path the code page could not spell
  local second = Ui.Find("transfers"):GetSubControl(1)
  expect(second:FindControl("state"):GetText() == "sending 10%", "progress of the running row")
  event("PushFileFinish", "C:\\文件.txt", 4)
  expect(balloons[2] == "Transfers finished|1 file sent to the phone, 1 failed", "one balloon per batch")
  expect(first:FindControl("state"):GetText() == "sent" and second:FindControl("state"):GetText() == "failed",
         "outcomes")
  expect(take() == "" and text("count") == "1 sent", "a file sent counts; the record is not asked for")
  local records = { { Id = 1, FileName = "a.jpg", FileSize = "1.5 MB", State = 1 },
                    { Id = 4, FileName = "a.jpg", FileSize = "1.5 MB", State = 3 },
                    { Id = 5, FileName = "b.apk", FileSize = "3 MB", State = 3 } }
  event("TaskRecords", records)
  expect(rows("history") == 0 and text("count") == "2 sent", "the record counts, with no rows while hidden")
  click(185, 285)
  expect(take() == "GetTaskRecords;", "its page asks for the record")
  event("TaskRecords", records)
  expect(rows("history") == 2, "the page shows the files sent")
  OnRemoveHistoryRow(Ui.Find("history"):GetSubControl(0):FindControl("remove"))
  expect(take() == "DeleteRecord:4;GetTaskRecords;", "a row removed from the record")
  event("TaskRecords", { records[1], records[3] })
  expect(rows("history") == 1 and text("count") == "1 sent", "the record without it")
  click(75, 285)
  expect(rows("history") == 0 and text("count") == "1 sent", "the rows go with their page")
  OnDropFile(77)
  expect(take() == "HandleDropFiles:77;" and rows("transfers") == 0, "a new drop clears a finished batch")

  event("Disconnect")
  expect(take() == "StopCapture:1;" and text("status") == "Looking on Wi-Fi only..." and
         not Ui.Find("allowfirewall"):IsVisible(), "the phone left; USB still has no adb server")
  event("DeviceInsert", "serial")
  expect(text("status") == "Phone plugged in", "plugged in: a server answers")
  event("ConnectResult", 1, { DeviceID = "serial", DeviceModel = "", ConnectedByUSB = 0 })
  expect(text("status") == "The phone cannot be reached over USB" and
         text("detail") == "Unlock the phone and allow\nUSB debugging when it asks.", "a hint per status")
  event("ConnectResult", 4, { DeviceID = "serial", DeviceModel = "", ConnectedByUSB = 0 })
  expect(text("detail") == "This PC may not use the phone's USB:\ninstall the phone maker's USB driver.",
         "no permissions: the driver")
  event("ConnectResult", 0, { DeviceID = "serial", DeviceModel = "QTest Phone 9\n", ConnectedByUSB = 0 })
  event("Connected")
  expect(text("status") == "Linked over USB" and text("detail") == "QTest Phone 9", "USB with the model on one line")
  expect(balloons[3] == "Phone linked|QTest Phone 9", "the model in the balloon")
  event("AddTask", { FileName = "b.apk", FilePath = "C:\\b.apk", FileSize = "3 MB" })
  event("InstallAppFinish", "C:\\b.apk", 4)
  expect(Ui.Find("transfers"):GetSubControl(0):FindControl("state"):GetText() == "failed", "a refused install")

  Ui.ShowAbout(true)
  expect(Ui.Find("about"):IsVisible() and text("aboutversion") == "Version 9.8.7", "About shows the version")
  ChooseLanguage(2052)
  Ui.ShowTexts()
  expect(text("status") == "已通过 USB 连接" and text("tabtransfers") == "传输", "Chinese")
  expect(Ui.Find("closebutton"):GetAccName() == "关闭到通知区域", "Chinese names")
  print("done")
  g_UIMgr:Exit()
end
