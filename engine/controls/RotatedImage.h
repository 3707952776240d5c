// Rotated image drawing through GDI+.
#pragma once

#include <windows.h>

#include <string>

namespace ZOV {

class CImage;

// Draws the source rect src of a picture into dest, rotated by degrees about dest's centre.
// The picture is decoded from the file at path, as the rotation path always has; when there
// is no such file (a skin package that is a zip archive has no files of its own) the cached
// image is drawn instead, so rotation works in every package. False when nothing was drawn.
bool DrawRotatedImage(HDC hdc, const std::wstring& path, CImage* cached, const RECT& dest, const RECT& src,
                      int degrees);

}  // namespace ZOV
