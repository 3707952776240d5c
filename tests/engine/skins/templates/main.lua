-- Control templates: declaration, instances by element and by name, script classes, events.
-- The engine's reports, compared whole (the engine's state has no string library).
local reports = {}
_ALERT = function(text) reports[#reports + 1] = text end
local function reported(text)
  for i = 1, #reports do
    if reports[i] == text then return true end
  end
end

function main()
  expect(g_UIMgr:CreateWindow("ui\\templates.xml") == nil, "a document without views gives nil")
  function defined_later() end

  -- Two templates with one id: the first stays whole, the second is refused unread.
  expect(card_again_ran == 1, "card_again.lua ran for Late only")
  expect(Card.__parent == LuaControlContainer and Card.color == "blue", "Card's class and attribute default")
  expect(Card.Title ~= nil and Card.Later == nil, "methods take their functions' values at declaration")
  -- "templateid" after "file": the class went to the empty name, the template to its id.
  expect(g_UIMgr:CreateControlByTemplate("Late") ~= nil and Late == nil, "Late")

  -- Instances by element name: the template's size, the instance's place and width.
  local panel = g_UIMgr:CreateControlByXml("ui\\panel.xml")
  panel:SetPos({left = 0, top = 0, right = 300, bottom = 200})
  local p1, p2 = panel:FindControl("first"):GetPos(), panel:FindControl("second"):GetPos()
  expect(p1.left == 10 and p1.top == 20 and p1.right == 110 and p1.bottom == 50, "first's place")
  expect(p2.right - p2.left == 200, "second's width")

  -- Events: the instance handed to a script last sets the shared class table.
  local byName = g_UIMgr:CreateControlByTemplate("Card")
  expect(byName:GetType() == 14 and byName:Title() == "Card", "an instance by name, with its method")
  expect(Card.onpress() == "default", "the default event")
  local first = panel:FindControl("first")
  expect(byName.onpress() == "first", "first's event once it was handed over")
  expect(panel:GetSubControl(1).onpress() == "second" and first.onpress() == "second", "then second's")
  expect(panel:AddControl(byName) == 1, "an instance joins a container")

  -- A template whose body reads its own declaration again and names itself among its controls.
  expect(loop_ran == 1 and loop_again == nil, "the inner declaration is refused")
  expect(g_UIMgr:CreateControlByTemplate("Loop"):GetControlCount() == 1, "Loop holds its other child")

  -- Bodies that are malformed or missing leave no template.
  expect(g_UIMgr:CreateControlByTemplate("Broken") == nil and g_UIMgr:CreateControlByTemplate("Gone") == nil, "bad bodies")
  expect(#reports == 5, "five reports")
  expect(reported("template Card: declared twice; the first declaration stays"), "duplicate reported")
  expect(reported("ui\\templates.xml: the document includes itself"), "self-inclusion reported")
  expect(reported("template Loop: its body includes the template itself"), "self-reference reported")
  expect(reported("tmpl\\broken.xml: XML error: unexpected end of data"), "malformed body reported")
  expect(reported("tmpl\\gone.xml: no such document in the skin"), "missing body reported")

  _ALERT = alert
  print("done")
end
