// A fixture for binding tests: the engine's own Lua state with "_ALERT" collected and a
// "pcall" of ours (the engine opens no standard library), plus readers for globals.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "lua.hpp"

class BindingFixture : public ::testing::Test {
 public:
  static std::vector<std::string> alerts;  // texts given to "_ALERT"

 protected:
  void SetUp() override;

  // Runs a chunk protected; a failure of the chunk itself fails the test.
  void Run(const std::string& chunk);
  std::string Text(const char* global);  // a string or number as text, else "<typename>"
  double Number(const char* global);
  bool Truth(const char* global);  // Lua truth: everything but nil and false
  int Type(const char* global);

  ZOV::CEngine engine;
  lua_State* L = nullptr;
};
