-- A window in skin units, run at 144 DPI by dpi_test.py: the script reads its own units back,
-- then prints "ready" and holds the window for the test's screenshot.
local size = 0
function OnSize(wParam, lParam) size = lParam end

local function same(r, left, top, right, bottom)
  return r.left == left and r.top == top and r.right == right and r.bottom == bottom
end

function main()
  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  expect(size == 200 + 120 * 65536, "the size event in skin units, not " .. size)
  local root = wnd:GetRootControl()
  expect(same(root:FindControl("box"):GetPos(), 20, 20, 60, 40), "a document's rect in skin units")
  local made = g_UIMgr:CreateControl("static")
  root:AddControl(made)
  made:SetPos({left = 130, top = 50, right = 163, bottom = 90})
  expect(same(made:GetPos(), 130, 50, 163, 90), "SetPos and GetPos agree")
  made:SetWidth(40)
  made:SetBkImage("img\\mark.png")
  local pos = made:GetPos()
  expect(pos.right - pos.left == 40, "SetWidth in skin units")
  g_TimerMgr:SetTimeout(function() print("ready") end, 300)
  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, 4000)
  g_UIMgr:RunMessageLoop()
  print("done")
end
