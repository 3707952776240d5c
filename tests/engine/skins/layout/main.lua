-- Lists, tab controls and linear layouts in a window, driven through "LuaList" and
-- "LuaTabCtrl" and by a mouse wheel message sent to the window.
-- How long the window stays up; a screenshot run can raise it.
hold_ms = hold_ms or 100

local WM_MOUSEWHEEL = 0x20A
-- The window's client area starts at screen (100, 100).
local function point(x, y) return y * 65536 + x end

function main()
  expect(LuaList.__parent == LuaControlContainer, "lists derive from containers")
  expect(LuaTabCtrl.__parent == LuaControlContainer, "tab controls derive from containers")

  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  expect(wnd ~= nil, "window")
  local root = wnd:GetRootControl()

  local list = root:FindControl("list")
  expect(list ~= nil and list:GetType() == 10, "a list arrives as a LuaList, type 10")
  expect(list:GetControlCount() == 10, "ten rows; the scroll bar is no row")
  expect(list:GetSubControl(0):GetText() == "row 0", "rows are statics")
  local row0 = list:FindSubControl("row0")
  expect(row0:GetPos().top == 0 and row0:GetPos().bottom == 20, "rows of 20 from the list's top")

  -- The wheel reaches the list through the window; its point is a screen point. Turned
  -- towards the user it scrolls down by a quarter thumb (42 / 4 track pixels, 23 content pixels).
  wnd:SendMessage(WM_MOUSEWHEEL, 0xFF880000, point(100 + 50, 100 + 50))
  expect(row0:GetPos().top == -23, "wheel down: " .. row0:GetPos().top)
  wnd:SendMessage(WM_MOUSEWHEEL, 0x00780000, point(100 + 50, 100 + 50))
  expect(row0:GetPos().top == 0, "wheel up")

  expect(list:RemoveRow(10) == 0 and list:RemoveRow(-1) == 0, "RemoveRow out of range")
  expect(list:RemoveRow(9) == 1 and list:GetControlCount() == 9, "RemoveRow")
  while list:GetControlCount() > 3 do list:RemoveRow(0) end
  expect(list:GetSubControl(0):GetPos().top == 0, "rows that fit start at the top again")

  local tab = root:FindControl("tab")
  expect(tab ~= nil and tab:GetType() == 9, "a tab control arrives as a LuaTabCtrl, type 9")
  expect(tab:GetCurSelectIndex() == 1, "select=1")
  local page1 = tab:GetCurSelectControl()
  expect(page1:GetID() == "page1" and page1:GetType() == 10, "the selected page, as its own class")
  expect(tab:SelectItem(2) == 0 and tab:GetCurSelectIndex() == 1, "SelectItem with index = count")
  expect(tab:SelectItem(-1) == 0, "-1 is a large unsigned index")
  expect(tab:SelectItem(0) == 1 and tab:GetCurSelectControl():GetText() == "page 0", "SelectItem")
  expect(page1:IsVisible(), "selecting hides no page")
  tab:SelectItem(1)

  expect(root:FindControl("layout") == nil, "a linear layout has no script class")
  expect(root:FindControl("bar") == nil, "a scroll bar has no script class")
  local l0, l1 = root:FindControl("l0"):GetPos(), root:FindControl("l1"):GetPos()
  -- 60 + 10 + 100 = 170 of 380, centred: from 105.
  expect(l0.left == 105 and l0.right == 165 and l0.bottom == 40, "first child " .. l0.left)
  expect(l1.left == 175 and l1.right == 275, "second child " .. l1.left)
  expect(g_UIMgr:CreateControl("list"):GetType() == 10, "CreateControl list")
  expect(g_UIMgr:CreateControl("tabctrl"):GetCurSelectControl() == nil, "an empty tab control")
  expect(g_UIMgr:CreateControl("linearlayout") == nil, "CreateControl linearlayout reaches scripts as nil")
  expect(root:FindControl("broken"):GetControlCount() == 2, "a list with a broken item height")
  expect(root:FindControl("brokentab"):GetCurSelectControl() == nil, "a tab control with a broken index")

  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  print("done")
end
