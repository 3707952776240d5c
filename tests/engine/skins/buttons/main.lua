-- Buttons, check boxes and radio buttons clicked through their window's messages and driven
-- through "LuaButton", "LuaCheckBox" and "LuaRadioButton".
local failures = 0
function expect(ok, what)
  if not ok then
    failures = failures + 1
    _ALERT("failed: " .. what)
  end
end

hold_ms = hold_ms or 100

local calls = {}
local function heard(what) calls[#calls + 1] = what end
-- The calls heard since the last look, each followed by ";". (Skins get no standard library.)
local function heard_list()
  local s = ""
  for i = 1, #calls do s = s .. calls[i] .. ";" end
  calls = {}
  return s
end
local function flag(b) return b:IsCheck() and "true" or "false" end

function on_send(b) heard("send:" .. b.__name .. ":" .. b:GetID()) end
function on_plain(b) heard("plain") end
function on_mute_click(b) heard("click:" .. flag(b)) end
function on_mute_changed(b) heard("changed:" .. flag(b)) end
function on_quality_click(b) heard("qclick:" .. b:GetID()) end
function on_quality(b) heard("quality:" .. b:GetID()) end

local WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP = 0x200, 0x201, 0x202
local function at(x, y) return x + y * 65536 end

function main()
  expect(LuaButton.__parent == LuaStatic, "LuaButton derives from LuaStatic")
  expect(LuaCheckBox.__parent == LuaButton, "LuaCheckBox derives from LuaButton")
  expect(LuaRadioButton.__parent == LuaCheckBox, "LuaRadioButton derives from LuaCheckBox")

  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  expect(wnd ~= nil, "window")
  local root = wnd:GetRootControl()
  local send, mute, q1, q2, q3 = root:FindControl("send"), root:FindControl("mute"),
      root:FindControl("q1"), root:FindControl("q2"), root:FindControl("q3")
  expect(send.__name == "LuaButton" and send:GetType() == 3, "a button reaches scripts as LuaButton")
  expect(mute.__name == "LuaCheckBox" and mute:GetType() == 6, "a check box as LuaCheckBox")
  expect(q1.__name == "LuaRadioButton" and q1:GetType() == 7, "a radio button as LuaRadioButton")
  expect(send:GetTooltip() == "Send the file to the phone", "GetTooltip")
  mute:SetTooltip("Mute")  -- from LuaButton, one step up
  expect(mute:GetTooltip() == "Mute", "SetTooltip through the parent chain")
  expect(mute:GetText() == "Mute the PC", "GetText from LuaStatic, two steps up")

  local function click(x, y)
    wnd:SendMessage(WM_MOUSEMOVE, 0, at(x, y))
    wnd:SendMessage(WM_LBUTTONDOWN, 1, at(x, y))
    wnd:SendMessage(WM_LBUTTONUP, 0, at(x, y))
    wnd:SendMessage(WM_MOUSEMOVE, 0, at(315, 235))  -- off every control
  end

  click(70, 25)
  expect(heard_list() == "send:LuaButton:send;", "onclick gets the button")
  -- Press on a button, move off, release: no click.
  wnd:SendMessage(WM_MOUSEMOVE, 0, at(200, 25))
  wnd:SendMessage(WM_LBUTTONDOWN, 1, at(200, 25))
  wnd:SendMessage(WM_MOUSEMOVE, 0, at(315, 235))
  wnd:SendMessage(WM_LBUTTONUP, 0, at(315, 235))
  expect(heard_list() == "", "press, move off and release is no click")
  click(150, 165)
  expect(heard_list() == "", "a disabled button is not clicked")

  click(50, 100)
  expect(mute:IsCheck(), "a click checks the box")
  expect(heard_list() == "click:true;changed:true;", "onclick, then onselectchanged, after the flip")
  -- Press elsewhere, move onto the box, release: the flag flips without a word to the script.
  wnd:SendMessage(WM_LBUTTONDOWN, 1, at(315, 235))
  wnd:SendMessage(WM_MOUSEMOVE, 0, at(50, 100))
  wnd:SendMessage(WM_LBUTTONUP, 0, at(50, 100))
  wnd:SendMessage(WM_MOUSEMOVE, 0, at(315, 235))
  expect(not mute:IsCheck() and heard_list() == "", "a release alone flips the box silently")
  mute:SetCheck(true)
  expect(mute:IsCheck() and heard_list() == "", "SetCheck calls no script function")

  expect(q1:GetCheckedRadionButton("any text") == nil, "no checked button in the group yet")
  click(50, 130)
  click(150, 130)
  expect(q2:IsCheck() and not q1:IsCheck() and not q3:IsCheck(), "the second unchecks the first and third")
  expect(heard_list() == "quality:q1;qclick:q2;quality:q2;", "onclick before the check, onselectchanged after")
  local group = {q1, q2, q3}
  for i = 1, 3 do
    local b = group[i]
    local checked = b:GetCheckedRadionButton("")
    expect(checked ~= nil and checked:GetID() == "q2" and checked.__name == "LuaRadioButton",
           "GetCheckedRadionButton on " .. b:GetID())
  end
  click(150, 130)
  expect(q2:IsCheck() and heard_list() == "qclick:q2;quality:q2;", "a checked button clicked again calls both")
  expect(root:FindControl("lonely"):GetCheckedRadionButton() == nil, "nil for a group with none checked")

  -- Made by a script: joins the group without unchecking anyone, then takes the check.
  local made = g_UIMgr:CreateControl("radiobutton")
  expect(made ~= nil and made.__name == "LuaRadioButton", "CreateControl radiobutton")
  made:SetID("made")
  made:SetGroupID("quality")
  expect(made:GetGroupID() == "quality" and q2:IsCheck(), "joining a group unchecks no one")
  expect(root:AddControl(made) == 1, "AddControl radio button")
  made:SetCheck(true)
  expect(not q2:IsCheck() and q1:GetCheckedRadionButton():GetID() == "made", "SetCheck(true) takes the group")
  expect(g_UIMgr:CreateControl("checkbox").__name == "LuaCheckBox", "CreateControl checkbox")
  expect(g_UIMgr:CreateControl("button").__name == "LuaButton", "CreateControl button")

  -- A handler that names no function is reported, and the click completes.
  local reported = {}
  local alert = _ALERT
  _ALERT = function(text) reported[#reported + 1] = text end
  click(70, 65)
  _ALERT = alert
  expect(#reported == 1 and reported[1] == "call() attempt to call global `not_a_function_name' (not a function)",
         "missing handler reported: " .. (reported[1] or "nothing"))

  -- Hover shows the pressed and hovered frames; a screenshot run can look at them.
  wnd:SendMessage(WM_MOUSEMOVE, 0, at(70, 25))
  wnd:SendMessage(WM_LBUTTONDOWN, 1, at(200, 25))
  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  if failures == 0 then print("done") end
end
