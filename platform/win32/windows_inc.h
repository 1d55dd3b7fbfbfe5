// <windows.h> for the Win32 code, minus the macros that would rename members
// of the portable runtime contract (SystemServices::DeleteFile).
#pragma once

#include <windows.h>

#ifdef DeleteFile
#undef DeleteFile
#endif
