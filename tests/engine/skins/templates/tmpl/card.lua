function card_title(self) return self:FindSubControl("label"):GetText() end
function press_default() return "default" end
function press_first() return "first" end
function press_second() return "second" end
