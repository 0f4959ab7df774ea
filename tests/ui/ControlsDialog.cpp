#include "ui/ControlsDialog.h"

#include <commctrl.h>

#include "ui/DialogTemplate.h"

namespace mvltest {

namespace {

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
constexpr DWORD kEditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

}  // namespace

HBITMAP MakeDiscBitmap(int nSize, COLORREF crDisc)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), nSize, -nSize, 1, 32, BI_RGB};
    void* pBits = nullptr;
    HBITMAP hBmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBmp)
        return nullptr;
    auto* p = static_cast<DWORD*>(pBits);
    double r = nSize / 2.0;
    DWORD dwDisc = (GetRValue(crDisc) << 16) | (GetGValue(crDisc) << 8) | GetBValue(crDisc);
    for (int y = 0; y < nSize; ++y)
        for (int x = 0; x < nSize; ++x) {
            double dx = x + 0.5 - r, dy = y + 0.5 - r;
            p[y * nSize + x] = dx * dx + dy * dy <= (r - 1) * (r - 1) ? dwDisc : 0xFFFFFF;
        }
    return hBmp;
}

CControlsDialog::CControlsDialog(HINSTANCE hLang, bool bRtl) : CDialog(0, hLang), m_bRtl(bRtl)
{
    Map().OnRaw(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        lResult = 1;
        return m_background.Paint(reinterpret_cast<HDC>(wParam), GetClientRect());
    });
    Map().OnMessage(CNumberEdit::kMsgValueChanged, [this](WPARAM wParam, LPARAM) -> LRESULT {
        auto hFrom = reinterpret_cast<HWND>(wParam);
        if (hFrom == m_signed.GetSafeHwnd())
            ++m_nSignedChanges;
        else if (hFrom == m_tenths.GetSafeHwnd())
            ++m_nTenthsChanges;
        return 0;
    });
    Map().OnCommand(kToggle, [this] { ++m_nToggleClicks; });
    Map().OnMessage(kMsgRepaint, [this](WPARAM wParam, LPARAM) -> LRESULT {
        for (int i = 0; i < static_cast<int>(wParam); ++i)
            RepaintOnce(i);
        return 0;
    });
    Map().OnCommand(kReset, [this] {
        ++m_nResets;
        m_signed.SetValue(0);
        m_tenths.SetValue(50);
    });
}

INT_PTR CControlsDialog::Run()
{
    // The face the right-to-left language libraries name for their dialogs.
    CDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 400, 175, L"Controls",
                      m_bRtl ? L"Segoe UI" : L"MS Shell Dlg");
    if (m_bRtl)
        t.ExStyle(WS_EX_LAYOUTRTL | WS_EX_RTLREADING);
    t.Add(kStatic, kGroup, SS_LEFT, 7, 5, 386, 60)
        .Add(kStatic, kLabel, SS_LEFT, 15, 20, 70, 10)
        .Add(kEdit, kSigned, kEditStyle, 90, 18, 40, 13)
        .Add(kEdit, kTenths, kEditStyle, 138, 18, 40, 13)
        .Add(TRACKBAR_CLASSW, kSlider, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 12, 36, 168, 22)
        .Add(kButton, kCheck, BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 186, 18, 130, 22)
        .Add(kStatic, kBmpLabel, SS_LEFT, 7, 72, 110, 20)
        .Add(kButton, kToggle, kPush, 124, 74, 100, 16)
        .Add(kButton, kRound, kPush, 236, 70, 24, 24, L"Round")
        .Add(kStatic, kSize, SS_LEFT, 7, 100, 386, 16)
        .Add(kButton, kDisabled, kPush, 7, 124, 160, 16)
        .Add(kButton, kPlain, kPush, 174, 124, 60, 16)
        .Add(kButton, kReset, kPush, 7, 152, 80, 16)
        .Add(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 271, 152, 58, 16)
        .Add(kButton, IDCANCEL, kPush, 335, 152, 58, 16);
    return DoModalIndirect(t.Get(), nullptr);
}

void CControlsDialog::RepaintOnce(int i)
{
    bool bOdd = i % 2 != 0;
    for (CxSkinButton* p : {&m_toggle, &m_round, &m_ok}) {
        ::SendMessageW(*p, bOdd ? WM_MOUSEMOVE : WM_MOUSELEAVE, 0, MAKELPARAM(2, 2));
        ::SendMessageW(*p, BM_SETSTATE, bOdd, 0);
    }
    m_toggle.SetCheck(i % 4 < 2);
    m_label.SetWindowText(bOdd ? L"Brightness" : L"Contrast");
    m_group.SetWindowText(bOdd ? L"Image" : L"Processing");
    m_bmpLabel.SetWindowText(bOdd ? L"Merge" : L"Scan");
    m_size.Update(8.5 + i % 3, 11, i % 3, 300, bOdd ? 24 : 8);
    m_slider.RefreshBackground();
    ::SendMessageW(m_slider, TBM_SETPOS, TRUE, i % 100);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

BOOL CControlsDialog::OnInitDialog()
{
    HINSTANCE hRes = ResourceModule();
    m_background.Load(hRes, 10445);
    m_group.SubclassDlgItem(kGroup, m_hWnd);
    m_label.SubclassDlgItem(kLabel, m_hWnd);
    m_label.SetTooltipText(LoadDlgString(hRes, kTooltipText));
    m_signed.SubclassDlgItem(kSigned, m_hWnd);
    m_signed.SetMode(CNumberFieldRule::kSigned);
    m_signed.SetRange(-100, 100);
    m_signed.SetValue(5);
    m_tenths.SubclassDlgItem(kTenths, m_hWnd);
    m_tenths.SetMode(CNumberFieldRule::kTenths);
    m_tenths.SetRange(0, 100);
    m_tenths.SetValue(25);
    m_slider.SubclassDlgItem(kSlider, m_hWnd);
    ::SendMessageW(m_slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    ::SendMessageW(m_slider, TBM_SETTICFREQ, 10, 0);
    ::SendMessageW(m_slider, TBM_SETPOS, TRUE, 40);
    m_check.SubclassDlgItem(kCheck, m_hWnd);
    m_bmpLabel.SubclassDlgItem(kBmpLabel, m_hWnd);
    m_bmpLabel.SetBackgroundBitmap(10432);
    m_size.SubclassDlgItem(kSize, m_hWnd);
    m_size.Update(8.5, 11.69, 1, 300, 24);
    AttachTextButton(m_toggle, m_hWnd, kToggle);
    m_toggle.SetCheckBehaviour(true);
    m_round.SubclassDlgItem(kRound, m_hWnd);
    CxSkinButton::SBitmaps disc;
    disc.normal.Reset(MakeDiscBitmap(36, RGB(52, 101, 164)));
    disc.hover.Reset(MakeDiscBitmap(36, RGB(90, 140, 210)));
    disc.down.Reset(MakeDiscBitmap(36, RGB(30, 60, 110)));
    disc.mask.Reset(MakeDiscBitmap(36, RGB(0, 0, 0)));
    m_round.SetSkinBitmaps(std::move(disc), kDrawStretch, FALSE, 0);
    m_round.SetTextShown(false);
    AttachTextButton(m_disabled, m_hWnd, kDisabled);
    ::EnableWindow(m_disabled, FALSE);
    // Ids of no bitmap: the plain system button.
    m_plain.SubclassDlgItem(kPlain, m_hWnd);
    m_plain.SetSkin(1, 2, 3, 4, 0, 0, kDrawStretch, FALSE, 3);
    AttachTextButton(m_reset, m_hWnd, kReset);
    AttachTextButton(m_ok, m_hWnd, IDOK);
    AttachTextButton(m_cancel, m_hWnd, IDCANCEL);
    SetDlgStrings(m_hWnd, hRes,
                  {{kGroup, 1048}, {kLabel, 1072}, {kCheck, 1173}, {kBmpLabel, 1187}, {kToggle, 1174},
                   {kDisabled, 1046}, {kPlain, 1017}, {kReset, 1074}, {IDOK, 1090}, {IDCANCEL, 1092}});
    CenterWindowOn(m_hWnd, nullptr);
    return TRUE;
}

}  // namespace mvltest
