// What a skinned control learns from the window it sits in: the screen's resolution, the
// resource module of its dialog, its font and the parent's background under it; and the
// drawing of a skin bitmap.
//
// Resolution: the data source lives in the application's process and never changes the
// process's DPI awareness. Its windows scale with whatever resolution the host's awareness
// gives them: dialog templates through their font, and the controls' own pixel measures
// (offsets, margins, fonts) through WindowDpi, measured against 96 dpi.
#pragma once

#include <windows.h>

UINT WindowDpi(HWND hWnd);
// A length of a 96 dpi screen at nDpi.
int ScaleForDpi(int nPixels96, UINT nDpi);

// The resource module of the nearest dialog of this framework among the control's ancestors
// (templates, strings and bitmaps of the UI language); this library when there is none.
HINSTANCE ResourceModuleOf(HWND hCtrl);
// A bitmap resource as a device-independent section; null for id 0 or a missing bitmap.
HBITMAP LoadBitmapResource(HINSTANCE hModule, UINT nId);

// The font the window was given (WM_SETFONT), else the default GUI font.
HFONT WindowFont(HWND hWnd);
// True when the window is laid out right to left.
bool IsMirrored(HWND hWnd);

// Paints the parent's background under the control into hDC at (0, 0), oriented as on the
// screen; false when the parent painted nothing.
bool PaintParentBackground(HWND hCtrl, HDC hDC);

// How a skin bitmap covers a rectangle.
enum EBitmapDraw : int { kDrawCopy = 0, kDrawStretch = 1, kDrawTile = 2 };
// Draws the bitmap into rc (copy at natural size, stretch or tile), unmirrored also in a
// mirrored context; false without a bitmap. With a mask (black where the image shows, white
// where it does not), laid out the same way, what is under the white parts stays.
bool DrawSkinBitmap(HDC hDC, HBITMAP hBitmap, const RECT& rc, int nMode, HBITMAP hMask = nullptr);
