// The script binding as scripts see it: classes, inheritance, members, argument and result
// conversions, object checks, collection. Test-only classes are bound into the engine's own
// Lua state and driven by Lua chunks.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "Binding.h"
#include "BindingFixture.h"

namespace {

// A second base ahead of TestBase in TestCheck, so that TestBase sits at a non-zero offset
// inside a TestCheck and every use of a check box as a TestBase needs its pointer adjusted.
struct TestExtra {
  virtual ~TestExtra() {}
  int GetExtra() const { return m_extra; }
  int m_extra = 77;
};

class TestBase {
 public:
  explicit TestBase(int id) : m_id(id) {}
  virtual ~TestBase() { ++destroyed; }

  int GetID() const { return m_id; }
  void SetText(const char* s) { m_text = s; }
  std::string GetText() const { return m_text; }
  void SetTooltip(const char* s) { m_tooltip = s; }
  const char* GetTooltip() const { return m_tooltip.empty() ? nullptr : m_tooltip.c_str(); }
  void SetFlag(bool b) { m_flag = b; }
  bool GetFlag() const { return m_flag; }
  void SetInt(int v) { m_int = v; }
  int GetInt() const { return m_int; }
  void SetUint(unsigned v) { m_uint = v; }
  unsigned GetUint() const { return m_uint; }
  void SetPos(const RECT& rc) { m_pos = rc; }
  RECT GetPos() const { return m_pos; }
  TestBase* Adopt(TestBase* b) {
    m_adopted = b;
    return b;
  }
  TestBase* Nothing() { return nullptr; }
  std::wstring GetWide() const { return L"Gr\u00fc\u00dfe \u65e5\u672c"; }
  const wchar_t* GetWideRaw() const { return L"\u00e9t\u00e9"; }
  HWND GetWnd() const { return m_wnd; }
  unsigned WndValue(HWND h) const { return (unsigned)(UINT_PTR)h; }
  int Fail() { throw std::runtime_error("engine failure"); }
  int CountArgs(lua_State* L) { return lua_gettop(L); }
  int Scale(int a, lua_State*, int b) { return a * b; }

  static int destroyed;
  std::string m_text, m_tooltip;
  bool m_flag = false;
  int m_int = 0;
  unsigned m_uint = 0;
  RECT m_pos = {0, 0, 0, 0};
  TestBase* m_adopted = nullptr;
  HWND m_wnd = (HWND)(UINT_PTR)0x1234;

 private:
  int m_id;
};
int TestBase::destroyed = 0;

class TestCheck : public TestExtra, public TestBase {
 public:
  explicit TestCheck(int id) : TestBase(id) {}
  bool IsCheck() const { return m_check; }
  void SetCheck(bool b) { m_check = b; }
  bool m_check = false;
};

class TestOther {
 public:
  int GetID() const { return -1; }
  void Poke() { ++pokes; }
  int pokes = 0;
};

int Add(int a, int b) { return a + b; }
const char* Greet(const char* who) {
  static std::string s;
  s = std::string("hello ") + who;
  return s.c_str();
}
int RawArgCount(lua_State* L) {
  lua_pushnumber(L, lua_gettop(L));
  return 1;
}

void RegisterTestClasses(lua_State* L) {
  using namespace lua_tinker;
  class_add<TestBase>(L, "LuaTestBase");
  class_def<TestBase>(L, "GetID", &TestBase::GetID);
  class_def<TestBase>(L, "SetText", &TestBase::SetText);
  class_def<TestBase>(L, "GetText", &TestBase::GetText);
  class_def<TestBase>(L, "SetTooltip", &TestBase::SetTooltip);
  class_def<TestBase>(L, "GetTooltip", &TestBase::GetTooltip);
  class_def<TestBase>(L, "SetFlag", &TestBase::SetFlag);
  class_def<TestBase>(L, "GetFlag", &TestBase::GetFlag);
  class_def<TestBase>(L, "SetInt", &TestBase::SetInt);
  class_def<TestBase>(L, "GetInt", &TestBase::GetInt);
  class_def<TestBase>(L, "SetUint", &TestBase::SetUint);
  class_def<TestBase>(L, "GetUint", &TestBase::GetUint);
  class_def<TestBase>(L, "SetPos", &TestBase::SetPos);
  class_def<TestBase>(L, "GetPos", &TestBase::GetPos);
  class_def<TestBase>(L, "Adopt", &TestBase::Adopt);
  class_def<TestBase>(L, "Nothing", &TestBase::Nothing);
  class_def<TestBase>(L, "GetWide", &TestBase::GetWide);
  class_def<TestBase>(L, "GetWideRaw", &TestBase::GetWideRaw);
  class_def<TestBase>(L, "GetWnd", &TestBase::GetWnd);
  class_def<TestBase>(L, "WndValue", &TestBase::WndValue);
  class_def<TestBase>(L, "Fail", &TestBase::Fail);
  class_def<TestBase>(L, "CountArgs", &TestBase::CountArgs);
  class_def<TestBase>(L, "Scale", &TestBase::Scale);

  class_add<TestCheck>(L, "LuaTestCheck");
  class_inh<TestCheck, TestBase>(L);
  class_def<TestCheck>(L, "IsCheck", &TestCheck::IsCheck);
  class_def<TestCheck>(L, "SetCheck", &TestCheck::SetCheck);
  class_def<TestCheck>(L, "GetExtra", &TestExtra::GetExtra);
  // A member pointer that carries a this-adjustment (TestBase lies behind TestExtra).
  class_def<TestCheck>(L, "GetIDAdjusted", static_cast<int (TestCheck::*)() const>(&TestBase::GetID));

  class_add<TestOther>(L, "LuaTestOther");
  class_def<TestOther>(L, "GetID", &TestOther::GetID);
  class_def<TestOther>(L, "Poke", &TestOther::Poke);

  def(L, "Add", Add);
  def(L, "Greet", Greet);
  def(L, "RawArgCount", RawArgCount);
}

const char kNoClass[] = "no class at first argument. (forgot ':' expression ?)";

std::string UnknownMember(const std::string& name) {
  return "can't find '" + name + "' class variable. (forgot registering class variable ?)";
}

class Binding : public BindingFixture {
 protected:
  void SetUp() override {
    BindingFixture::SetUp();
    TestBase::destroyed = 0;
    RegisterTestClasses(L);
    lua_tinker::set(L, "base", &base);
    lua_tinker::set(L, "base2", &base2);
    lua_tinker::set(L, "check", &check);
    lua_tinker::set(L, "other", &other);
  }
  void TearDown() override { EXPECT_TRUE(alerts.empty()) << alerts.front(); }

  TestBase base{1};
  TestBase base2{2};
  TestCheck check{3};
  TestOther other;
};

}  // namespace

TEST_F(Binding, DerivedObjectAnswersBaseMethods) {
  Run("id = check:GetID()\n"
      "check:SetText('caption')\n"
      "check:SetTooltip('tip')\n"
      "check:SetCheck(true)\n"
      "checked = check:IsCheck()\n"
      "extra = check:GetExtra()\n"
      "adjusted = check:GetIDAdjusted()\n"
      "name = check.__name\n");
  EXPECT_EQ(3, Number("id"));
  EXPECT_EQ("caption", check.m_text);
  EXPECT_EQ("tip", check.m_tooltip);
  EXPECT_TRUE(Truth("checked"));
  EXPECT_EQ(77, Number("extra"));
  EXPECT_EQ(3, Number("adjusted"));
  EXPECT_EQ("LuaTestCheck", Text("name"));
  // The base class does not see the derived class's methods.
  Run("ok, err = pcall(function() return base:IsCheck() end)");
  EXPECT_FALSE(Truth("ok"));
  EXPECT_EQ(UnknownMember("IsCheck"), Text("err"));
}

TEST_F(Binding, UnknownMemberRaisesClassVariableError) {
  Run("ok1, err1 = pcall(function() return base.Nope end)\n"
      "ok2, err2 = pcall(function() return check:Missing() end)\n"
      "ok3, err3 = pcall(function() return other.SetText end)\n"
      "ok4, err4 = pcall(function() return base[12] end)\n");
  EXPECT_FALSE(Truth("ok1"));
  EXPECT_EQ(UnknownMember("Nope"), Text("err1"));
  EXPECT_FALSE(Truth("ok2"));
  EXPECT_EQ(UnknownMember("Missing"), Text("err2"));
  EXPECT_FALSE(Truth("ok3"));
  EXPECT_EQ(UnknownMember("SetText"), Text("err3"));
  EXPECT_FALSE(Truth("ok4"));
  EXPECT_EQ(UnknownMember("12"), Text("err4"));
}

TEST_F(Binding, StoredFieldBelongsToTheClass) {
  Run("base.Foo = 1\n"
      "seenByBase2 = base2.Foo\n"
      "seenByCheck = check.Foo\n"  // through "__parent"
      "okOther, errOther = pcall(function() return other.Foo end)\n"
      "check.Bar = 'b'\n"
      "okBase, errBase = pcall(function() return base.Bar end)\n"
      "base.GetID = 5\n"  // a method name: the write is ignored
      "id = base2:GetID()\n"
      "base.Foo = 2\n"  // present already: the first value stays
      "foo = base.Foo\n");
  EXPECT_EQ(1, Number("seenByBase2"));
  EXPECT_EQ(1, Number("seenByCheck"));
  EXPECT_FALSE(Truth("okOther"));
  EXPECT_EQ(UnknownMember("Foo"), Text("errOther"));
  EXPECT_FALSE(Truth("okBase"));
  EXPECT_EQ(UnknownMember("Bar"), Text("errBase"));
  EXPECT_EQ(2, Number("id"));
  EXPECT_EQ(1, Number("foo"));
}

TEST_F(Binding, BooleanArguments) {
  struct Case {
    const char* arg;
    bool expected;
  };
  const Case cases[] = {{"0", false},     {"", false},   {"nil", false}, {"2", true},      {"-0.5", true},
                        {"'abc'", false}, {"'1'", true}, {"true", true}, {"false", false}, {"{}", false}};
  for (const Case& c : cases) {
    base.m_flag = !c.expected;
    Run(std::string("base:SetFlag(") + c.arg + ")\nflag = base:GetFlag()");
    EXPECT_EQ(c.expected, base.m_flag) << c.arg;
    EXPECT_EQ(LUA_TBOOLEAN, Type("flag"));
    EXPECT_EQ(c.expected, Truth("flag")) << c.arg;
  }
}

TEST_F(Binding, NumberArguments) {
  struct IntCase {
    const char* arg;
    int expected;
  };
  for (const IntCase& c : {IntCase{"3.9", 3},
                           {"-3.9", -3},
                           {"'12'", 12},
                           {"nil", 0},
                           {"'x'", 0},
                           {"-2147483648", INT_MIN},
                           {"1e12", INT_MAX}}) {
    Run(std::string("base:SetInt(") + c.arg + ")\nvalue = base:GetInt()");
    EXPECT_EQ(c.expected, base.m_int) << c.arg;
    EXPECT_EQ(c.expected, Number("value")) << c.arg;
  }
  struct UintCase {
    const char* arg;
    unsigned expected;
  };
  for (const UintCase& c : {UintCase{"2.7", 2u},
                            {"-1", 4294967295u},
                            {"3000000000", 3000000000u},
                            {"4294967301", 5u},
                            {"nil", 0u}}) {
    Run(std::string("base:SetUint(") + c.arg + ")\nvalue = base:GetUint()");
    EXPECT_EQ(c.expected, base.m_uint) << c.arg;
    EXPECT_EQ((double)c.expected, Number("value")) << c.arg;  // unsigned results stay positive
  }
  Run("n0 = base:CountArgs()\n"
      "n3 = base:CountArgs(1, 2)\n"
      "scaled = base:Scale(6, 7)\n"
      "sum = Add(2.9, '40')\n"
      "greeting = Greet('you')\n"
      "noText = Greet()\n"
      "raw = RawArgCount(1, 2, 3)\n");
  EXPECT_EQ(1, Number("n0"));  // the state sees the object too
  EXPECT_EQ(3, Number("n3"));
  EXPECT_EQ(42, Number("scaled"));
  EXPECT_EQ(42, Number("sum"));
  EXPECT_EQ("hello you", Text("greeting"));
  EXPECT_EQ("hello ", Text("noText"));  // a missing text argument reads as ""
  EXPECT_EQ(3, Number("raw"));
}

TEST_F(Binding, RectangleArgumentAndResult) {
  Run("base:SetPos({left = 1, top = 2.8, right = 30, bottom = -4, width = 99})");
  EXPECT_EQ(1, base.m_pos.left);
  EXPECT_EQ(2, base.m_pos.top);
  EXPECT_EQ(30, base.m_pos.right);
  EXPECT_EQ(-4, base.m_pos.bottom);
  Run("base:SetPos({right = 7})");
  EXPECT_EQ(0, base.m_pos.left);
  EXPECT_EQ(0, base.m_pos.top);
  EXPECT_EQ(7, base.m_pos.right);
  EXPECT_EQ(0, base.m_pos.bottom);
  Run("base:SetPos('not a table')");
  EXPECT_EQ(0, base.m_pos.right);

  base.m_pos = RECT{10, 20, 110, 220};
  Run("pos = base:GetPos()\n"
      "l, t, r, b = pos.left, pos.top, pos.right, pos.bottom\n"
      "fresh = (base:GetPos() ~= pos)\n");
  EXPECT_EQ(10, Number("l"));
  EXPECT_EQ(20, Number("t"));
  EXPECT_EQ(110, Number("r"));
  EXPECT_EQ(220, Number("b"));
  EXPECT_TRUE(Truth("fresh"));
}

TEST_F(Binding, CallWithoutColonRaises) {
  Run("ok1, err1 = pcall(function() return base.GetID() end)\n"
      "ok2, err2 = pcall(function() return base.GetID(5) end)\n"
      "ok3, err3 = pcall(function() return base.GetID('base') end)\n"
      "ok4, err4 = pcall(function() return LuaTestBase.GetID({}) end)\n");
  for (const char* n : {"1", "2", "3", "4"}) {
    EXPECT_FALSE(Truth((std::string("ok") + n).c_str())) << n;
    EXPECT_EQ(kNoClass, Text((std::string("err") + n).c_str())) << n;
  }
}

TEST_F(Binding, ObjectsOfTheWrongClassAreRefused) {
  Run("same = base:Adopt(check)\n"
      "sameID = same:GetID()\n"
      "sameClass = same.__name\n");
  // The check box arrives as a TestBase: its pointer adjusted to the TestBase inside it.
  EXPECT_EQ(static_cast<TestBase*>(&check), base.m_adopted);
  EXPECT_EQ(3, Number("sameID"));
  EXPECT_EQ("LuaTestBase", Text("sameClass"));  // a result takes its declared class

  base.m_adopted = nullptr;
  Run("ok1, err1 = pcall(function() return base:Adopt(other) end)\n"
      "ok2, err2 = pcall(function() return LuaTestCheck.IsCheck(base) end)\n"
      "ok3, err3 = pcall(function() return LuaTestOther.Poke(check) end)\n"
      "ok4, err4 = pcall(function() return base:Adopt(base:GetWnd()) end)\n"
      "ok5, err5 = pcall(function() return base:Adopt(nil) end)\n"
      "ok6, err6 = pcall(function() return LuaTestBase.GetID(base:GetWnd()) end)\n");
  for (const char* n : {"1", "2", "3", "4", "5", "6"}) {
    EXPECT_FALSE(Truth((std::string("ok") + n).c_str())) << n;
    EXPECT_EQ(kNoClass, Text((std::string("err") + n).c_str())) << n;
  }
  EXPECT_EQ(nullptr, base.m_adopted);
  EXPECT_EQ(0, other.pokes);
}

TEST_F(Binding, ForeignUserdataIsNoObject) {
  // Userdata made by other C code: one the size of a holder with arbitrary contents and even
  // our class table as metatable, a smaller one, and a light userdata.
  void* fake = lua_newuserdata(L, sizeof(lua_tinker::user));
  void* words[2] = {&words, &base};
  memcpy(fake, words, sizeof(words));
  lua_getglobal(L, "LuaTestBase");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "fake");
  lua_newuserdata(L, 1);
  lua_setglobal(L, "tiny");
  lua_pushlightuserdata(L, &base);
  lua_setglobal(L, "light");
  Run("ok1, err1 = pcall(function() return fake:GetID() end)\n"
      "ok2, err2 = pcall(function() return base:Adopt(tiny) end)\n"
      "ok3, err3 = pcall(function() return base:Adopt(fake) end)\n"
      "ok4, err4 = pcall(function() return LuaTestBase.GetID(light) end)\n"
      "wnd = base:WndValue(fake)\n");
  for (const char* n : {"1", "2", "3", "4"}) {
    EXPECT_FALSE(Truth((std::string("ok") + n).c_str())) << n;
    EXPECT_EQ(kNoClass, Text((std::string("err") + n).c_str())) << n;
  }
  EXPECT_EQ(0, Number("wnd"));
  Run("fake = nil; tiny = nil");
  lua_gc(L, LUA_GCCOLLECT, 0);  // collecting a foreign userdata with our "__gc" is harmless
}

TEST_F(Binding, NullPointersAreNil) {
  lua_tinker::set(L, "none", static_cast<TestBase*>(nullptr));
  Run("nothing = base:Nothing()\n"
      "tooltip = base:GetTooltip()\n");
  EXPECT_EQ(LUA_TNIL, Type("none"));
  EXPECT_EQ(LUA_TNIL, Type("nothing"));
  EXPECT_EQ(LUA_TNIL, Type("tooltip"));
}

TEST_F(Binding, CollectionNeverDeletesTheEngineObject) {
  Run("for i = 1, 1000 do local b = base:Adopt(base2); b:SetText('x') end\n"
      "base2 = nil\n");
  lua_gc(L, LUA_GCCOLLECT, 0);
  EXPECT_EQ(0, TestBase::destroyed);
  EXPECT_EQ("x", base2.m_text);

  // A script may call "__gc" itself, even twice; the object is then gone for the script.
  Run("base.__gc(base)\n"
      "LuaTestBase.__gc(base)\n"
      "ok, err = pcall(function() return base:GetID() end)\n"
      "LuaTestBase.__gc(5)\n");
  EXPECT_FALSE(Truth("ok"));
  EXPECT_EQ(kNoClass, Text("err"));
  lua_gc(L, LUA_GCCOLLECT, 0);
  EXPECT_EQ(0, TestBase::destroyed);
}

TEST_F(Binding, ClassTableHandlersCalledDirectly) {
  Run("ok1, err1 = pcall(function() return LuaTestBase.__index(5, 'x') end)\n"
      "LuaTestBase.__newindex(5, 'x', 1)\n"
      "LuaTestOther.__parent = LuaTestCheck\n"  // a script-made loop: Check -> Base -> Other?
      "LuaTestBase.__parent = LuaTestOther\n"   // ... -> Check -> Base -> Other -> Check
      "ok2, err2 = pcall(function() return check.Unknown end)\n"
      // The script tree now reaches LuaTestCheck methods from Other objects, but the objects
      // themselves are still checked by their C++ class.
      "ok3, err3 = pcall(function() return other:IsCheck() end)\n");
  EXPECT_FALSE(Truth("ok1"));
  EXPECT_EQ(UnknownMember("x"), Text("err1"));
  EXPECT_FALSE(Truth("ok2"));
  EXPECT_EQ(UnknownMember("Unknown"), Text("err2"));
  EXPECT_FALSE(Truth("ok3"));
  EXPECT_EQ(kNoClass, Text("err3"));
}

TEST_F(Binding, ClassNameMustFitItsRecord) {
  std::string longest(255, 'N');
  std::string tooLong(256, 'L');
  struct Longest {};
  struct TooLong {};
  EXPECT_FALSE(lua_tinker::class_add<TooLong>(L, tooLong.c_str()));
  EXPECT_STREQ("", lua_tinker::class_node<TooLong>.name);
  lua_getglobal(L, tooLong.c_str());
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_pop(L, 1);
  EXPECT_FALSE(lua_tinker::class_add<TooLong>(L, ""));

  EXPECT_TRUE(lua_tinker::class_add<Longest>(L, longest.c_str()));
  EXPECT_EQ(longest, lua_tinker::class_node<Longest>.name);
  Longest obj;
  lua_tinker::set(L, "longest", &obj);
  TooLong unregistered;
  lua_tinker::set(L, "unregistered", &unregistered);
  Run("name = longest.__name");
  EXPECT_EQ(longest, Text("name"));
  lua_getglobal(L, "unregistered");
  EXPECT_EQ(LUA_TUSERDATA, lua_type(L, -1));
  EXPECT_EQ(0, lua_getmetatable(L, -1));  // a type without a class gets no metatable
  lua_pop(L, 1);
}

TEST_F(Binding, TextResults) {
  base.m_text = "plain";
  Run("wide = base:GetWide()\n"
      "raw = base:GetWideRaw()\n"
      "text = base:GetText()\n");
  EXPECT_EQ(
      "Gr\xc3\xbc\xc3\x9f"
      "e \xe6\x97\xa5\xe6\x9c\xac",
      Text("wide"));
  EXPECT_EQ("\xc3\xa9t\xc3\xa9", Text("raw"));
  EXPECT_EQ("plain", Text("text"));
}

TEST_F(Binding, WindowHandleResult) {
  Run("wnd = base:GetWnd()\n"
      "value = base:WndValue(wnd)\n"
      "notWnd = base:WndValue(base)\n"
      "noWnd = base:WndValue()\n"
      "ok, err = pcall(function() return wnd.GetID end)\n");
  lua_getglobal(L, "wnd");
  EXPECT_EQ(LUA_TUSERDATA, lua_type(L, -1));
  EXPECT_EQ(0, lua_getmetatable(L, -1));
  lua_pop(L, 1);
  EXPECT_EQ(0x1234, Number("value"));
  EXPECT_EQ(0, Number("notWnd"));
  EXPECT_EQ(0, Number("noWnd"));
  EXPECT_FALSE(Truth("ok"));
  base.m_wnd = nullptr;
  Run("none = base:GetWnd()");
  EXPECT_EQ(LUA_TNIL, Type("none"));
}

TEST_F(Binding, EngineExceptionEndsTheCallWithoutResult) {
  Run("ok, result = pcall(function() return base:Fail() end)");
  EXPECT_TRUE(Truth("ok"));
  EXPECT_EQ(LUA_TNIL, Type("result"));
}

TEST_F(Binding, CallByNamePushesObjects) {
  Run("function describe(obj, n) obj:SetText('seen ' .. n) return obj:GetID() end\n");
  EXPECT_EQ(3, lua_tinker::call<int>(L, "describe", static_cast<TestBase*>(&check), 9));
  EXPECT_EQ("seen 9", check.m_text);
  EXPECT_EQ(3, lua_tinker::call<int>(L, "describe", &check, 1));  // pushed as LuaTestCheck

  int top = lua_gettop(L);
  EXPECT_EQ(0, lua_tinker::call<int>(L, "undefinedHandler", &base));
  EXPECT_EQ(top, lua_gettop(L));
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ("call() attempt to call global `undefinedHandler' (not a function)", alerts[0]);
  alerts.clear();
}

TEST_F(Binding, StackStaysBalancedOverManyCalls) {
  int top = lua_gettop(L);
  Run("errors = 0\n"
      "for i = 1, 3000 do\n"
      "  check:SetInt(i)\n"
      "  if not pcall(function() return check.GetID() end) then errors = errors + 1 end\n"
      "  if not pcall(function() return check.Unknown end) then errors = errors + 1 end\n"
      "  if not pcall(function() return base:Adopt(other) end) then errors = errors + 1 end\n"
      "  base:SetPos({left = i})\n"
      "  base:GetPos()\n"
      "end\n");
  EXPECT_EQ(9000, Number("errors"));
  EXPECT_EQ(3000, check.m_int);
  EXPECT_EQ(top, lua_gettop(L));

  // The same from C++: the method closure called directly, good and bad.
  lua_getglobal(L, "LuaTestBase");
  lua_getfield(L, -1, "GetID");
  lua_getglobal(L, "base");
  int base_top = lua_gettop(L);
  for (int i = 0; i < 3000; ++i) {
    lua_pushvalue(L, -2);
    if (i % 2)
      lua_pushvalue(L, -2);
    else
      lua_pushnumber(L, i);
    int rc = lua_pcall(L, 1, 1, 0);
    EXPECT_EQ(i % 2 ? 0 : LUA_ERRRUN, rc);
    lua_pop(L, 1);
    ASSERT_EQ(base_top, lua_gettop(L));
  }
  lua_settop(L, top);
}
