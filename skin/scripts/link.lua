-- The phone's link as the window shows it: searching, plugged in, linking over USB, linked over
-- Wi-Fi or USB (with the phone's model), or a USB failure with a hint for its status. While no
-- adb server can be had (status 6, with no device) the search says what USB needs. After a
-- minute of searching without any phone it says what to check and offers to let Quillon
-- through the firewall.
Link = { state = "searching", wifi = false, usb = false, model = "", status = 0, firewall = nil, no_adb = false }
Link.kNoPhoneMs = 60000
local kNoAdbServer = 6

-- Hints for the device statuses of "ConnectResult" other than 0.
local hints = { "hint_unauthorized", "hint_offline", "hint_connecting", "hint_permissions", "hint_mode" }

function Link.IsLinked() return Link.wifi or Link.usb end

function Link.Show()
  local state, title, detail, band = Link.state, "", "", T.band_none
  if Link.usb then
    title, band = T.linked_usb, T.band_usb
    detail = Link.model
  elseif Link.wifi then
    title, band = T.linked_wifi, T.band_wifi
    detail = Link.model
  elseif state == "plugged" then
    title, detail = T.plugged, T.plugged_hint
  elseif state == "linking" then
    title, detail = T.linking_usb, Link.model
  elseif state == "failed" then
    title = T.failed
    detail = T[hints[Link.status] or "hint_other"]
  elseif state == "nophone" then
    title = T.nophone
    detail = Link.firewall and T["firewall_" .. Link.firewall] or T.nophone_hint
  elseif Link.no_adb then
    title, detail = T.searching_wifi, T.no_adb_hint
  else
    title, detail = T.searching, T.searching_hint
  end
  Ui.SetText("status", title)
  Ui.SetText("detail", detail)
  Ui.SetText("link", band)
  local allow = Ui.Find("allowfirewall")
  if allow then
    allow:SetText(T.allow_firewall)
    allow:SetVisible(state == "nophone" and not Link.IsLinked() and Link.firewall ~= "allowed")
  end
  Sound.Show()
  Transfers.ShowDropHint()
end

local function linked(how)
  local was = Link.IsLinked()
  Link[how] = true
  Link.state = "linked"
  Link.Show()
  if not was then
    Ui.Balloon(T.balloon_linked, Link.model ~= "" and Link.model or T.the_phone)
    Transfers.Refresh()  -- what was sent to this phone before
  end
end

-- Searching starts (again): a minute without a phone leads to the hint.
local noPhoneTimer
function Link.StartSearching()
  if noPhoneTimer then g_TimerMgr:KillTimer(noPhoneTimer) end
  noPhoneTimer = g_TimerMgr:SetTimeout(function() noPhoneTimer = nil Link.OnNoPhone() end, Link.kNoPhoneMs)
end

function Link.OnNoPhone()
  if Link.IsLinked() or Link.state ~= "searching" then return end
  Link.state = "nophone"
  Link.Show()
end

-- The program asks Windows for elevation once and adds the firewall's rules: 0 when done.
function OnAllowFirewall()
  Link.firewall = g_GuiAdbLogic:Call("AllowFirewall") == 0 and "allowed" or "failed"
  Link.Show()
end

function Link.OnDeviceInsert()
  Link.no_adb = false
  if not Link.usb then
    Link.state = "plugged"
    Link.Show()
  end
end

-- status 0: the phone app runs and its port is forwarded; the link is confirmed by "Connected".
function Link.OnConnectResult(status, info)
  Link.no_adb = status == kNoAdbServer
  if Link.no_adb then
    Link.Show()
    return
  end
  local model = info and info.DeviceModel or ""
  if model ~= "" then Link.model = g_GuiAdbLogic:Call("TrimText", model) or "" end
  if status == 0 then
    if not Link.usb then Link.state = "linking" end
  else
    Link.state, Link.status = "failed", status
  end
  Link.Show()
end

function Link.OnConnected() linked("usb") end
function Link.OnWifiConnected() linked("wifi") end

function Link.OnDisconnect()
  Link.wifi, Link.usb, Link.state = false, false, "searching"
  Sound.OnUnlinked()
  Link.Show()
  Link.StartSearching()
end
