#include "ui/DialogChecks.h"

#include <winternl.h>

#include <algorithm>

#include "ui/ControlHost.h"
#include "ui/SizeInfoStatic.h"
#include "ui/SkinButton.h"

namespace mvltest {

int CountGdiObjects()
{
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(n);
    // Wine answers 0 above; its handle table (the one the process environment block points
    // to, as on Windows) tells the objects in use.
#pragma pack(push, 1)
    struct SEntry {
        UINT64 nObject;
        USHORT nOwner, nCount, nUnique;
        UCHAR nType, nFlags;
        UINT64 nUser;
    };
#pragma pack(pop)
    // Looked up, not imported: the test programs import Windows' documented DLLs only.
    using PFN = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto pfnQuery = reinterpret_cast<PFN>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!pfnQuery || pfnQuery(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0 ||
        !info.PebBaseAddress)
        return -1;
    const auto* pTable = *reinterpret_cast<const SEntry* const*>(reinterpret_cast<BYTE*>(info.PebBaseAddress) + 0xF8);
    if (!pTable)
        return -1;
    int n = 0;
    for (int i = 0; i < 0x10000; ++i)
        n += pTable[i].nType != 0;
    return n;
}

namespace {

std::wstring ClassOf(HWND hWnd)
{
    wchar_t sz[64] = {};
    ::GetClassNameW(hWnd, sz, 64);
    return sz;
}

std::string Narrow(const std::wstring& s)
{
    std::string r;
    for (wchar_t c : s)
        r += c < 128 ? static_cast<char>(c) : '?';
    return r;
}

// The text's rectangle in the control's font: wrapped at the control's width for labels and
// multi-line buttons, one line for push buttons.
SIZE TextExtent(HWND hCtrl, const std::wstring& sText, int nWidth, bool bWrap)
{
    HDC hDC = ::GetDC(hCtrl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hCtrl, WM_GETFONT, 0, 0)));
    RECT rc{0, 0, nWidth, 0};
    ::DrawTextW(hDC, sText.c_str(), -1, &rc, DT_CALCRECT | (bWrap ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hCtrl, hDC);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void CheckTextFits(HWND hCtrl, const std::string& sName, std::vector<std::string>& problems)
{
    wchar_t szText[512] = {};
    ::GetWindowTextW(hCtrl, szText, 512);
    std::wstring sClass = ClassOf(hCtrl);
    LONG nStyle = ::GetWindowLongW(hCtrl, GWL_STYLE);
    bool bStatic = _wcsicmp(sClass.c_str(), L"Static") == 0;
    bool bButton = _wcsicmp(sClass.c_str(), L"Button") == 0;
    CWnd* pObject = CWnd::FromHandlePermanent(hCtrl);
    if (auto* pSize = dynamic_cast<CSizeInfoStatic*>(pObject); pSize && pSize->TextsClipped())
        problems.push_back(sName + ": size texts shortened");
    auto* pSkin = dynamic_cast<CxSkinButton*>(pObject);
    // A label with an ellipsis (a long folder) is shortened on purpose.
    if (!szText[0] || (!bStatic && !bButton) || (bButton && (nStyle & BS_TYPEMASK) == BS_GROUPBOX) ||
        (pSkin && !pSkin->TextShown()) || (bStatic && (nStyle & SS_ELLIPSISMASK)))
        return;
    RECT rc{};
    ::GetClientRect(hCtrl, &rc);
    UINT nDpi = WindowDpi(hCtrl);
    int nType = nStyle & BS_TYPEMASK;
    bool bPush = bButton && (nType == BS_OWNERDRAW || nType == BS_PUSHBUTTON || nType == BS_DEFPUSHBUTTON);
    // Room the control keeps for itself: a push button's focus margin, a check box's box.
    int nReserved = bPush ? ::MulDiv(10, nDpi, 96) : bButton ? ::MulDiv(18, nDpi, 96) : 0;
    int nWidth = rc.right - nReserved;
    SIZE sz = TextExtent(hCtrl, szText, nWidth, !bPush);
    if (sz.cx > nWidth || sz.cy > rc.bottom)
        problems.push_back(sName + ": text '" + Narrow(szText) + "' needs " + std::to_string(sz.cx) + "x" +
                           std::to_string(sz.cy) + ", has " + std::to_string(nWidth) + "x" + std::to_string(rc.bottom));
}

}  // namespace

std::vector<std::string> LayoutProblems(HWND hDlg, bool bRtl)
{
    std::vector<std::string> problems;
    if (((::GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) != bRtl)
        problems.push_back(bRtl ? "not mirrored" : "mirrored");
    RECT rcClient{};
    ::GetClientRect(hDlg, &rcClient);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(h))
            continue;
        RECT rc{};
        ::GetWindowRect(h, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        if (rc.left > rc.right)
            std::swap(rc.left, rc.right);
        std::string sName = "control " + std::to_string(::GetDlgCtrlID(h));
        RECT rcIn{};
        if (!::IntersectRect(&rcIn, &rc, &rcClient) || !::EqualRect(&rcIn, &rc))
            problems.push_back(sName + " is not inside the dialog");
        CheckTextFits(h, sName, problems);
        for (const auto& [hOther, rcOther] : shown) {
            RECT rcBoth{};
            bool bNested = (::UnionRect(&rcBoth, &rc, &rcOther), ::EqualRect(&rcBoth, &rc) || ::EqualRect(&rcBoth, &rcOther));
            if (::IntersectRect(&rcBoth, &rc, &rcOther) && !bNested)
                problems.push_back(sName + " overlaps control " + std::to_string(::GetDlgCtrlID(hOther)));
        }
        shown.push_back({h, rc});
    }
    // The buttons sit at the right of a left-to-right dialog, so at the left of a mirrored one.
    HWND hButton = ::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)) ? ::GetDlgItem(hDlg, IDCANCEL) : ::GetDlgItem(hDlg, IDOK);
    if (hButton && ::IsWindowVisible(hButton)) {
        RECT rcDlg{}, rcButton{};
        ::GetWindowRect(hDlg, &rcDlg);
        ::GetWindowRect(hButton, &rcButton);
        bool bLeft = rcButton.left + rcButton.right < rcDlg.left + rcDlg.right;
        if (bLeft != bRtl)
            problems.push_back(bRtl ? "buttons not mirrored to the left" : "buttons on the left");
    }
    return problems;
}

}  // namespace mvltest
