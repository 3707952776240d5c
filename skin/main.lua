-- The default skin's start script. Until the engine's window classes arrive, the skin shows a
-- message box; its modal loop also serves the tray icon (left click, or the exit item).
function main()
  g_GuiAdbLogic:AttachListener(function(name, a, b)
    if name == "BringToTop" then
      g_GuiAdbLogic:Call("ShellNotify", {timeout = 3000, title = "Quillon", info = "Quillon is running."})
    elseif name == "StateSync" and a == 3 then
      -- The phone asks for the sound (its play button).
      g_GuiAdbLogic:Call("StartCapture", 0)
    elseif name == "StateSync" and a == 2 then
      g_GuiAdbLogic:Call("StopCapture", 0)
    end
  end)
  g_GuiAdbLogic:Call("Init")
  MsgBox("Quillon is running.\nPlay your PC's sound on your phone.", "Mellowin")
  g_GuiAdbLogic:Call("Uninit")
end
