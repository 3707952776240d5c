-- The window's menu (its button in the band, or a right click) and the About panel.
local kExit, kAbout = 1, 2

function OnMenuAbout(item) item:GetHostWnd():EndMenu(kAbout) end
function OnMenuExit(item) item:GetHostWnd():EndMenu(kExit) end

local function run_menu(x, y)
  local menu = g_UIMgr:CreateMenu(T.menu)
  if not menu then return end
  local command = menu:TrackPopupMenu(x, y)
  if command == kExit then
    g_UIMgr:Exit()
  elseif command == kAbout then
    Ui.ShowAbout(true)
  end
end

-- Under the menu button, in screen coordinates: (-1, -1) opens the menu at the cursor.
function OnMenuButton(button) run_menu(-1, -1) end

function Ui.ShowAbout(show)
  local about = Ui.Find("about")
  if not about then return end
  Ui.SetText("aboutversion", T.about_version .. (g_GuiAdbLogic:Call("GetVersion") or ""))
  Ui.SetText("abouttext", T.about_text)
  Ui.SetText("aboutclose", T.ok)
  about:SetVisible(show)
  -- The keyboard follows the panel: onto its button, and back to the menu's when it closes.
  local focus = Ui.Find(show and "aboutclose" or "menubutton")
  if focus then focus:SetFocus(true) end
end

function OnAboutClose() Ui.ShowAbout(false) end
