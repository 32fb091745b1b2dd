// The Windows headers, for the Win32 code only. Their ANSI/wide macros named CopyFile,
// DeleteFile, CreateWindow and MessageBox would rename the methods of the platform interfaces
// that carry those names, so they are undone here: this code calls the wide functions by their
// own names (CopyFileW, DeleteFileW, CreateWindowExW, MessageBoxW).
#pragma once

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef CreateWindow
#undef MessageBox
