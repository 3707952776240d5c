// The few Windows types the pure parsers use, for their native fuzz build on Linux. Types and
// the colour macros only: any Win32 call in a fuzzed file fails to compile here, which keeps
// the pure files pure.
#pragma once

#include <stdint.h>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef DWORD COLORREF;

struct RECT {
  LONG left, top, right, bottom;
};

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
