// Animated smileys: a picture of the animated-picture component embedded in a rich edit.
#pragma once

namespace ZOV {

class CUIRichEdit;

// Inserts the picture file (UTF-8 path) at the rich edit's selection. False, with nothing
// inserted, when the rich edit is null or has no text services, the component is missing,
// or the file cannot be decoded.
bool InsertAniSmiley(CUIRichEdit* edit, const char* path);

}  // namespace ZOV
