-- Builds a window from a document and drives its controls through the script classes.
function on_create(w, l) created = true end

function main()
  -- Classes are registered parents first: each knows its parent by the time it is made.
  expect(LuaControl.__name == "LuaControl" and LuaControl.__parent == nil, "LuaControl has no parent")
  expect(LuaControlContainer.__parent == LuaControl, "containers derive from LuaControl")
  expect(LuaStatic.__parent == LuaControl, "statics derive from LuaControl")
  expect(LuaUIBuilder ~= nil and LuaTimerManager ~= nil and LuaHostWnd ~= nil, "builder, timers, windows")
  expect(g_UIMgr ~= nil and g_TimerMgr ~= nil, "the engine's globals")

  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  expect(wnd ~= nil, "CreateWindow gives the window")
  expect(created, "oncreate ran")
  expect(resource_saw_window, "a resource after the view runs after the window exists")
  expect(wnd:GetID() == "main", "window id")
  expect(g_UIMgr:GetWindow("main"):GetID() == "main", "GetWindow finds it")
  expect(g_UIMgr:GetWindow("nothing") == nil, "unknown id is nil")
  expect(g_UIMgr:CreateWindow("ui\\missing.xml") == nil, "missing document is nil")
  expect(g_UIMgr:CreateWindow("ui\\broken.xml") == nil, "malformed document is nil")

  local root = wnd:GetRootControl()
  expect(root:GetType() == 1, "root is a container")
  expect(root:GetControlCount() == 2, "two children")
  local box = root:FindControl("box")
  local pos = box:GetPos()
  expect(pos.left == 10 and pos.top == 20 and pos.right == 110 and pos.bottom == 70, "box position")
  -- methods reached through the parent class
  box:SetTag(7)
  expect(box:GetTag() == 7, "tag through LuaControl")
  expect(box:GetParent():GetID() == "root", "parent")
  expect(box:GetHostWnd():GetID() == "main", "host window")

  local made = g_UIMgr:CreateControl("container")
  made:SetID("made")
  expect(root:AddControl(made) == 1, "AddControl")
  expect(root:GetControlCount() == 3, "three children")
  made:SetPos({left = 5, top = 6, right = 15, bottom = 16})
  local p = made:GetPos()
  expect(p.left == 5 and p.bottom == 16, "SetPos and GetPos")
  expect(root:GetSubControl(2):GetID() == "made", "GetSubControl")
  expect(root:GetSubControl(9) == nil, "out of range is nil")
  expect(root:RemoveControlByID("made") == 1, "RemoveControlByID")
  expect(g_UIMgr:CreateControl("nosuch") == nil, "unknown control type is nil")
  expect(g_UIMgr:CreateControlByXml("ui\\panel.xml"):FindControl("inner") ~= nil, "CreateControlByXml")

  -- the loop ends with Exit from a timer
  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, 50)
  g_UIMgr:RunMessageLoop()
  print("done")
end
