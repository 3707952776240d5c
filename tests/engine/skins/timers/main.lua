-- Repeating and one-shot timers, killed from their own callbacks.
function main()
  local ticks, own = 0, nil
  local repeating
  repeating = g_TimerMgr:SetTimer(function(id)
    ticks = ticks + 1
    own = id
    if ticks == 3 then expect(g_TimerMgr:KillTimer(id) ~= 0, "a repeating timer stops itself") end
  end, 0)  -- an interval of 0 is the system's shortest
  local failing = g_TimerMgr:SetTimer(function() local x = nil; return x.boom end, 10)
  local once
  once = g_TimerMgr:SetTimeout(function(...)
    onceRan = true
    expect(g_TimerMgr:KillTimer(once) == 0, "a fired one-shot timer is already gone")
  end, 30)
  g_TimerMgr:SetTimeout(function()
    expect(g_TimerMgr:KillTimer(failing) ~= 0, "a failing timer keeps running until killed")
    g_UIMgr:Exit()
  end, 200)
  g_UIMgr:RunMessageLoop()
  expect(ticks == 3, "three ticks, got " .. ticks)
  expect(own == repeating, "the callback receives its own id")
  expect(onceRan, "the one-shot ran")
  expect(g_TimerMgr:KillTimer(12345) == 0, "unknown id")
  print("done")
end
