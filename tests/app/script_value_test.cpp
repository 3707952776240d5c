// ScriptValue conversions from and to Lua values.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "ScriptValue.h"
#include "lua_fixture.h"

namespace {

class ScriptValueLua : public LuaFixture {
 protected:
  // Evaluates "return <expr>" and converts the first result.
  ScriptValue Eval(const char* expr) {
    Run((std::string("return ") + expr).c_str(), 1);
    ScriptValue v = ScriptValue::FromLua(L, -1);
    lua_pop(L, 1);
    return v;
  }
};

TEST_F(ScriptValueLua, MixedTableSplitsArrayAndMembers) {
  ScriptValue v = Eval("{1, 2, x = 3}");
  ASSERT_EQ(v.GetKind(), ScriptValue::kMixed);
  ASSERT_EQ(v.Elements().size(), 2u);
  EXPECT_EQ(v.Elements()[0].AsInt(), 1);
  EXPECT_EQ(v.Elements()[1].AsInt(), 2);
  ASSERT_EQ(v.Members().size(), 1u);
  EXPECT_EQ(v.Members().at("x").AsInt(), 3);
}

TEST_F(ScriptValueLua, EmptyTableIsAnEmptyMixedValue) {
  ScriptValue v = Eval("{}");
  EXPECT_EQ(v.GetKind(), ScriptValue::kMixed);
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_FALSE(ScriptValue().IsEmpty());  // nil does not count as empty
  EXPECT_FALSE(ScriptValue(0).IsEmpty());
}

TEST_F(ScriptValueLua, NumbersBecomeIntegersOnlyWhenIntegral) {
  ScriptValue half = Eval("2.5");
  EXPECT_EQ(half.GetKind(), ScriptValue::kNumber);
  EXPECT_DOUBLE_EQ(half.AsNumber(), 2.5);
  EXPECT_EQ(half.AsInt(), 0);  // a number is not converted
  ScriptValue two = Eval("2.0");
  EXPECT_EQ(two.GetKind(), ScriptValue::kInteger);
  EXPECT_EQ(two.AsInt(), 2);
  EXPECT_EQ(Eval("-2147483648").AsInt(), INT32_MIN);
  EXPECT_EQ(Eval("4294967296").GetKind(), ScriptValue::kNumber);  // beyond 32 bits
}

TEST_F(ScriptValueLua, HandlesComeBackWholeFromIntegersAndNumbers) {
  EXPECT_EQ(Eval("123456").AsHandle(), 123456u);
  EXPECT_EQ(Eval("2596069104").AsHandle(), 2596069104u);  // at or above 2^31: a number
#ifdef _WIN64
  EXPECT_EQ(Eval("78187493530").AsHandle(), (uintptr_t)0x123456789A);
  EXPECT_EQ(Eval("2^53").AsHandle(), (uintptr_t)1 << 53);
#else
  EXPECT_EQ(Eval("78187493530").AsHandle(), 0u) << "does not fit: not cut to its low bits";
#endif
  for (const char* bad : {"2.5", "-1.5", "2^64", "1/0", "0/0", "'1234'", "{}"})
    EXPECT_EQ(Eval(bad).AsHandle(), 0u) << bad;
}

TEST_F(ScriptValueLua, OtherTypesAreNil) {
  for (const char* expr : {"nil", "true", "print", "coroutine.create(function() end)"})
    EXPECT_EQ(Eval(expr).GetKind(), ScriptValue::kNil) << expr;
}

TEST_F(ScriptValueLua, NestedTableAndFollowingArgumentReadCorrectly) {
  Run("return {a = {b = {1, 2}}, 7}, 'after'", 2);
  int top = lua_gettop(L);
  ScriptValue first = ScriptValue::FromLua(L, -2);
  ScriptValue second = ScriptValue::FromLua(L, -1);
  EXPECT_EQ(lua_gettop(L), top);
  EXPECT_STREQ(second.AsString(), "after");
  const ScriptValue& inner = first.Members().at("a").Members().at("b");
  ASSERT_EQ(inner.Elements().size(), 2u);
  EXPECT_EQ(inner.Elements()[1].AsInt(), 2);
  EXPECT_EQ(first.Elements()[0].AsInt(), 7);
}

TEST_F(ScriptValueLua, SelfContainingTableEndsInNil) {
  ScriptValue v = Eval("(function() local t = {name = 'loop'}; t.self = t; t[1] = {t}; return t end)()");
  EXPECT_STREQ(v.Members().at("name").AsString(), "loop");
  EXPECT_EQ(v.Members().at("self").GetKind(), ScriptValue::kNil);
  ASSERT_EQ(v.Elements().size(), 1u);
  ASSERT_EQ(v.Elements()[0].Elements().size(), 1u);
  EXPECT_EQ(v.Elements()[0].Elements()[0].GetKind(), ScriptValue::kNil);
}

TEST_F(ScriptValueLua, DeepNestingStopsAtTheDepthLimit) {
  ScriptValue v = Eval("(function() local t = {} for i = 1, 100 do t = {t} end return t end)()");
  int depth = 0;
  for (const ScriptValue* p = &v; p->GetKind() == ScriptValue::kMixed; p = &p->Elements()[0]) ++depth;
  EXPECT_EQ(depth, ScriptValue::kMaxDepth);
}

TEST_F(ScriptValueLua, SharedSubtablesDoNotExplode) {
  // 2^30 paths through 30 distinct tables: the value budget ends the walk.
  ScriptValue v = Eval("(function() local t = {} for i = 1, 30 do t = {t, t} end return t end)()");
  EXPECT_EQ(v.GetKind(), ScriptValue::kMixed);
  EXPECT_EQ(v.Elements().size(), 2u);
}

TEST_F(ScriptValueLua, RoundTripsBackToLua) {
  ScriptValue v;
  v["name"] = ScriptValue("x");
  v["n"] = ScriptValue::Number(1.5);
  ScriptValue list;
  list.SetKind(ScriptValue::kArray);
  list.Elements().push_back(ScriptValue(10));
  list.Elements().push_back(ScriptValue("s"));
  v["list"] = list;
  v.PushToLua(L);
  lua_setglobal(L, "v");
  Run("assert(v.name == 'x' and v.n == 1.5 and v.list[1] == 10 and v.list[2] == 's' and #v.list == 2)");

  Run("return {1, 2, x = 3}", 1);
  ScriptValue mixed = ScriptValue::FromLua(L, -1);
  lua_pop(L, 1);
  mixed.PushToLua(L);
  lua_setglobal(L, "m");
  Run("assert(m[1] == 1 and m[2] == 2 and m.x == 3)");
}

TEST(ScriptValue, MemberAccessTurnsNilIntoATable) {
  ScriptValue v;
  EXPECT_EQ(v["missing"].GetKind(), ScriptValue::kNil);
  EXPECT_EQ(v.GetKind(), ScriptValue::kTable);
  EXPECT_EQ(v.Members().size(), 1u);
  EXPECT_EQ(ScriptValue("t").AsInt(), 0);
  EXPECT_EQ(ScriptValue(5).AsString(), nullptr);
}

}  // namespace
