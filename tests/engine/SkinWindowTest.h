// A fixture for tests of windows made from "ui" documents written into a temporary skin
// package: the engine started on it, a "clicked" handler that records control ids in "clicks",
// and windows made from a view element.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DoBuffer.h"
#include "Engine.h"
#include "HostWnd.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "WindowPump.h"
#include "lua.hpp"

class SkinWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZOV::CEngine::Instance().Init();
    ASSERT_EQ(ZOV::CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    Run("clicks = ''\nfunction clicked(c) clicks = clicks .. c:GetID() .. ';' end");
  }
  void TearDown() override { ZOV::CEngine::Instance().SkinLoader().CloseSkin(); }

  static void Run(const char* chunk) {
    lua_tinker::dobuffer(ZOV::CEngine::Instance().LuaState(), chunk, std::strlen(chunk));
  }
  // The window of a view element, written as the document name; activate makes it the
  // foreground window (which no window manager does on the virtual display), for key input.
  ZOV::CHostWnd* Make(const std::string& name, const std::string& view, bool activate = false) {
    m_skin.Write(std::wstring(name.begin(), name.end()), "<ui>" + view + "</ui>");
    ZOV::CHostWnd* w = ZOV::CUIBuilder::Instance().CreateWindowFromXml(name.c_str());
    if (activate && w && w->GetHWND()) SetForegroundWindow(w->GetHWND());
    Settle();
    return w;
  }
  static std::string Clicks() {
    lua_State* L = ZOV::CEngine::Instance().LuaState();
    lua_getglobal(L, "clicks");
    std::string s = lua_tostring(L, -1);
    lua_pop(L, 1);
    return s;
  }
  template <typename T>
  static T* Find(ZOV::CHostWnd* w, const char* id) {
    return dynamic_cast<T*>(w->GetRootControl()->FindControl(id));
  }

  TempDir m_skin;
};
