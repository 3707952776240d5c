-- The sound control: one large button that plays the PC's sound on the phone and stops it, and
-- follows the phone's own play and pause ("StateSync" 3 and 2).
Sound = { playing = false }

function Sound.Show()
  local button = Ui.Find("play")
  if button then
    button:SetCheck(Sound.playing)
    button:SetEnable(Link.IsLinked())
    button:SetAccName(Sound.playing and T.name_stop or T.name_play)
  end
  Ui.SetText("soundtitle", Sound.playing and T.sound_on or T.sound_off)
  local hint = T.sound_unlinked_hint
  if Link.IsLinked() then hint = Sound.playing and T.sound_on_hint or T.sound_off_hint end
  Ui.SetText("soundhint", hint)
end

-- The program answers 0 when the sound could not start (the phone's link went meanwhile): the
-- control then stays off, so that the next play starts it afresh.
local function set(playing, again)
  if playing == Sound.playing and not again then return end
  local answer = g_GuiAdbLogic:Call(playing and "StartCapture" or "StopCapture", 0)
  Sound.playing = playing and answer ~= 0
  Sound.Show()
end

-- The check box has flipped already: its new state is what the user asked for.
function OnPlayClicked(button) set(button:IsCheck()) end

-- The phone's play button asks for the sound, even when the window shows it playing (the
-- stream may have gone with an earlier link); its pause ends it.
function Sound.OnStateSync(state)
  if state == 3 then
    set(true, true)
  elseif state == 2 then
    set(false)
  end
end

-- The stream's channel went with the link: stop quietly, so that the phone's next play starts
-- the sound afresh.
function Sound.OnUnlinked()
  if Sound.playing then g_GuiAdbLogic:Call("StopCapture", 1) end
  Sound.playing = false
end
