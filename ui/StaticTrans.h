// A label drawn over the dialog's background bitmap: transparent (or on a colour of its own),
// in a text colour of its own, with an optional tooltip. After a text change the background
// under it is repainted, so that no trace of the old text stays.
#pragma once

#include <string>

#include "ui/GdiHandles.h"
#include "ui/Wnd.h"

class CStaticTrans : public CWnd {
public:
    static constexpr COLORREF kTransparent = static_cast<COLORREF>(-1);

    CStaticTrans();
    ~CStaticTrans() override;

    // crBack kTransparent: the text is drawn straight onto the background.
    void SetColors(COLORREF crText, COLORREF crBack = kTransparent);
    // Created on first use (at most 300 pixels wide at 96 dpi) and activated; the label then
    // answers the mouse so that the tooltip sees it. Without a tooltip control the label
    // simply has none.
    void SetTooltipText(const std::wstring& sText);
    HWND Tooltip() const { return m_hTip; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    bool CreateTooltip();
    void DestroyTooltip();
    void RelayToTooltip(UINT nMsg, WPARAM wParam, LPARAM lParam);

    COLORREF m_crText;
    COLORREF m_crBack = kTransparent;
    CBrushHandle m_brBack;
    HWND m_hTip = nullptr;
    std::wstring m_sTip;
};
