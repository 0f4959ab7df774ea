// The product look shared by the scan-time and message dialogs: a background bitmap stretched
// over the client area, labels drawn transparently over it, and the keys these dialogs refuse.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// A bitmap of a resource module, freed with the object.
class CDialogBackground {
public:
    CDialogBackground() = default;
    ~CDialogBackground() { Reset(); }
    CDialogBackground(const CDialogBackground&) = delete;
    CDialogBackground& operator=(const CDialogBackground&) = delete;

    // False when the bitmap is missing; the dialog then keeps its plain face.
    bool Load(HINSTANCE hModule, UINT nId);
    void Reset();
    UINT Id() const { return m_nId; }
    // Paints the bitmap stretched over rc; false without a bitmap.
    bool Paint(HDC hDC, const RECT& rc) const;

private:
    HBITMAP m_hBitmap = nullptr;
    UINT m_nId = 0;
};

// A language string from the given module; "Load String Error!" when it has none.
std::wstring LoadDlgString(HINSTANCE hModule, UINT nId);

struct SDlgString {
    int nCtrlId;
    UINT nStringId;
};
// Each control's text becomes its language string from hModule.
void SetDlgStrings(HWND hDlg, HINSTANCE hModule, std::initializer_list<SDlgString> items);

// Enter and Escape (and Space when bSpace) pressed or held, in any key message: these dialogs
// close only through their buttons.
bool IsRefusedKey(const MSG& msg, bool bSpace);

// Paths and file names read left to right also in a mirrored (Arabic, Hebrew) dialog: the
// control is laid out and reads left to right.
void KeepLeftToRight(HWND hCtrl);

// Redraws the parent's background under a transparent label after its text changed.
void RedrawUnder(HWND hCtrl, int nGrow = 2);

// Centres hWnd on hOver, or on the screen's work area when hOver is null or hidden; kept whole
// inside the work area.
void CenterWindowOn(HWND hWnd, HWND hOver);
