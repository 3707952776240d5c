-- A progress bar, an edit and a combo box reached through "LuaProgressBar", "LuaEdit" and the
-- button class that combo boxes answer to; the edit typed into through its window's messages.
hold_ms = hold_ms or 100

local heard = ""
function on_change(e) heard = heard .. "change:" .. e:GetText() .. ";" end
function on_return(e) heard = heard .. "return:" .. e:GetText() .. ";" end

function main()
  expect(LuaProgressBar.__parent == LuaStatic and LuaEdit.__parent == LuaControl and
         LuaComboBox.__parent == LuaButton, "class parents")
  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  local root = wnd:GetRootControl()
  local bar, name, quality = root:FindControl("bar"), root:FindControl("name"), root:FindControl("quality")

  expect(bar.__name == "LuaProgressBar" and bar:GetType() == 8, "progress bar class and type")
  expect(bar:GetValue() == 50 and bar:GetMin() == 0 and bar:GetMax() == 200, "attributes")
  bar:SetMin(10)
  bar:SetMax(20)
  bar:SetValue(500)
  expect(bar:GetMin() == 10 and bar:GetMax() == 20 and bar:GetValue() == 20, "SetMin, SetMax, SetValue")
  expect(bar:GetText() == "", "static methods through the parent")

  expect(name.__name == "LuaEdit" and name:GetType() == 4, "edit class and type")
  expect(name:GetText() == "phone", "text attribute")
  name:SetFocus(true)
  expect(name:IsFocus(), "focus given by the script")
  local function char(c) wnd:SendMessage(0x102, c, 1) end  -- WM_CHAR
  char(8)  -- Backspace
  char(33)  -- "!"
  expect(name:GetText() == "phon!", "typing through the window")
  char(13)
  expect(heard == "change:phon;change:phon!;return:phon!;", "onchange and onreturn: " .. heard)
  name:SetText("\228\184\173\230\150\135\nsecond line")  -- CJK, then a line the edit drops
  expect(name:GetText() == "\228\184\173\230\150\135", "SetText keeps the first line")
  name:SetText(nil)
  expect(name:GetText() == "", "SetText(nil) empties")

  expect(quality.__name == "LuaButton" and quality:GetType() == 3, "a combo box answers as a button")
  expect(quality:GetText() == "Low" and quality:GetTooltip() == "Quality", "button methods reach it")
  quality:SetType(5)
  local same = root:FindControl("quality")
  expect(same.__name == "LuaComboBox" and same:GetText() == "Low", "its own class keeps the button's methods")
  same:SetType(3)

  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  print("done")
end
