#pragma once
// The window procedure of the class "VelmoraLumibox".
#include <windows.h>

LRESULT CALLBACK mainWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
