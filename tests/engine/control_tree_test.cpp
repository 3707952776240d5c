// Control trees built from skin elements: attributes, percent layout, hit testing, message
// routing, includes and clones.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "ControlFactory.h"
#include "Engine.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIControlContainer.h"

using namespace ZOV;

namespace {

// A control that records the messages it receives.
class Probe : public CUIControl {
 public:
  LRESULT OnMessage(UINT msg, WPARAM, LPARAM, bool* handled) override {
    log->push_back(GetID() + std::string(":") + Name(msg));
    if (handled) *handled = true;
    return 7;
  }
  static const char* Name(UINT msg) {
    switch (msg) {
      case WM_MOUSEMOVE: return "move";
      case WM_MOUSEHOVER: return "hover";
      case WM_MOUSELEAVE: return "leave";
      case WM_LBUTTONDOWN: return "down";
      default: return "other";
    }
  }
  std::vector<std::string>* log = nullptr;
};

// A container that counts how often it lays its children out.
class CountingContainer : public CUIControlContainer {
 public:
  void SetRect(const RECT& r) override {
    if (!EqualRect(&r, &m_rect)) ++layouts;
    CUIControlContainer::SetRect(r);
  }
  int layouts = 0;
};

class ControlTree : public ::testing::Test {
 protected:
  // Parses a document and builds a container from its root element.
  std::shared_ptr<CUIControlContainer> Build(const char* xml) {
    m_text.assign(xml, xml + strlen(xml) + 1);
    m_doc.parse<0>(m_text.data());
    auto root = std::make_shared<CUIControlContainer>();
    root->ParseAttributes(m_doc.first_node());
    return root;
  }
  static RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
  static std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }

  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
};

TEST_F(ControlTree, OnlyZeroHidesAndMissingSizesGiveEmptyRects) {
  auto root = Build(R"(<container width="200" height="100">
      <container id="a" visible="false" left="5" top="6"/>
      <container id="b" visible="0" enable="no" width="10" height="20" left="1" left="3"/>
    </container>)");
  root->SetRect(R(0, 0, 200, 100));
  CUIControl* a = root->FindControl("a");
  CUIControl* b = root->FindControl("b");
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->IsVisible());
  EXPECT_EQ(Str(a->GetRect()), "5,6,5,6");  // no width or height: empty
  EXPECT_FALSE(b->IsVisible());
  EXPECT_TRUE(b->IsEnable());
  EXPECT_EQ(Str(b->GetRect()), "3,0,13,20");  // the later "left" wins
  EXPECT_EQ(root->GetType(), 1);
}

TEST_F(ControlTree, PercentLayoutFollowsTheParentsGrowth) {
  auto root = Build(R"(<container>
      <container id="grow" left="10" top="10" width="50" height="30" onsizepercent="0,0,100,100"/>
      <container id="right" left="150" top="0" width="20" height="20" onsizepercent="100,0,0,0"/>
      <container id="half" left="0" top="50" width="100" height="10" onsizepercent="0,0,50,0"/>
    </container>)");
  root->SetRect(R(0, 0, 200, 100));  // first layout: declared rects
  CUIControl* grow = root->FindControl("grow");
  EXPECT_EQ(Str(grow->GetRect()), "10,10,60,40");
  root->SetRect(R(0, 0, 240, 120));  // grows by 40 x 20
  EXPECT_EQ(Str(grow->GetRect()), "10,10,100,60");
  EXPECT_EQ(Str(root->FindControl("right")->GetRect()), "190,0,210,20");
  EXPECT_EQ(Str(root->FindControl("half")->GetRect()), "0,50,120,60");
  root->SetRect(R(0, 0, 241, 120));  // 0.5 pixel of growth is truncated
  EXPECT_EQ(Str(root->FindControl("half")->GetRect()), "0,50,120,60");

  // SetWidth keeps left and top following but stops the width; SetPos stops everything.
  grow->SetWidth(30);
  EXPECT_EQ(Str(grow->GetPos()), "10,10,40,60");
  root->SetRect(R(0, 0, 281, 140));
  EXPECT_EQ(Str(grow->GetRect()), "10,10,40,80");
  grow->SetPos(R(1, 2, 3, 4));
  root->SetRect(R(0, 0, 400, 300));
  EXPECT_EQ(Str(grow->GetRect()), "1,2,3,4");
  EXPECT_EQ(grow->GetPercent(), nullptr);
}

TEST_F(ControlTree, UnchangedRectDoesNotLayOutAgain) {
  auto root = std::make_shared<CountingContainer>();
  root->SetRect(R(0, 0, 10, 10));
  root->SetRect(R(0, 0, 10, 10));
  EXPECT_EQ(root->layouts, 1);
  root->AddControl(std::make_shared<CUIControl>());  // same rect again: no layout
  EXPECT_EQ(root->layouts, 1);
}

TEST_F(ControlTree, PositionsAreRelativeToTheParent) {
  auto root = Build(R"(<container><container id="box" left="100" top="50" width="100" height="100">
      <container id="inner" left="10" top="20" width="5" height="5"/></container></container>)");
  root->SetRect(R(0, 0, 300, 300));
  CUIControl* inner = root->FindControl("inner");
  EXPECT_EQ(Str(inner->GetRect()), "110,70,115,75");
  EXPECT_EQ(Str(inner->GetPos()), "10,20,15,25");
  inner->SetLeft(0);  // the right edge stays
  EXPECT_EQ(Str(inner->GetPos()), "0,20,15,25");
}

TEST_F(ControlTree, DisabledOrHiddenChildrenLetTheMouseThrough) {
  auto root = std::make_shared<CUIControlContainer>();
  std::vector<std::string> log;
  auto below = std::make_shared<Probe>(), above = std::make_shared<Probe>();
  below->SetID("below");
  above->SetID("above");
  below->log = above->log = &log;
  root->AddControl(below);
  root->AddControl(above);
  below->SetPos(R(0, 0, 50, 50));
  above->SetPos(R(0, 0, 50, 50));
  LPARAM at = MAKELPARAM(10, 10);
  EXPECT_EQ(root->OnMessage(WM_LBUTTONDOWN, 0, at, nullptr), 7);
  above->SetEnable(false);
  root->OnMessage(WM_LBUTTONDOWN, 0, at, nullptr);
  above->SetEnable(true);
  above->SetVisible(false);
  root->OnMessage(WM_LBUTTONDOWN, 0, at, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"above:down", "below:down", "below:down"}));
  EXPECT_EQ(root->OnMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(60, 60), nullptr), 0);
}

TEST_F(ControlTree, HoverNoticesAndRemovingTheHoveredChild) {
  auto root = std::make_shared<CUIControlContainer>();
  std::vector<std::string> log;
  auto a = std::make_shared<Probe>(), b = std::make_shared<Probe>();
  a->SetID("a");
  b->SetID("b");
  a->log = b->log = &log;
  root->AddControl(a);
  root->AddControl(b);
  a->SetPos(R(0, 0, 10, 10));
  b->SetPos(R(20, 0, 30, 10));
  root->OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), nullptr);
  root->OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 5), nullptr);
  root->OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(25, 5), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"a:hover", "a:move", "a:move", "a:leave", "b:hover", "b:move"}));
  log.clear();
  EXPECT_EQ(root->GetHoverChild(), b.get());
  EXPECT_EQ(root->RemoveControl(b.get()), 1);
  EXPECT_EQ(root->GetHoverChild(), nullptr);
  root->OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50), nullptr);  // nothing under the mouse
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(root->RemoveControl(b.get()), 0);
  EXPECT_EQ(root->RemoveControlByIndex(5), 0);
  EXPECT_EQ(root->GetSubControl(-1), nullptr);
}

TEST_F(ControlTree, ClonesCopyFieldsAndChildren) {
  auto root = Build(R"(<container id="top" bkcolor="#102030" bordersize="2" onsizepercent="1,2,3,4">
      <container id="kid" left="1" top="2" width="3" height="4"/></container>)");
  root->SetRect(R(0, 0, 50, 50));
  root->SetAttribute("k", "v");
  EXPECT_FALSE(root->SetAttribute("k", "other"));  // an existing value is not replaced
  auto copy = root->Clone();
  ASSERT_TRUE(copy->AsContainer());
  EXPECT_STREQ(copy->GetID(), "top");
  EXPECT_EQ(copy->GetBkColor(), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(copy->GetBorderSize(), 2);
  ASSERT_NE(copy->GetPercent(), root->GetPercent());
  EXPECT_EQ(copy->GetPercent()->height, 4);
  std::string v;
  EXPECT_TRUE(copy->GetAttribute("k", v));
  EXPECT_EQ(v, "v");
  CUIControl* kid = copy->FindControl("kid");
  ASSERT_NE(kid, nullptr);
  EXPECT_NE(kid, root->FindControl("kid"));
  EXPECT_EQ(kid->GetParent(), copy.get());
}

TEST_F(ControlTree, UnknownElementsAreSkipped) {
  auto root = Build(R"(<container><nosuchcontrol id="x"/><include id="y"/><container id="z"/></container>)");
  EXPECT_EQ(root->GetControlCount(), 1);
  EXPECT_NE(root->FindControl("z"), nullptr);
  EXPECT_EQ(CControlFactory::Instance().Create("Container"), nullptr);  // names are case-sensitive
}

TEST_F(ControlTree, IncludeAttributesOverrideTheIncludedRoot) {
  TempDir skin;
  skin.Write(L"parts\\panel.xml", R"(<container id="panel" left="1" top="2" width="30" height="40">
      <container id="deep" width="5" height="5"/></container>)");
  CEngine::Instance().SkinLoader().SetPackagePath(skin.path());
  auto root = Build(R"(<container>
      <include xmlpath="parts\panel.xml" id="mine" left="100" top="200"/>
      <include xmlpath="parts\missing.xml"/>
    </container>)");
  root->SetRect(R(0, 0, 500, 500));
  ASSERT_EQ(root->GetControlCount(), 1);
  CUIControl* panel = root->GetSubControl(0);
  EXPECT_STREQ(panel->GetID(), "mine");
  EXPECT_EQ(Str(panel->GetRect()), "100,200,130,240");
  EXPECT_NE(root->FindControl("deep"), nullptr);
  CEngine::Instance().SkinLoader().CloseSkin();
}

TEST(UIBuilder, DocumentsThatAreMissingOrMalformedMakeNothing) {
  TempDir skin;
  skin.Write(L"bad.xml", "<container><oops></container>");
  skin.Write(L"good.xml", "\xEF\xBB\xBF<container id=\"c&amp;d\"><container/></container>");
  skin.Write(L"unknown.xml", "<widget/>");
  CEngine::Instance().SkinLoader().SetPackagePath(skin.path());
  CUIBuilder& b = CUIBuilder::Instance();
  EXPECT_EQ(b.CreateControlByXml("bad.xml"), nullptr);
  EXPECT_EQ(b.CreateControlByXml("missing.xml"), nullptr);
  EXPECT_EQ(b.CreateControlByXml("unknown.xml"), nullptr);
  ControlPtr good = b.CreateControlByXml("good.xml");
  ASSERT_NE(good, nullptr);
  EXPECT_STREQ(good->GetID(), "c&d");
  EXPECT_EQ(good->AsContainer()->GetControlCount(), 1);
  EXPECT_EQ(b.CreateControl("container")->GetType(), 1);
  EXPECT_EQ(b.CreateControl("nothing"), nullptr);
  EXPECT_EQ(b.CreateControlByTemplate("nothing"), nullptr);
  b.RegisterTemplate("tmpl", good);
  EXPECT_NE(b.CreateControlByTemplate("tmpl"), nullptr);
  CEngine::Instance().UnInit();  // empties the template registry
  EXPECT_EQ(b.CreateControlByTemplate("tmpl"), nullptr);
}

}  // namespace
