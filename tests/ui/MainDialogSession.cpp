#include "ui/MainDialogSession.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "device/ScanParamRecord.h"
#include "ui/MainDialogIds.h"

namespace dlgtest {

namespace {

BOOL CALLBACK FindOnThread(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[32] = L"";
    ::GetClassNameW(hWnd, szClass, 32);
    if (std::wstring(szClass) != L"Q7100UIFLAG")
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

}  // namespace

HWND FindScanDialog()
{
    HWND hFound = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindOnThread, reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

CDialogSession::CDialogSession(const std::string& sProfileExtra, const std::string& sSimDevice,
                               const std::string& sSimFaults)
    : m_acq(sSimDevice, sSimFaults, sProfileExtra)
{
    m_acq.WithLanguageLibraries();
}

CDialogSession::~CDialogSession()
{
    if (m_hDlg && ::IsWindow(m_hDlg))
        Disable();
}

TW_UINT16 CDialogSession::Enable(bool bShowUI)
{
    TW_USERINTERFACE ui{};
    ui.ShowUI = bShowUI ? TRUE : FALSE;
    TW_UINT16 rc = Src().Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    xfertest::CAcquisition::Pump();
    m_hDlg = FindScanDialog();
    return rc;
}

bool CDialogSession::SetFileOutputMode()
{
    TW_UINT32 v = TRUE;
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE) + 8);
    auto* p = static_cast<TW_ONEVALUE*>(GlobalLock(h));
    p->ItemType = TWTY_BOOL;
    std::memcpy(&p->Item, &v, sizeof v);
    GlobalUnlock(h);
    TW_CAPABILITY cap{0x8123, TWON_ONEVALUE, h};
    TW_UINT16 rc = Src().Control(DAT_CAPABILITY, MSG_SET, &cap);
    GlobalFree(h);
    return rc == TWRC_SUCCESS;
}

std::wstring CDialogSession::Title() const
{
    wchar_t sz[256] = L"";
    ::GetWindowTextW(m_hDlg, sz, 256);
    return sz;
}

std::wstring CDialogSession::Text(int nId) const
{
    wchar_t sz[256] = L"";
    ::GetWindowTextW(Item(nId), sz, 256);
    return sz;
}

std::wstring CDialogSession::InfoValue(int nLabelId) const
{
    for (HWND h = ::FindWindowExW(m_hDlg, nullptr, L"#32770", nullptr); h; h = ::FindWindowExW(m_hDlg, h, L"#32770", nullptr)) {
        if (HWND hValue = ::GetDlgItem(h, nLabelId + IDC_INFO_VALUE_OFFSET)) {
            wchar_t sz[128] = L"";
            ::GetWindowTextW(hValue, sz, 128);
            return sz;
        }
    }
    return L"";
}

bool CDialogSession::Shown(int nId) const
{
    return ::IsWindowVisible(Item(nId)) != FALSE;
}

bool CDialogSession::Enabled(int nId) const
{
    return ::IsWindowEnabled(Item(nId)) != FALSE;
}

void CDialogSession::Click(int nId)
{
    ::SendMessageW(Item(nId), BM_CLICK, 0, 0);
    xfertest::CAcquisition::Pump();
}

void CDialogSession::TypeName(const std::wstring& sText)
{
    HWND hEdit = ::GetWindow(Item(IDC_SETTING_NAME), GW_CHILD);
    ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
    ::SendMessageW(hEdit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : sText)
        ::SendMessageW(hEdit, WM_CHAR, c, 0);
    xfertest::CAcquisition::Pump();
}

std::vector<std::wstring> CDialogSession::Names() const
{
    std::vector<std::wstring> names;
    const LRESULT n = ::SendMessageW(Item(IDC_SETTING_NAME), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t sz[64] = L"";
        ::SendMessageW(Item(IDC_SETTING_NAME), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        names.push_back(sz);
    }
    return names;
}

void CDialogSession::Pick(int nListId, int nIndex)
{
    ::SendMessageW(Item(nListId), CB_SETCURSEL, nIndex, 0);
    ::SendMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(nListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(nListId)));
    xfertest::CAcquisition::Pump();
}

}  // namespace dlgtest
