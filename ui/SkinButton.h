// An owner-drawn push button painted with bitmaps: normal, down, hover, disabled and focus
// images, an optional mask that also shapes the window, and the window text drawn over them.
// The window text stays the button's name (screen readers and UI automation read it), the
// keyboard focus is always visible (the focus bitmap or a focus rectangle), and Space and
// Enter press the focused button as they press a standard one. A missing bitmap gives the
// plain system button.
//
// Attach it to a button of a dialog of this framework (the dialog reflects the drawing to it):
//     m_btnOk.SubclassDlgItem(IDOK, m_hWnd);
//     m_btnOk.SetSkin(10431, 10429, 10432, 10430, 0, 0, kDrawStretch, FALSE, 3);
// or, for the product's text buttons, AttachTextButton(m_btnOk, m_hWnd, IDOK).
#pragma once

#include <array>
#include <string>

#include "ui/ControlHost.h"
#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class CxSkinButton : public CWnd {
public:
    // The bitmaps of one skin, owned by the button once given.
    struct SBitmaps {
        CBitmapHandle normal, down, hover, disabled, focus, mask;
    };

    CxSkinButton();

    // Bitmap resource ids (0 for none) from the dialog's resource module; draw mode 0 copy,
    // 1 stretch, 2 tile; an edge around the image when bBorder; a focus rectangle nFocusMargin
    // pixels (of a 96 dpi screen) inside the edge when positive.
    void SetSkin(UINT nNormal, UINT nDown, UINT nHover, UINT nDisabled, UINT nFocus, UINT nMask, int nDrawMode = kDrawCopy,
                 BOOL bBorder = FALSE, int nFocusMargin = 0);
    // The same with bitmaps made elsewhere (drawn at run time).
    void SetSkinBitmaps(SBitmaps bitmaps, int nDrawMode, BOOL bBorder, int nFocusMargin);
    // The module SetSkin loads from when it is not the dialog's.
    void SetResourceModule(HINSTANCE hModule) { m_hResModule = hModule; }

    // Returns the previous text colour.
    COLORREF SetTextColor(COLORREF crText);
    // Image buttons whose name is for screen readers and tooltips only.
    void SetTextShown(bool bShown);
    bool TextShown() const { return m_bTextShown; }
    // With check-box behaviour a click, Space or Enter toggles the checked state, which shows
    // as the pressed look and answers BM_GETCHECK.
    void SetCheckBehaviour(bool bCheckBox) { m_bCheckBox = bCheckBox; }
    void SetCheck(bool bChecked);
    bool GetCheck() const { return m_bChecked; }
    bool IsHovered() const { return m_bHover; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    void PreSubclassWindow() override;

private:
    void DrawItem(const DRAWITEMSTRUCT& dis);
    HBITMAP FaceBitmap(bool bDisabled, bool bPressed, bool bFocus) const;
    void DrawText(HDC hDC, RECT rc, bool bDisabled, bool bPressed) const;
    void ApplyMaskRegion();
    void OnMouseMove();
    void OnMouseLeave();

    SBitmaps m_bmp;
    HINSTANCE m_hResModule = nullptr;
    int m_nDrawMode = kDrawCopy;
    bool m_bBorder = false;
    int m_nFocusMargin = 0;
    COLORREF m_crText;
    bool m_bTextShown = true;
    bool m_bCheckBox = false;
    bool m_bChecked = false;
    bool m_bHover = false;
    bool m_bDefault = false;
};

// The product's text button: bitmaps 10431 normal, 10429 pressed, 10432 hover, 10430
// disabled, stretched over the button, with a focus rectangle.
BOOL AttachTextButton(CxSkinButton& button, HWND hDlg, UINT nId);
