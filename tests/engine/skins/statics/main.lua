-- Statics shown in a window and driven through "LuaStatic".
-- How long the window stays up; a screenshot run can raise it.
hold_ms = hold_ms or 100

function main()
  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  expect(wnd ~= nil, "window")
  local root = wnd:GetRootControl()
  local title = root:FindControl("title")
  expect(title ~= nil and title:GetType() == 2, "a static has type 2")
  expect(title:GetText() == "Quillon", "GetText")
  expect(title:GetTextColor() == 0x0088FF, "text colour from @accent (red in the low byte)")
  expect(title:GetID() == "title", "LuaControl methods through the parent class")
  local pos = title:GetPos()
  expect(pos.left == 10 and pos.top == 10 and pos.right == 390, "position")

  title:SetText("Quillon \226\153\171")  -- a note sign, UTF-8 in decimal escapes (Lua 5.1)
  expect(title:GetText() == "Quillon \226\153\171", "SetText keeps UTF-8")
  title:SetTextColor(0x00FFFF)
  expect(title:GetTextColor() == 0x00FFFF, "SetTextColor")

  local frame = root:FindControl("frame")
  expect(frame:GetBkImage() == "img\\frame.png", "GetBkImage")
  local plain = root:FindControl("plain")
  plain:SetBkImage("img\\frame.png")
  expect(plain:GetBkImage() == "img\\frame.png", "SetBkImage")
  plain:SetBkImage("img\\halves.png")

  local rotated = root:FindControl("rotated")
  rotated:Rotate(350)
  rotated:Rotate(350)  -- 700 is over 360: reduced once, 340
  rotated:Rotate(-295) -- 45 degrees
  expect(rotated:IsVisible(), "still visible after rotating")

  -- A static made by the builder is a LuaStatic too, and joins the window.
  local made = g_UIMgr:CreateControl("static")
  expect(made ~= nil and made:GetType() == 2, "CreateControl static")
  expect(made:GetText() == "", "new static has no text")
  made:SetID("made")
  expect(root:AddControl(made) == 1, "AddControl static")
  made:SetPos({left = 300, top = 160, right = 390, bottom = 200})
  made:SetText("made")
  made:SetTextColor(0x00FF00)
  expect(root:FindControl("made"):GetText() == "made", "found again by id")
  expect(root:GetSubControl(0):GetText() == "Quillon \226\153\171", "GetSubControl gives a LuaStatic")

  -- Wrong arguments never fail.
  made:SetText(nil)
  expect(made:GetText() == "", "SetText(nil) is empty text")
  made:SetText("made")
  made:SetBkImage(42)
  expect(made:GetBkImage() == "42", "a number is read as text")
  made:SetBkImage("")
  root:FindControl("missing"):SetBkImage("img\\still-missing.png")

  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  print("done")
end
