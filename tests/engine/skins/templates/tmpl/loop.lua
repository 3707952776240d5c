-- Declares every template again, this one among them, while its body is being read.
loop_again = g_UIMgr:CreateWindow("ui\\templates.xml")
loop_ran = (loop_ran or 0) + 1
