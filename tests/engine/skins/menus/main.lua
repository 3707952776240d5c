-- Popup menus run from the script inside the application's loop: ended by a command, and
-- ended together with the application when it quits.
function main()
  local first, second = g_UIMgr:CreateMenu("ui\\menu.xml"), g_UIMgr:CreateMenu("ui\\menu.xml")
  local results = {}
  g_TimerMgr:SetTimeout(function()
    g_TimerMgr:SetTimeout(function() first:EndMenu(3) end, 30)
    results[1] = first:TrackPopupMenu(-1, -1)
    g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, 30)
    results[2] = second:TrackPopupMenu(10, 10)
  end, 10)
  g_UIMgr:RunMessageLoop()  -- returns only if the quit message was handed on
  if results[1] ~= 3 or results[2] ~= -2 then _ALERT("failed: EndMenu's 3, then -2 for the quit") end
  if first:GetRootControl() == nil and results[2] == -2 then print("done") end
end
