-- Popup menus run from the script inside the application's loop: ended by a command, and
-- ended together with the application when it quits.
local failures = 0
function expect(ok, what)
  if not ok then
    failures = failures + 1
    _ALERT("failed: " .. what)
  end
end

function main()
  expect(LuaMenuWnd.__parent == LuaHostWnd, "menus derive from host windows")
  local first = g_UIMgr:CreateMenu("ui\\menu.xml")
  expect(first ~= nil and first:GetRootControl():GetControlCount() == 2, "a menu's list holds its items")
  expect(first:GetRootControl():FindControl("more"):GetType() == 7, "items are radio buttons to scripts")
  local second = g_UIMgr:CreateMenu("ui\\menu.xml")
  local results = {}
  g_TimerMgr:SetTimeout(function()
    g_TimerMgr:SetTimeout(function() first:EndMenu(3) end, 30)
    results[1] = first:TrackPopupMenu(-1, -1)
    -- The application quits while the second menu runs: the menu ends, then the loop.
    g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, 30)
    results[2] = second:TrackPopupMenu(10, 10)
    results[3] = second:TrackPopupMenu(10, 10)  -- its window is gone
  end, 10)
  g_UIMgr:RunMessageLoop()
  expect(results[1] == 3, "EndMenu's command")
  expect(results[2] == -2, "quitting dismisses the menu")
  expect(results[3] == -2, "a menu whose window is gone returns at once")
  expect(g_UIMgr:GetWindow("menu") == nil, "menu windows are gone")
  if failures == 0 then print("done") end
end
