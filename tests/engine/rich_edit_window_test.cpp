// The rich edit in real windows on the virtual display: its text services, keys, the OLE
// callback, animated smileys and the layered host's caret.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "AniPicture.h"
#include "AniSmiley.h"
#include "Engine.h"
#include "GifWriter.h"
#include "HostWnd.h"
#include "StaticCanvas.h"
#include "TempDir.h"
#include "TextConv.h"
#include "TextServicesLib.h"
#include "UIBuilder.h"
#include "UIControlContainer.h"
#include "UIRichEdit.h"
#include "WindowPump.h"
#include "ScopedWin.h"

using namespace ZOV;

namespace {

const char kRed[] = "red", kGreen[] = "green", kBlue[] = "blue";

class RichEditWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
  }
  void TearDown() override { CEngine::Instance().SkinLoader().CloseSkin(); }
  // A window with one rich edit "re" at (10, 10), 200 x 100.
  CUIRichEdit* Make(const char* layered = "0", const std::string& above = "") {
    std::string view =
        std::string(
            R"(<ui><view id="rich" center="0" left="200" top="150" width="300" height="200" layered=")") +
        layered + R"("><container width="300" height="200" bkcolor="#FFFFFF">
        <richedit id="re" left="10" top="10" width="200" height="100" textcolor="#000000"/>)" +
        above + "</container></view></ui>";
    m_skin.Write(L"rich.xml", view);
    m_wnd = CUIBuilder::Instance().CreateWindowFromXml("rich.xml");
    Settle(4);
    if (!m_wnd) return nullptr;
    auto* edit = dynamic_cast<CUIRichEdit*>(m_wnd->GetRootControl()->FindControl("re"));
    if (edit && !edit->GetTextServices()) ADD_FAILURE() << "no text services";
    return edit && edit->GetTextServices() ? edit : nullptr;
  }
  void Key(WPARAM vk, bool* handled, CUIRichEdit* edit) {
    *handled = false;
    edit->OnMessage(WM_KEYDOWN, vk, 1, handled);
  }
  TempDir m_skin;
  CHostWnd* m_wnd = nullptr;
};

// Which pure colours of the three frames show in the control's top-left 40 x 30 pixels.
std::string FrameColourOnScreen(CHostWnd* w) {
  StaticCanvas canvas(40, 30, 0);
  POINT o = {10, 10};
  ClientToScreen(w->GetHWND(), &o);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc(), 0, 0, 40, 30, screen, o.x, o.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t c = canvas.At(x, y);
      if (c == 0xFF0000) return kRed;
      if (c == 0x00FF00) return kGreen;
      if (c == 0x0000FF) return kBlue;
    }
  return "";
}

TEST_F(RichEditWindow, TextServicesKeepCjkAndSupplementaryText) {
  CUIRichEdit* edit = Make();
  ASSERT_TRUE(edit);
  std::cout << "text services from "
            << (wcscmp(TextServicesLibrary(), L"msftedit.dll") ? "riched20" : "msftedit") << "\n";
  const char* text =
      "\xE4\xB8\xAD\xE6\x96\x87 \xE3\x81\x8B\xE3\x81\xAA \xED\x95\x9C\xEA\xB8\x80 \xF0\xA0\x80\x8B!";
  edit->SetText(text);
  EXPECT_STREQ(edit->GetText(), text);
  // Paragraphs come back with the rich edit's own CR, as Windows documents for GT_DEFAULT.
  edit->SetText("one\rtwo");
  EXPECT_STREQ(edit->GetText(), "one\rtwo");
  edit->SetText("");
  EXPECT_STREQ(edit->GetText(), "");
}

TEST_F(RichEditWindow, EnterReachesTheTextOnlyWhenWanted) {
  CUIRichEdit* edit = Make();
  ASSERT_TRUE(edit);
  edit->SetText("ab");
  edit->SetFocus(true);
  LRESULT r;
  CHARRANGE end = {2, 2};
  edit->TxSendMessage(EM_EXSETSEL, 0, (LPARAM)&end, &r);
  // Enter as the keyboard makes it: the key and the character TranslateMessage makes of it.
  auto enter = [&](bool* handledDown, bool* handledChar) {
    *handledDown = *handledChar = false;
    edit->OnMessage(WM_KEYDOWN, VK_RETURN, 1, handledDown);
    edit->OnMessage(WM_CHAR, '\r', 1, handledChar);
    edit->OnMessage(WM_KEYUP, VK_RETURN, 0xC0000001, handledChar);
  };
  bool down, ch;
  edit->SetWantReturn(false);
  enter(&down, &ch);
  EXPECT_TRUE(down);
  EXPECT_TRUE(ch);
  EXPECT_STREQ(edit->GetText(), "ab");
  edit->SetWantReturn(true);
  enter(&down, &ch);
  EXPECT_STREQ(edit->GetText(), "ab\r");

  // Typing into a read-only rich edit changes nothing; writable again, it does.
  edit->SetReadOnly(true);
  edit->OnMessage(WM_CHAR, 'x', 1, &ch);
  EXPECT_STREQ(edit->GetText(), "ab\r");
  edit->SetReadOnly(false);
  edit->OnMessage(WM_CHAR, 'x', 1, &ch);
  EXPECT_STREQ(edit->GetText(), "ab\rx");

  // Keys reach only the host's focus control.
  edit->SetFocus(false);
  ch = false;
  edit->OnMessage(WM_CHAR, 'y', 1, &ch);
  EXPECT_FALSE(ch);
  EXPECT_STREQ(edit->GetText(), "ab\rx");
}

TEST_F(RichEditWindow, ClicksReachItOnlyWhereNoControlCoversIt) {
  CUIRichEdit* edit = Make("0", R"(<static id="cover" left="150" top="10" width="60" height="100"/>)");
  ASSERT_TRUE(edit);
  bool handled = false;
  edit->OnMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(180, 50), &handled);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(edit->IsFocus());
  edit->OnMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50), &handled);
  EXPECT_TRUE(edit->IsFocus());
}

TEST_F(RichEditWindow, ObjectStoragesAreNumberedFromOne) {
  CUIRichEdit* edit = Make();
  ASSERT_TRUE(edit);
  IRichEditOleCallback* callback = edit->GetOleCallback();
  ASSERT_TRUE(callback) << "the text services did not take the OLE callback";
  for (const wchar_t* expected : {L"REOLEStorage1", L"REOLEStorage2"}) {
    IStorage* storage = nullptr;
    ASSERT_EQ(callback->GetNewStorage(&storage), S_OK);
    STATSTG stat = {};
    ASSERT_EQ(storage->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_STREQ(stat.pwcsName, expected);
    CoTaskMemFree(stat.pwcsName);
    storage->Release();
  }
  // A copy shares neither the text services nor the storages: it numbers its own from 1.
  auto copy = std::static_pointer_cast<CUIRichEdit>(edit->Clone());
  EXPECT_EQ(copy->GetTextServices(), nullptr);
  copy->Init();
  ASSERT_TRUE(copy->GetTextServices() && copy->GetOleCallback());
  EXPECT_NE(copy->GetTextServices(), edit->GetTextServices());
  IStorage* storage = nullptr;
  ASSERT_EQ(copy->GetOleCallback()->GetNewStorage(&storage), S_OK);
  STATSTG stat = {};
  storage->Stat(&stat, STATFLAG_DEFAULT);
  EXPECT_STREQ(stat.pwcsName, L"REOLEStorage1");
  CoTaskMemFree(stat.pwcsName);
  storage->Release();
}

TEST_F(RichEditWindow, ContextMenuGreysCutAndCopyWithoutSelection) {
  CUIRichEdit* edit = Make();
  ASSERT_TRUE(edit);
  edit->SetText("hello");
  auto state = [](HMENU m, UINT id) { return GetMenuState(m, id, MF_BYCOMMAND); };
  CHARRANGE caret = {2, 2}, word = {0, 5};
  HMENU menu = nullptr;
  ASSERT_EQ(edit->GetOleCallback()->GetContextMenu(SEL_EMPTY, nullptr, &caret, &menu), S_OK);
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_TRUE(state(menu, 57635) & MF_GRAYED);  // Cut
  EXPECT_TRUE(state(menu, 57634) & MF_GRAYED);  // Copy
  wchar_t label[16];
  GetMenuStringW(menu, 57637, label, 16, MF_BYCOMMAND);
  EXPECT_STREQ(label, L"&Paste");
  DestroyMenu(menu);
  ASSERT_EQ(edit->GetOleCallback()->GetContextMenu(SEL_TEXT, nullptr, &word, &menu), S_OK);
  EXPECT_FALSE(state(menu, 57635) & MF_GRAYED);
  EXPECT_FALSE(state(menu, 57634) & MF_GRAYED);
  DestroyMenu(menu);
}

TEST_F(RichEditWindow, SmileyFramesAdvanceOnScreen) {
  CUIRichEdit* edit = Make();
  ASSERT_TRUE(edit);
  const uint32_t palette[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  std::vector<GifFrame> frames(3);
  for (int i = 0; i < 3; ++i) frames[i].indices.assign(16 * 16, (uint8_t)i);
  m_skin.Write(L"smile.gif", MakeGif(16, 16, palette, frames));
  const char broken[] = "GIF89a\x10\x00\x10\x00 not a picture";
  m_skin.Write(L"broken.gif", std::string(broken, sizeof(broken) - 1));
  std::string dir = text::WideToUtf8(m_skin.path()) + "\\";

  // A file that does not decode inserts nothing.
  EXPECT_FALSE(InsertAniSmiley(edit, (dir + "broken.gif").c_str()));
  EXPECT_FALSE(InsertAniSmiley(edit, (dir + "missing.gif").c_str()));
  EXPECT_FALSE(InsertAniSmiley(nullptr, (dir + "smile.gif").c_str()));
  EXPECT_STREQ(edit->GetText(), "");

  ASSERT_TRUE(InsertAniSmiley(edit, (dir + "smile.gif").c_str()));
  // One character holds the object (Windows reads it back as U+FFFC, Wine as a space).
  GETTEXTLENGTHEX lengthOf = {GTL_DEFAULT, 1200};
  LRESULT length = 0;
  edit->TxSendMessage(EM_GETTEXTLENGTHEX, (WPARAM)&lengthOf, 0, &length);
  EXPECT_EQ(length, 1);
  std::set<std::string> seen;
  for (int i = 0; i < 16 && seen.size() < 3; ++i) {
    Settle(2);
    std::string c = FrameColourOnScreen(m_wnd);
    if (!c.empty()) seen.insert(c);
  }
  EXPECT_GE(seen.size(), 2u) << "frames shown: " << seen.size();
}

// The component alone, as Wine's text services use it: the frame shown now as a bitmap.
TEST_F(RichEditWindow, PictureServesItsFramesAtTheirDelays) {
  const uint32_t palette[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  std::vector<GifFrame> frames(2);
  frames[0].indices.assign(8 * 8, 0);
  frames[0].delayHundredths = 0;  // shown for 100 ms, as browsers do
  frames[1].indices.assign(8 * 8, 1);
  frames[1].delayHundredths = 500;
  std::wstring path = m_skin.Write(L"two.gif", MakeGif(8, 8, palette, frames));
  HMODULE lib = LoadLibraryW(ANIPIC_LIBRARY_NAME);
  ASSERT_TRUE(lib);
  auto get = win::ProcAddress<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(lib, "DllGetClassObject");
  win::ComPtr<IClassFactory> factory;
  ASSERT_EQ(get(CLSID_AniPicture, IID_IClassFactory, (void**)factory.put()), S_OK);
  win::ComPtr<IAniPicture> picture;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IAniPicture, (void**)picture.put()), S_OK);
  BSTR bstr = SysAllocString(path.c_str());
  ASSERT_EQ(picture->LoadFromFile(bstr), S_OK);
  SysFreeString(bstr);
  win::ComPtr<IDataObject> data;
  ASSERT_EQ(picture->QueryInterface(IID_IDataObject, (void**)data.put()), S_OK);
  auto shownColour = [&] {
    FORMATETC format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    STGMEDIUM medium = {};
    if (data->GetData(&format, &medium) != S_OK) return (COLORREF)CLR_INVALID;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, medium.hBitmap);
    COLORREF c = GetPixel(dc, 4, 4);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseStgMedium(&medium);
    return c;
  };
  UINT current = 9, count = 0;
  picture->GetFrameInfo(&current, &count);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(shownColour(), RGB(255, 0, 0));
  for (int i = 0; i < 40 && current == 0; ++i) {
    Settle(1);
    picture->GetFrameInfo(&current, &count);
  }
  EXPECT_EQ(current, 1u) << "the first frame's 0 delay plays as 100 ms";
  EXPECT_EQ(shownColour(), RGB(0, 255, 0));
}

TEST_F(RichEditWindow, LayeredHostBlinksItsOwnCaretAndSurvivesRemoval) {
  CUIRichEdit* edit = Make("1");
  ASSERT_TRUE(edit);
  edit->SetText("caret");
  edit->SetFocus(true);
  bool shown = false, hidden = false;
  for (int i = 0; i < 40 && !(shown && hidden); ++i) {
    Settle(1);
    (edit->IsCaretShown() ? shown : hidden) = true;
  }
  EXPECT_TRUE(shown && hidden) << "the caret should blink by timer";
  RECT caret = edit->CaretRect();
  EXPECT_EQ(caret.right - caret.left, 1);
  EXPECT_EQ(caret.bottom - caret.top, 20);

  // Removed with its blink timer running: the timer goes with it.
  HWND hwnd = m_wnd->GetHWND();
  auto* root = m_wnd->GetRootControl()->AsContainer();
  ASSERT_TRUE(root->RemoveControlByID("re"));
  Settle(2 * GetCaretBlinkTime() / 25 + 2);
  EXPECT_FALSE(KillTimer(hwnd, kRichEditCaretTimer));
  EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
