#include "ui/MainDialogSession.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "device/ScanParamRecord.h"
#include "ui/DialogDriver.h"
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

void Shot(HWND hWnd, const char* pszDialog, const wchar_t* pszCode)
{
    // Windows of this thread paint when their messages are served.
    for (int i = 0; i < 10; ++i) {
        xfertest::CAcquisition::Pump();
        Sleep(30);
    }
    EXPECT_TRUE(mvltest::SaveGalleryShot(hWnd, pszDialog, pszCode)) << pszDialog;
}

CDialogSession::CDialogSession(const std::string& sProfileExtra, const std::string& sSimDevice,
                               const std::string& sSimFaults, const std::string& sModelKeys)
    : m_acq(sSimDevice, sSimFaults, sProfileExtra, sModelKeys)
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
    Click(Item(nId));
}

void CDialogSession::Click(HWND hCtrl)
{
    ::SendMessageW(hCtrl, BM_CLICK, 0, 0);
    xfertest::CAcquisition::Pump();
}

HWND CDialogSession::Page(EPage ePage) const
{
    // Each page is known by a control only it has: the basic page's source list, the advanced
    // page's Restore Defaults.
    const int nMark = ePage == kBasicPage ? 10297 : 10291;
    for (HWND h = ::FindWindowExW(m_hDlg, nullptr, L"#32770", nullptr); h; h = ::FindWindowExW(m_hDlg, h, L"#32770", nullptr))
        if (::GetDlgItem(h, nMark))
            return h;
    return nullptr;
}

std::vector<std::wstring> CDialogSession::ListTexts(HWND hList)
{
    std::vector<std::wstring> texts;
    const LRESULT n = ::SendMessageW(hList, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t sz[128] = L"";
        ::SendMessageW(hList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        texts.push_back(sz);
    }
    return texts;
}

int CDialogSession::Selected(HWND hList)
{
    return static_cast<int>(::SendMessageW(hList, CB_GETCURSEL, 0, 0));
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
    return ListTexts(Item(IDC_SETTING_NAME));
}

void CDialogSession::Pick(HWND hList, int nIndex)
{
    ::SendMessageW(hList, CB_SETCURSEL, nIndex, 0);
    ::SendMessageW(::GetParent(hList), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hList), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hList));
    xfertest::CAcquisition::Pump();
}

}  // namespace dlgtest
