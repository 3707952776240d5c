resource_saw_window = g_UIMgr:GetWindow("main") ~= nil
