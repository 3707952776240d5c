-- Control templates: declaration, instances by element and by name, script classes, events.
local failures = 0
local alert = _ALERT
function expect(ok, what)
  if not ok then
    failures = failures + 1
    alert("failed: " .. what)
  end
end

-- The engine's reports are collected here and checked.
local reports = {}
_ALERT = function(text) reports[#reports + 1] = text end
-- No string library in the engine's state: reports are compared whole.
local function reported(text)
  for i = 1, #reports do
    if reports[i] == text then return true end
  end
  return false
end

function main()
  expect(g_UIMgr:CreateWindow("ui\\templates.xml") == nil, "a document without views gives nil")
  function defined_later() end

  -- Two templates with one id: the first stays whole, the second is refused unread.
  expect(card_again_ran == 1, "only the late-named declaration ran card_again.lua")
  expect(reported("template Card: declared twice; the first declaration stays"), "the duplicate id is reported")
  expect(Card ~= nil and Card.__name == "Card" and Card.__parent == LuaControlContainer, "Card's class")
  expect(Card.color == "blue" and Card.size == "", "attribute defaults")
  expect(Card.Later == nil and Card.NoFunc == nil, "a method bound before its function exists stays nil")

  -- "templateid" after "file": the class went to the empty name, the template to its id.
  local late = g_UIMgr:CreateControlByTemplate("Late")
  expect(late ~= nil and Late == nil, "Late is registered, without a class of its name")

  -- Instances by element name; each instance's attributes override the template's.
  local panel = g_UIMgr:CreateControlByXml("ui\\panel.xml")
  panel:SetPos({left = 0, top = 0, right = 300, bottom = 200})
  local first, second = panel:FindControl("first"), panel:FindControl("second")
  expect(first ~= nil and second ~= nil, "instances by element name")
  local p1, p2 = first:GetPos(), second:GetPos()
  expect(p1.left == 10 and p1.top == 20 and p1.right == 110 and p1.bottom == 50, "template's size, instance's place")
  expect(p2.right - p2.left == 200, "the instance's width over the template's")
  expect(first:Title() == "Card", "a method from the template's script")
  expect(first:GetControlCount() == 1 and first:FindSubControl("label") ~= nil, "children cloned")
  expect(first:GetID() == "first", "LuaControl methods through the parent chain")

  -- Events: the instance handed to a script last sets the shared class table.
  local byName = g_UIMgr:CreateControlByTemplate("Card")
  expect(byName ~= nil and byName:Title() == "Card", "an instance by CreateControlByTemplate")
  expect(Card.onpress() == "default" and Card.onhover == nil, "default events")
  first = panel:FindControl("first")
  expect(Card.onpress() == "first", "first's event once it was handed over")
  second = panel:GetSubControl(1)
  expect(second.onpress() == "second", "second's event, seen by every instance")
  expect(first.onpress() == "second", "the class table is shared")
  expect(panel:AddControl(byName) == 1 and panel:GetControlCount() == 3, "an instance joins a container")

  -- A template whose body declares itself again and names itself among its controls.
  expect(loop_ran == 1, "loop.lua ran once")
  expect(loop_again == nil, "reading templates.xml inside itself gives nil")
  expect(reported("ui\\templates.xml: the document includes itself"), "the self-inclusion is reported")
  expect(reported("template Loop: its body includes the template itself"), "the self-reference is reported")
  local loop = g_UIMgr:CreateControlByTemplate("Loop")
  expect(loop ~= nil and loop:GetControlCount() == 1, "Loop holds its other child only")

  -- Bodies that are malformed or missing: reported by path, no template.
  expect(g_UIMgr:CreateControlByTemplate("Broken") == nil, "malformed body")
  expect(reported("tmpl\\broken.xml: XML error: unexpected end of data"), "malformed body reported")
  expect(g_UIMgr:CreateControlByTemplate("Gone") == nil, "missing body")
  expect(reported("tmpl\\gone.xml: no such document in the skin"), "missing body reported")
  expect(g_UIMgr:CreateControlByTemplate("Nothing") == nil, "unknown template")
  expect(#reports == 5, "five reports, got " .. #reports)

  _ALERT = alert
  if failures == 0 then print("done") end
end
