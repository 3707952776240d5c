-- Buttons, check boxes and radio buttons clicked through their window's messages and driven
-- through "LuaButton", "LuaCheckBox" and "LuaRadioButton".
hold_ms = hold_ms or 100  -- a screenshot run can raise it

-- What the handlers heard since the last look, each followed by ";" (no standard library here).
local heard = ""
local function take() local s = heard; heard = ""; return s end
local function flag(b) return b:IsCheck() and "on" or "off" end
function on_send(b) heard = heard .. b.__name .. ":" .. b:GetID() .. ";" end
function on_mute_click(b) heard = heard .. "click:" .. flag(b) .. ";" end
function on_mute_changed(b) heard = heard .. "changed:" .. flag(b) .. ";" end
function on_quality_click(b) heard = heard .. "click:" .. b:GetID() .. ";" end
function on_quality(b) heard = heard .. "quality:" .. b:GetID() .. ";" end

function main()
  expect(LuaButton.__parent == LuaStatic and LuaCheckBox.__parent == LuaButton and
         LuaRadioButton.__parent == LuaCheckBox, "class parents")
  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  local root = wnd:GetRootControl()
  local function find(id) return root:FindControl(id) end
  local mute, q1, q2, q3 = find("mute"), find("q1"), find("q2"), find("q3")
  expect(find("send").__name == "LuaButton" and mute.__name == "LuaCheckBox" and q1.__name == "LuaRadioButton",
         "controls reach scripts as their run-time class")
  expect(find("send"):GetTooltip() == "Send the file to the phone", "GetTooltip")
  mute:SetTooltip("Mute")
  expect(mute:GetTooltip() == "Mute" and mute:GetText() == "Mute the PC", "methods up the parent chain")

  local function send(msg, x, y) wnd:SendMessage(msg, msg == 0x201 and 1 or 0, x + y * 65536) end
  local function click(x, y)
    send(0x200, x, y)  -- move, down, up, and off every control
    send(0x201, x, y)
    send(0x202, x, y)
    send(0x200, 315, 155)
  end

  click(70, 20)
  expect(take() == "LuaButton:send;", "onclick gets the button")
  click(50, 60)
  expect(take() == "click:on;changed:on;", "check box: onclick, then onselectchanged, after the flip")
  send(0x201, 315, 155)  -- pressed elsewhere, released on the box: it flips, silently
  send(0x200, 50, 60)
  send(0x202, 50, 60)
  send(0x200, 315, 155)
  expect(not mute:IsCheck() and take() == "", "a release alone flips the box without a word")
  mute:SetCheck(true)
  expect(mute:IsCheck() and take() == "", "SetCheck calls no script function")

  expect(q1:GetCheckedRadionButton("any text") == nil, "no checked button in the group yet")
  click(50, 90)
  click(150, 90)
  expect(q2:IsCheck() and not q1:IsCheck() and not q3:IsCheck(), "the second unchecks the first and third")
  expect(take() == "quality:q1;click:q2;quality:q2;", "radio: onclick before the check, onselectchanged after")
  expect(q3:GetCheckedRadionButton():GetID() == "q2", "GetCheckedRadionButton from another button")
  expect(q2:GetCheckedRadionButton().__name == "LuaRadioButton", "GetCheckedRadionButton from itself")
  click(150, 90)
  expect(take() == "click:q2;quality:q2;", "a checked button clicked again calls both")
  expect(find("lonely"):GetCheckedRadionButton() == nil, "nil for a group with none checked")

  local made = g_UIMgr:CreateControl("radiobutton")
  made:SetGroupID("quality")
  made:SetID("made")
  expect(made:GetGroupID() == "quality" and q2:IsCheck(), "joining a group unchecks no one")
  made:SetCheck(true)
  expect(not q2:IsCheck() and q1:GetCheckedRadionButton():GetID() == "made", "SetCheck(true) takes the group")
  expect(root:AddControl(made) == 1, "AddControl radio button")
  expect(g_UIMgr:CreateControl("checkbox").__name == "LuaCheckBox" and
         g_UIMgr:CreateControl("button").__name == "LuaButton", "CreateControl")

  -- A handler that names no function is reported, and the click completes.
  local reported, alert = "", _ALERT
  _ALERT = function(text) reported = reported .. text end
  click(200, 20)
  _ALERT = alert
  expect(reported == "call() attempt to call global `not_a_function_name' (not a function)", "missing handler")

  send(0x200, 70, 20)  -- hovered, for a screenshot
  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  print("done")
end
