// Registration of every engine class a skin script can reach.
#include "ScriptClasses.h"

#include "ControlPusher.h"
#include "ControlTemplate.h"
#include "HostWnd.h"
#include "MenuWnd.h"
#include "Register.h"
#include "TimerManager.h"
#include "UIBuilder.h"
#include "UIComboBox.h"
#include "UIControlContainer.h"
#include "UIEdit.h"
#include "UIList.h"
#include "UIProgressBar.h"
#include "UIRadioButton.h"
#include "UIRichEdit.h"
#include "UIStatic.h"
#include "UITabCtrl.h"
#include "WindowPusher.h"

namespace ZOV {

namespace {

using namespace lua_tinker;

const int kComboBoxClassCode = 5;  // the code whose class is "LuaComboBox"

void RegisterBuilder(lua_State* L) {
  class_add<CUIBuilder>(L, "LuaUIBuilder");
  class_def<CUIBuilder>(L, "GetWindow", &CUIBuilder::GetWindow);
  class_def<CUIBuilder>(L, "CreateControl", &CUIBuilder::ScriptCreateControl);
  class_def<CUIBuilder>(L, "CreateControlByXml", &CUIBuilder::ScriptCreateControlByXml);
  class_def<CUIBuilder>(L, "CreateControlByTemplate", &CUIBuilder::ScriptCreateControlByTemplate);
  class_def<CUIBuilder>(L, "CreateWindow", &CUIBuilder::ScriptCreateWindow);
  // The same operation; the result is handed over as a menu window (nil when it is none).
  class_def<CUIBuilder>(L, "CreateMenu", &CUIBuilder::ScriptCreateMenu);
  class_def<CUIBuilder>(L, "RunMessageLoop", &CUIBuilder::RunMessageLoop);
  class_def<CUIBuilder>(L, "Exit", &CUIBuilder::Exit);
  class_def<CUIBuilder>(L, "InsertAniSmiley", &CUIBuilder::InsertAniSmiley);
  set(L, "g_UIMgr", &CUIBuilder::Instance());
}

void RegisterTimers(lua_State* L) {
  class_add<CTimerManager>(L, "LuaTimerManager");
  class_def<CTimerManager>(L, "SetTimer", &CTimerManager::SetTimer);
  class_def<CTimerManager>(L, "SetTimeout", &CTimerManager::SetTimeout);
  class_def<CTimerManager>(L, "KillTimer", &CTimerManager::KillTimer);
  set(L, "g_TimerMgr", &CTimerManager::Instance());
}

void RegisterHostWnd(lua_State* L) {
  class_add<CHostWnd>(L, "LuaHostWnd");
  class_def<CHostWnd>(L, "GetID", &CHostWnd::GetID);
  class_def<CHostWnd>(L, "SetID", &CHostWnd::SetIDText);
  class_def<CHostWnd>(L, "Close", &CHostWnd::Close);
  class_def<CHostWnd>(L, "GetRootControl", &CHostWnd::GetRootControl);
  class_def<CHostWnd>(L, "GetWnd", &CHostWnd::GetWnd);
  class_def<CHostWnd>(L, "DoModal", &CHostWnd::DoModal);
  class_def<CHostWnd>(L, "EndDialog", &CHostWnd::EndDialog);
  class_def<CHostWnd>(L, "SetDragAccept", &CHostWnd::SetDragAccept);
  class_def<CHostWnd>(L, "IsDragAccept", &CHostWnd::IsDragAccept);
  class_def<CHostWnd>(L, "SendMessage", &CHostWnd::SendMessageToWindow);
  class_def<CHostWnd>(L, "PostMessage", &CHostWnd::PostMessageToWindow);
  class_def<CHostWnd>(L, "Min", &CHostWnd::Min);
  class_def<CHostWnd>(L, "Max", &CHostWnd::Max);
  class_def<CHostWnd>(L, "Restore", &CHostWnd::Restore);
  class_def<CHostWnd>(L, "BringToTop", &CHostWnd::BringToTop);
  class_def<CHostWnd>(L, "SetVisible", &CHostWnd::SetVisible);
  class_def<CHostWnd>(L, "SetIconByResID", &CHostWnd::SetIconByResID);

  class_add<CMenuWnd>(L, "LuaMenuWnd");
  class_inh<CMenuWnd, CHostWnd>(L);
  class_def<CMenuWnd>(L, "TrackPopupMenu", &CMenuWnd::TrackPopupMenu);
  class_def<CMenuWnd>(L, "EndMenu", &CMenuWnd::EndMenu);
}

void RegisterControl(lua_State* L) {
  class_add<CUIControl>(L, "LuaControl");
  class_def<CUIControl>(L, "FindControl", &CUIControl::FindControl);
  class_def<CUIControl>(L, "GetID", &CUIControl::GetID);
  class_def<CUIControl>(L, "SetID", &CUIControl::SetID);
  class_def<CUIControl>(L, "GetUserData", &CUIControl::GetUserData);
  class_def<CUIControl>(L, "SetUserData", &CUIControl::SetUserData);
  class_def<CUIControl>(L, "GetType", &CUIControl::GetType);
  class_def<CUIControl>(L, "SetType", &CUIControl::SetType);
  class_def<CUIControl>(L, "IsVisible", &CUIControl::IsVisible);
  class_def<CUIControl>(L, "IsEnable", &CUIControl::IsEnable);
  class_def<CUIControl>(L, "IsFocus", &CUIControl::IsFocus);
  class_def<CUIControl>(L, "SetVisible", &CUIControl::SetVisible);
  class_def<CUIControl>(L, "SetEnable", &CUIControl::SetEnable);
  class_def<CUIControl>(L, "SetFocus", &CUIControl::SetFocus);
  class_def<CUIControl>(L, "GetAccName", &CUIControl::ScriptGetAccName);
  class_def<CUIControl>(L, "SetAccName", &CUIControl::SetAccName);
  // Geometry reaches scripts in skin units.
  class_def<CUIControl>(L, "GetPos", &CUIControl::ScriptGetPos);
  class_def<CUIControl>(L, "SetPos", &CUIControl::ScriptSetPos);
  class_def<CUIControl>(L, "SetLeft", &CUIControl::ScriptSetLeft);
  class_def<CUIControl>(L, "SetTop", &CUIControl::ScriptSetTop);
  class_def<CUIControl>(L, "SetWidth", &CUIControl::ScriptSetWidth);
  class_def<CUIControl>(L, "SetHeight", &CUIControl::ScriptSetHeight);
  class_def<CUIControl>(L, "GetHostWnd", &CUIControl::GetHostWnd);
  class_def<CUIControl>(L, "SetHostWnd", &CUIControl::SetHostWnd);
  class_def<CUIControl>(L, "GetParent", &CUIControl::GetParentControl);
  class_def<CUIControl>(L, "SetParent", &CUIControl::SetParentControl);
  class_def<CUIControl>(L, "GetTag", &CUIControl::GetTag);
  class_def<CUIControl>(L, "SetTag", &CUIControl::SetTag);
  class_def<CUIControl>(L, "GetBorderColor", &CUIControl::GetBorderColor);
  class_def<CUIControl>(L, "SetBorderColor", &CUIControl::SetBorderColor);
  class_def<CUIControl>(L, "GetBorderSize", &CUIControl::ScriptGetBorderSize);
  class_def<CUIControl>(L, "SetBorderSize", &CUIControl::ScriptSetBorderSize);

  class_add<CUIControlContainer>(L, "LuaControlContainer");
  class_inh<CUIControlContainer, CUIControl>(L);
  class_def<CUIControlContainer>(L, "AddControl", &CUIControlContainer::AddControlByPointer);
  class_def<CUIControlContainer>(L, "FindSubControl", &CUIControlContainer::FindSubControl);
  class_def<CUIControlContainer>(L, "GetControlCount", &CUIControlContainer::GetControlCount);
  class_def<CUIControlContainer>(L, "RemoveControl", &CUIControlContainer::RemoveControl);
  class_def<CUIControlContainer>(L, "RemoveControlByID", &CUIControlContainer::RemoveControlByID);
  class_def<CUIControlContainer>(L, "RemoveControlByIndex", &CUIControlContainer::RemoveControlByIndex);
  class_def<CUIControlContainer>(L, "RemoveAllControl", &CUIControlContainer::RemoveAllControl);
  class_def<CUIControlContainer>(L, "GetSubControl", &CUIControlContainer::GetSubControl);
  bind_control_type<CUIControl, CUIControlContainer, kTypeContainer>();
  // Template instances take their template's own class, whose parent is the container's.
  set_template_control_pusher<CUIControl>(&CControlTemplate::PushToScript);

  class_add<CUIStatic>(L, "LuaStatic");
  class_inh<CUIStatic, CUIControl>(L);
  class_def<CUIStatic>(L, "SetText", &CUIStatic::SetText);
  class_def<CUIStatic>(L, "GetText", &CUIStatic::GetText);
  class_def<CUIStatic>(L, "Rotate", &CUIStatic::Rotate);
  class_def<CUIStatic>(L, "GetBkImage", &CUIStatic::GetBkImage);
  class_def<CUIStatic>(L, "SetBkImage", &CUIStatic::SetBkImage);
  class_def<CUIStatic>(L, "SetTextColor", &CUIStatic::SetTextColor);
  class_def<CUIStatic>(L, "GetTextColor", &CUIStatic::GetTextColor);
  bind_control_type<CUIControl, CUIStatic, kTypeStatic>();

  class_add<CUIButton>(L, "LuaButton");
  class_inh<CUIButton, CUIStatic>(L);
  class_def<CUIButton>(L, "GetTooltip", &CUIButton::GetTooltip);
  class_def<CUIButton>(L, "SetTooltip", &CUIButton::SetTooltip);
  bind_control_type<CUIControl, CUIButton, kTypeButton>();

  class_add<CUICheckBox>(L, "LuaCheckBox");
  class_inh<CUICheckBox, CUIButton>(L);
  class_def<CUICheckBox>(L, "IsCheck", &CUICheckBox::IsCheck);
  class_def<CUICheckBox>(L, "SetCheck", &CUICheckBox::SetCheck);
  bind_control_type<CUIControl, CUICheckBox, kTypeCheckBox>();

  class_add<CUIRadioButton>(L, "LuaRadioButton");
  class_inh<CUIRadioButton, CUICheckBox>(L);
  class_def<CUIRadioButton>(L, "IsCheck", &CUIRadioButton::IsCheck);
  class_def<CUIRadioButton>(L, "SetCheck", &CUIRadioButton::SetCheck);
  class_def<CUIRadioButton>(L, "GetGroupID", &CUIRadioButton::GetGroupID);
  class_def<CUIRadioButton>(L, "SetGroupID", &CUIRadioButton::SetGroupID);
  // Scripts pass a text here; it is not needed, and extra arguments are not read.
  class_def<CUIRadioButton>(L, "GetCheckedRadionButton", &CUIRadioButton::GetCheckedRadionButton);
  bind_control_type<CUIControl, CUIRadioButton, kTypeRadioButton>();

  class_add<CUIProgressBar>(L, "LuaProgressBar");
  class_inh<CUIProgressBar, CUIStatic>(L);
  class_def<CUIProgressBar>(L, "GetValue", &CUIProgressBar::GetValue);
  class_def<CUIProgressBar>(L, "GetMin", &CUIProgressBar::GetMin);
  class_def<CUIProgressBar>(L, "GetMax", &CUIProgressBar::GetMax);
  class_def<CUIProgressBar>(L, "SetValue", &CUIProgressBar::SetValue);
  class_def<CUIProgressBar>(L, "SetMin", &CUIProgressBar::SetMin);
  class_def<CUIProgressBar>(L, "SetMax", &CUIProgressBar::SetMax);
  bind_control_type<CUIControl, CUIProgressBar, kTypeProgressBar>();

  class_add<CUIList>(L, "LuaList");
  class_inh<CUIList, CUIControlContainer>(L);
  class_def<CUIList>(L, "RemoveRow", &CUIList::RemoveRow);
  bind_control_type<CUIControl, CUIList, kTypeList>();

  class_add<CUIEdit>(L, "LuaEdit");
  class_inh<CUIEdit, CUIControl>(L);
  // Without these a script could not read what the user typed.
  class_def<CUIEdit>(L, "GetText", &CUIEdit::GetText);
  class_def<CUIEdit>(L, "SetText", &CUIEdit::SetText);
  bind_control_type<CUIControl, CUIEdit, kTypeEdit>();

  // Combo boxes carry the button's type code and reach scripts as "LuaButton". This class
  // serves one whose code a script set to 5; as a button's child it keeps the text and
  // tooltip methods every combo box answers.
  class_add<CUIComboBox>(L, "LuaComboBox");
  class_inh<CUIComboBox, CUIButton>(L);
  bind_control_type<CUIControl, CUIComboBox, kComboBoxClassCode>();

  class_add<CUITabCtrl>(L, "LuaTabCtrl");
  class_inh<CUITabCtrl, CUIControlContainer>(L);
  class_def<CUITabCtrl>(L, "GetCurSelectIndex", &CUITabCtrl::GetCurSelectIndex);
  class_def<CUITabCtrl>(L, "GetCurSelectControl", &CUITabCtrl::GetCurSelectControl);
  class_def<CUITabCtrl>(L, "SelectItem", &CUITabCtrl::SelectItem);
  bind_control_type<CUIControl, CUITabCtrl, kTypeTabCtrl>();
  class_add<CUIRichEdit>(L, "LuaRichEdit");
  class_inh<CUIRichEdit, CUIStatic>(L);
  class_def<CUIRichEdit>(L, "SetText", &CUIRichEdit::SetText);
  class_def<CUIRichEdit>(L, "GetText", &CUIRichEdit::GetText);
  class_def<CUIRichEdit>(L, "SetTextColor", &CUIRichEdit::SetTextColor);
  bind_control_type<CUIControl, CUIRichEdit, kTypeRichEdit>();
  // Linear layouts and scroll bars have no class: they reach scripts as nil.
}

}  // namespace

void RegisterScriptClasses(lua_State* L) {
  RegisterBuilder(L);
  RegisterTimers(L);
  RegisterHostWnd(L);
  RegisterControl(L);
}

}  // namespace ZOV
