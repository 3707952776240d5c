-- A rich edit in a window, driven through "LuaRichEdit" and g_UIMgr:InsertAniSmiley.
hold_ms = hold_ms or 100

function main()
  expect(LuaRichEdit.__parent == LuaStatic, "LuaRichEdit's parent is LuaStatic")
  local wnd = g_UIMgr:CreateWindow("ui\\main.xml")
  local root = wnd:GetRootControl()
  local input, label = root:FindControl("input"), root:FindControl("label")
  expect(input.__name == "LuaRichEdit" and input:GetType() == 13, "a rich edit reaches scripts as LuaRichEdit")
  expect(input:GetText() == "hello", "the document's text reaches the text services")

  -- UTF-8 in, UTF-8 out: Chinese, Japanese kana and a character beyond the BMP (decimal escapes).
  local cjk = "\228\184\173\230\150\135 \227\129\139\227\129\170 \240\160\128\139"
  input:SetText(cjk)
  expect(input:GetText() == cjk, "SetText/GetText keep CJK text")
  input:SetText(nil)
  expect(input:GetText() == "", "SetText(nil) empties it")

  input:SetTextColor(0x0000FF)
  expect(input:GetTextColor() == 0x0000FF, "the rich edit's SetTextColor, read back through LuaStatic")
  label:SetTextColor(0x00FF00)
  expect(label:GetTextColor() == 0x00FF00, "a static keeps its own SetTextColor")
  expect(input:GetID() == "input", "LuaControl methods up the parent chain")

  expect(g_UIMgr:InsertAniSmiley(input, "no\\such.gif") == false, "a missing picture is refused")
  expect(g_UIMgr:InsertAniSmiley(label, "no\\such.gif") == false, "a static is no rich edit")
  expect(input:GetText() == "", "nothing was inserted")

  local made = g_UIMgr:CreateControl("richedit")
  expect(made ~= nil and made.__name == "LuaRichEdit", "CreateControl richedit")

  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, hold_ms)
  g_UIMgr:RunMessageLoop()
  print("done")
end
