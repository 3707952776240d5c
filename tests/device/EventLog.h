// The Lua listener the device tests attach to g_GuiAdbLogic: every event lands in the global
// table `events` as {name, a, b, at}, where `at` is event_clock() when the host defined that
// function (milliseconds of its own choosing) and nil otherwise. Helpers: count(name),
// find(name, i) (the i-th event of that name, default the first) and last(name).
#pragma once

const char kEventLogScript[] = R"(
  events = {}
  function count(name)
    local n = 0
    for _, e in ipairs(events) do if e.name == name then n = n + 1 end end
    return n
  end
  function find(name, i)
    local n = 0
    for _, e in ipairs(events) do
      if e.name == name then n = n + 1; if n == (i or 1) then return e end end
    end
  end
  function last(name) return find(name, count(name)) end
  g_GuiAdbLogic:AttachListener(function(name, a, b)
    events[#events + 1] = {name = name, a = a, b = b, at = event_clock and event_clock()}
  end))";
