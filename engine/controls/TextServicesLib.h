// The platform's windowless rich-edit text services, loaded at run time.
#pragma once

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

namespace ZOV {

// Text services hosted by host, as ITextServices (one reference); null when neither
// "msftedit.dll" nor "riched20.dll" offers CreateTextServices, or creation fails.
ITextServices* CreateHostedTextServices(ITextHost* host);

// The library the text services came from ("msftedit.dll" or the fallback "riched20.dll");
// empty before the first creation or when none could be loaded.
const wchar_t* TextServicesLibrary();

}  // namespace ZOV
