// Objects whose script class follows their run-time type code, as controls reach scripts.
// Test-only control classes stand in for the control library.
#include <gtest/gtest.h>

#include "Binding.h"
#include "BindingFixture.h"

namespace {

class TestControl {
 public:
  explicit TestControl(int type) : m_type(type) {}
  virtual ~TestControl() {}
  int GetType() const { return m_type; }
  void SetType(int type) { m_type = type; }
  TestControl* GetPeer() const { return m_peer; }
  void SetPeer(TestControl* c) { m_peer = c; }

 private:
  int m_type;
  TestControl* m_peer = nullptr;
};

class TestStatic : public TestControl {
 public:
  TestStatic() : TestControl(2) {}
  void SetText(const char* s) { m_text = s; }
  std::string m_text;
};

class TestCheckBox : public TestStatic {
 public:
  TestCheckBox() { SetType(6); }
  bool IsCheck() const { return true; }
};

class TestTemplate : public TestControl {
 public:
  TestTemplate() : TestControl(lua_tinker::kTemplateControlType) {}
};

}  // namespace

// Every TestControl* reaches scripts with the class of its type code.
template <>
struct lua_tinker::object_pusher<TestControl> {
  static void push(lua_State* L, TestControl* c) { push_control(L, c, c ? c->GetType() : 0); }
};

namespace {

void PushTemplateInstance(lua_State* L, TestControl* c) {
  lua_tinker::push_as(L, dynamic_cast<TestTemplate*>(c), "MyTemplate");
}

class ControlBinding : public BindingFixture {
 protected:
  void SetUp() override {
    BindingFixture::SetUp();
    using namespace lua_tinker;
    class_add<TestControl>(L, "LuaControl");
    class_def<TestControl>(L, "GetType", &TestControl::GetType);
    class_def<TestControl>(L, "SetType", &TestControl::SetType);
    class_def<TestControl>(L, "GetPeer", &TestControl::GetPeer);
    class_def<TestControl>(L, "SetPeer", &TestControl::SetPeer);
    class_add<TestStatic>(L, "LuaStatic");
    class_inh<TestStatic, TestControl>(L);
    class_def<TestStatic>(L, "SetText", &TestStatic::SetText);
    class_add<TestCheckBox>(L, "LuaCheckBox");
    class_inh<TestCheckBox, TestStatic>(L);
    class_def<TestCheckBox>(L, "IsCheck", &TestCheckBox::IsCheck);
    class_inh<TestTemplate, TestControl>(L);
    bind_control_type<TestControl, TestStatic, 2>();
    bind_control_type<TestControl, TestCheckBox, 6>();
    set_template_control_pusher<TestControl>(nullptr);

    // A plain control (code 0) has no class of its own: the test gives it the base class.
    push_as(L, &holder, "LuaControl");
    lua_setglobal(L, "holder");
  }

  TestControl holder{0};
};

}  // namespace

TEST(ControlClassName, TableOfTypeCodes) {
  const char* expected[] = {nullptr,          "LuaControlContainer", "LuaStatic",   "LuaButton",
                            "LuaEdit",        "LuaComboBox",         "LuaCheckBox", "LuaRadioButton",
                            "LuaProgressBar", "LuaTabCtrl",          "LuaList",     nullptr,
                            nullptr,          "LuaRichEdit",         nullptr,       nullptr};
  for (int code = 0; code < 16; ++code) {
    const char* name = lua_tinker::control_class_name(code);
    if (expected[code])
      EXPECT_STREQ(expected[code], name) << code;
    else
      EXPECT_EQ(nullptr, name) << code;
  }
  EXPECT_EQ(nullptr, lua_tinker::control_class_name(-1));
}

TEST_F(ControlBinding, ResultTakesTheRunTimeClass) {
  TestCheckBox box;
  holder.SetPeer(&box);
  Run("peer = holder:GetPeer()\n"
      "name = peer.__name\n"
      "checked = peer:IsCheck()\n"
      "peer:SetText('from the parent chain')\n");
  EXPECT_EQ("LuaCheckBox", Text("name"));
  EXPECT_TRUE(Truth("checked"));
  EXPECT_EQ("from the parent chain", box.m_text);

  // An argument of the base type accepts any control.
  TestStatic label;
  lua_tinker::set(L, "label", static_cast<TestControl*>(&label));
  Run("holder:SetPeer(label)\n"
      "name = holder:GetPeer().__name\n");
  EXPECT_EQ(&label, holder.GetPeer());
  EXPECT_EQ("LuaStatic", Text("name"));
}

TEST_F(ControlBinding, CodesWithoutAClassAreNil) {
  TestControl plain(0), layout(11), button(3), outOfRange(99);
  TestTemplate instance;
  for (TestControl* c : {&plain, &layout, &button, &outOfRange, static_cast<TestControl*>(&instance),
                         static_cast<TestControl*>(nullptr)}) {
    holder.SetPeer(c);
    Run("peer = holder:GetPeer()");
    EXPECT_EQ(LUA_TNIL, Type("peer")) << (c ? c->GetType() : -1);
  }
}

TEST_F(ControlBinding, ChangedTypeCodeCannotLendAnotherClass) {
  // A static control claiming to be a check box must not get the check box's methods.
  TestStatic label;
  holder.SetPeer(&label);
  Run("peer = holder:GetPeer()\n"
      "peer:SetType(6)\n"
      "again = holder:GetPeer()\n"
      "peer:SetType(2)\n"
      "back = holder:GetPeer().__name\n");
  EXPECT_EQ(LUA_TNIL, Type("again"));
  EXPECT_EQ("LuaStatic", Text("back"));
}

TEST_F(ControlBinding, TemplateControlsUseTheirHook) {
  lua_tinker::push_class_table(L, "MyTemplate");
  lua_getglobal(L, "LuaControl");
  lua_setfield(L, -2, "__parent");
  lua_setglobal(L, "MyTemplate");
  lua_tinker::set_template_control_pusher<TestControl>(PushTemplateInstance);
  Run("function Greet(self) return 'hi ' .. self:GetType() end\n"
      "MyTemplate.Greet = Greet\n");

  TestTemplate instance;
  holder.SetPeer(&instance);
  Run("peer = holder:GetPeer()\n"
      "name = peer.__name\n"
      "greeting = peer:Greet()\n"
      "ok, err = pcall(function() return peer:IsCheck() end)\n");
  EXPECT_EQ("MyTemplate", Text("name"));
  EXPECT_EQ("hi 14", Text("greeting"));
  EXPECT_FALSE(Truth("ok"));
}

TEST_F(ControlBinding, CallByNamePushesTheRunTimeClass) {
  Run("function OnClick(ctrl) seen = ctrl.__name; return ctrl:IsCheck() and 1 or 0 end");
  TestCheckBox box;
  EXPECT_EQ(1, lua_tinker::call<int>(L, "OnClick", static_cast<TestControl*>(&box)));
  EXPECT_EQ("LuaCheckBox", Text("seen"));
  EXPECT_TRUE(alerts.empty());
}
