-- Transfers: a row per dropped file with its size, progress and outcome; one balloon when a
-- batch of transfers ends; and the program's record of what was sent to this phone, whose rows
-- can be removed.
Transfers = { rows = {}, sent = 0, next_id = 1 }

local function row_text(row, id, text, colour)
  local c = row.control:FindControl(id)
  if c then
    c:SetText(text)
    if colour then c:SetTextColor(colour) end
  end
end

local function unfinished()
  local n = 0
  for i = 1, #Transfers.rows do
    if not Transfers.rows[i].done then n = n + 1 end
  end
  return n
end

function Transfers.ShowDropHint()
  -- Files travel over the USB link only (the device bridge pushes them).
  local hint = T.drop_unlinked
  if Link.usb then hint = T.drop_hint elseif Link.wifi then hint = T.drop_wifi end
  Ui.SetText("drophint", hint)
  Ui.SetText("historyempty", Transfers.sent == 0 and T.history_empty or "")
  Ui.SetText("count", Transfers.sent > 0 and (Transfers.sent .. T.count_sent) or "")
end

-- The row of a file: by its path, else the oldest one still running (the tasks run one after
-- another, and a path the system's code page cannot spell arrives changed).
local function find_row(path)
  local first
  for i = 1, #Transfers.rows do
    local r = Transfers.rows[i]
    if not r.done then
      if r.path == path then return r end
      first = first or r
    end
  end
  return first
end

function Transfers.OnAddTask(task)
  local list = Ui.Find("transfers")
  local control = g_UIMgr:CreateControlByXml("ui\\transferrow.xml")
  if not list or not control then return end
  control:SetID("transfer" .. Transfers.next_id)
  Transfers.next_id = Transfers.next_id + 1
  local row = { path = task.FilePath, name = task.FileName, size = task.FileSize, control = control }
  Transfers.rows[#Transfers.rows + 1] = row
  list:AddControl(control)
  row_text(row, "name", task.FileName)
  row_text(row, "size", task.FileSize)
  row_text(row, "state", T.queued)
  Ui.ShowPage(0)
end

function Transfers.OnPushProgress(path, percent)
  local row = find_row(path)
  if not row then return end
  local bar = row.control:FindControl("progress")
  if bar then bar:SetValue(percent) end
  row_text(row, "state", T.sending .. " " .. percent .. "%")
end

-- The record, as the program keeps it: a row per file sent (state 3), oldest first. The rows
-- are built only while their page shows: the record grows all day, and a row is four controls.
function Transfers.OnTaskRecords(records)
  local list = Ui.Find("history")
  if not list then return end
  list:RemoveAllControl()
  Transfers.sent = 0
  local shown = Ui.page == 1
  for i = 1, records and #records or 0 do
    local record = records[i]
    if record.State == 3 then
      Transfers.sent = Transfers.sent + 1
      local control = shown and g_UIMgr:CreateControlByXml("ui\\historyrow.xml")
      if control then
        control:SetID("record" .. record.Id)
        list:AddControl(control)
        control:FindControl("name"):SetText(record.FileName)
        control:FindControl("state"):SetText(record.FileSize)
        control:FindControl("remove"):SetUserData("" .. record.Id)
        control:FindControl("remove"):SetAccName(T.name_remove)
      end
    end
  end
  Transfers.ShowDropHint()
end

-- The record's page: its rows while it shows, none while it is hidden.
function Transfers.OnHistoryShown(shown)
  if shown then
    Transfers.Refresh()
  else
    local list = Ui.Find("history")
    if list then list:RemoveAllControl() end
  end
end

-- Asks the program for the record; it answers with "TaskRecords" (nothing when it is empty).
function Transfers.Refresh()
  Transfers.OnTaskRecords(nil)
  g_GuiAdbLogic:Call("GetTaskRecords")
end

-- The end of a batch: every row finished. One balloon for all of them.
local function batch_ended()
  local sent, failed = 0, 0
  for i = 1, #Transfers.rows do
    if Transfers.rows[i].ok then sent = sent + 1 else failed = failed + 1 end
  end
  local phone = Link.model ~= "" and Link.model or T.the_phone
  local text = sent .. (sent == 1 and T.file or T.files) .. T.balloon_sent .. phone
  if failed > 0 then text = text .. ", " .. failed .. T.balloon_failed end
  Ui.Balloon(T.balloon_batch, text)
end

local function finish(path, ok, outcome)
  local row = find_row(path)
  if not row then return end
  row.done, row.ok, row.outcome = true, ok, outcome
  local bar = row.control:FindControl("progress")
  if bar and ok then bar:SetValue(100) end
  row_text(row, "state", outcome, ok and 0x8AC95C or 0x5A60E0)
  -- A file sent is one more in the record: asked for again only when its page shows it.
  if Ui.page == 1 then
    Transfers.Refresh()
  elseif ok then
    Transfers.sent = Transfers.sent + 1
    Transfers.ShowDropHint()
  end
  if unfinished() == 0 then batch_ended() end
end

function Transfers.OnPushFileFinish(path, status) finish(path, status == 3, status == 3 and T.sent or T.failed_row) end
function Transfers.OnInstallAppFinish(path, status) finish(path, status == 3, status == 3 and T.installed or T.failed_row) end

-- A new drop after a finished batch clears the finished rows first.
function Transfers.BeforeDrop()
  if unfinished() > 0 then return end
  local list = Ui.Find("transfers")
  if list then list:RemoveAllControl() end
  Transfers.rows = {}
end

function OnRemoveHistoryRow(button)
  local id = button:GetUserData()
  if id == "" then return end
  g_GuiAdbLogic:Call("DeleteRecord", id + 0)
  Transfers.Refresh()
end

-- The window's drop handler: the program reads the drop handle and finishes it.
function OnDropFile(drop)
  Transfers.BeforeDrop()
  g_GuiAdbLogic:Call("HandleDropFiles", drop)
end
