#include "ui/PortSettingDlg.h"

#include <algorithm>
#include <cstring>

#include "device/LLDGlobal.h"
#include "profile/Language.h"
#include "profile/Trace.h"
#include "ui/DialogSkin.h"
#include "ui/HostTextRule.h"
#include "ui/MessageDialogs.h"
#include "ui/SaveDialogIds.h"
#include "ui/SaveNameRules.h"

namespace {

constexpr UINT kBackground = 10443;
constexpr UINT kTitle = 1183;
constexpr UINT kConnectFailed = 1141;
constexpr UINT_PTR kTimerRadios = 1001;
constexpr UINT kTimerMillis = 100;
// A search answer beyond this many scanners is not believed.
constexpr int kMaxScanners = 256;
constexpr UINT kRadioIds[3] = {IDC_PORT_USB, IDC_PORT_SEARCH, IDC_PORT_HOST_RADIO};
constexpr COLORREF kRadioBacks[3] = {RGB(249, 249, 249), RGB(240, 240, 240), RGB(230, 230, 230)};

std::wstring AnsiToWide(const char* psz, std::size_t nMax)
{
    const int nLen = static_cast<int>(strnlen(psz, nMax));
    const int nWide = ::MultiByteToWideChar(CP_ACP, 0, psz, nLen, nullptr, 0);
    std::wstring s(static_cast<std::size_t>(std::max(nWide, 0)), L'\0');
    if (nWide > 0)
        ::MultiByteToWideChar(CP_ACP, 0, psz, nLen, s.data(), nWide);
    return s;
}

// Into a 256-byte field, cut to 255 bytes without splitting a double-byte character.
void WideToAnsiField(const std::wstring& s, char (&field)[kAddressBytes])
{
    std::memset(field, 0, sizeof field);
    const int nBytes = ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return;
    std::string sAnsi(static_cast<std::size_t>(nBytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), sAnsi.data(), nBytes, nullptr, nullptr);
    std::size_t nKeep = 0;
    while (nKeep < sAnsi.size()) {
        const std::size_t nChar = ::IsDBCSLeadByte(static_cast<BYTE>(sAnsi[nKeep])) ? 2 : 1;
        if (nKeep + nChar > kAddressBytes - 1)
            break;
        nKeep += nChar;
    }
    std::memcpy(field, sAnsi.data(), nKeep);
}

// The names a search finds, on the worker's thread: the count first, then the list of that
// many 256-byte entries.
std::vector<std::string> SearchNetwork()
{
    std::vector<std::string> names;
    int nCount = 0;
    if (g_LLD.DevMon_BroadcastMFP(&nCount, nullptr) != 0 || nCount <= 0)
        return names;
    const int nRoom = std::min(nCount, kMaxScanners);
    std::vector<char> list(static_cast<std::size_t>(nRoom) * kDeviceNameBytes, '\0');
    nCount = nRoom;
    if (g_LLD.DevMon_BroadcastMFP(&nCount, list.data()) != 0)
        return names;
    for (int i = 0; i < std::clamp(nCount, 0, nRoom); ++i) {
        const char* pEntry = list.data() + static_cast<std::size_t>(i) * kDeviceNameBytes;
        names.emplace_back(pEntry, strnlen(pEntry, kDeviceNameBytes));
    }
    return names;
}

}  // namespace

bool RunPortSettings(HWND hParent, HINSTANCE hResModule, SScanParamRecord& rec)
{
    g_LLD.DevMon_Load();
    CPortSettingDlg dlg(hResModule, rec);
    if (dlg.DoModal(hParent) != IDOK)
        return false;
    const SScanParamRecord& chosen = dlg.Record();
    const bool bChanged = chosen.nConnection != rec.nConnection ||
                          std::memcmp(chosen.szAddress1, rec.szAddress1, kAddressBytes) != 0 ||
                          std::memcmp(chosen.szAddress2, rec.szAddress2, kAddressBytes) != 0;
    rec.nConnection = chosen.nConnection;
    std::memcpy(rec.szAddress1, chosen.szAddress1, kAddressBytes);
    std::memcpy(rec.szAddress2, chosen.szAddress2, kAddressBytes);
    return bChanged;
}

CPortSettingDlg::CPortSettingDlg(HINSTANCE hResModule, const SScanParamRecord& rec)
    : CSkinnedDialog(IDD, hResModule, false), m_rec(rec)
{
    m_rec.szAddress1[kAddressBytes - 1] = '\0';
    m_rec.szAddress2[kAddressBytes - 1] = '\0';
    Map().OnCommand(IDC_PORT_USB, this, &CPortSettingDlg::SelectUsb);
    Map().OnCommand(IDC_PORT_SEARCH, this, &CPortSettingDlg::SelectSearch);
    Map().OnCommand(IDC_PORT_HOST_RADIO, [this] { SelectHost(true); });
    Map().OnCommand(IDC_PORT_HOST, [this] { SelectHost(false); }, EN_SETFOCUS);
    Map().OnCommand(IDC_PORT_HOST, this, &CPortSettingDlg::OnHostChanged, EN_CHANGE);
    Map().OnCommand(IDC_PORT_REFRESH, this, &CPortSettingDlg::StartSearch);
    Map().OnCommand(IDOK, this, &CPortSettingDlg::OnOk);
    Map().OnCommand(IDCANCEL, [this] { Finish(IDCANCEL); });
    // The close box works also while a worker runs (the Cancel button may be all a user has
    // against a search that never answers).
    Map().OnRaw(WM_CLOSE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        Finish(IDCANCEL);
        lResult = 0;
        return true;
    });
    Map().OnTimer(kTimerRadios, this, &CPortSettingDlg::OnOneShotTimer);
    Map().OnMessage(kMsgSearchDone, this, &CPortSettingDlg::OnSearchDone);
    Map().OnMessage(kMsgTestDone, this, &CPortSettingDlg::OnTestDone);
}

void CPortSettingDlg::AttachControls()
{
    for (int i = 0; i < 3; ++i) {
        m_radios[i].SubclassDlgItem(kRadioIds[i], m_hWnd);
        m_radios[i].SetBackColor(kRadioBacks[i]);
    }
    m_searching.SubclassDlgItem(IDC_PORT_SEARCHING, m_hWnd);
    AttachTextButton(m_btnRefresh, m_hWnd, IDC_PORT_REFRESH);
    AttachTextButton(m_btnOk, m_hWnd, IDOK);
    AttachTextButton(m_btnCancel, m_hWnd, IDCANCEL);
    SetDlgStrings(m_hWnd, ResourceModule(),
                  {{IDC_PORT_USB, 1179}, {IDC_PORT_SEARCH, 1180}, {IDC_PORT_HOST_RADIO, 1181},
                   {IDC_PORT_REFRESH, 1178}, {IDC_PORT_SEARCHING, 1182}, {IDOK, 1090}, {IDCANCEL, 1092}});
    SetWindowText(LoadDlgString(ResourceModule(), kTitle));
}

BOOL CPortSettingDlg::OnInitDialog()
{
    SetBackground(kBackground);
    AttachControls();
    ::SendDlgItemMessageW(m_hWnd, IDC_PORT_HOST, EM_LIMITTEXT, kMaxHostChars, 0);
    ::ShowWindow(GetDlgItem(IDC_PORT_SEARCHING), SW_HIDE);
    m_nMode = m_rec.nConnection <= kModeHost ? m_rec.nConnection : kModeUsb;
    CheckMode(kRadioIds[m_nMode]);
    ::EnableWindow(GetDlgItem(IDC_PORT_REFRESH), m_nMode == kModeSearch);
    if (m_nMode == kModeSearch && m_rec.szAddress1[0]) {
        HWND hList = GetDlgItem(IDC_PORT_LIST);
        const std::wstring sAddress1 = AnsiToWide(m_rec.szAddress1, kAddressBytes);
        ::SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sAddress1.c_str()));
        ::SendMessageW(hList, CB_SETCURSEL, 0, 0);
    }
    m_sLastHost = AnsiToWide(m_rec.szAddress2, kAddressBytes);
    m_bFiltering = true;
    ::SetDlgItemTextW(m_hWnd, IDC_PORT_HOST, m_sLastHost.c_str());
    m_bFiltering = false;
    ::EnableWindow(GetDlgItem(IDC_PORT_LIST), FALSE);
    SetTimer(kTimerRadios, kTimerMillis);
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    return TRUE;
}

BOOL CPortSettingDlg::PreTranslateMessage(MSG* pMsg)
{
    // Up and Down would walk the radio group from the host field.
    if (pMsg && pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_UP || pMsg->wParam == VK_DOWN) &&
        pMsg->hwnd == GetDlgItem(IDC_PORT_HOST))
        return TRUE;
    return CSkinnedDialog::PreTranslateMessage(pMsg);
}

void CPortSettingDlg::CheckMode(UINT nRadio)
{
    ::CheckRadioButton(m_hWnd, IDC_PORT_USB, IDC_PORT_HOST_RADIO, static_cast<int>(nRadio));
}

void CPortSettingDlg::OnOneShotTimer()
{
    KillTimer(kTimerRadios);
    const bool bSearch = ::IsDlgButtonChecked(m_hWnd, IDC_PORT_SEARCH) == BST_CHECKED;
    const bool bHasEntries = ::SendDlgItemMessageW(m_hWnd, IDC_PORT_LIST, CB_GETCOUNT, 0, 0) > 0;
    if (::IsDlgButtonChecked(m_hWnd, IDC_PORT_USB) == BST_CHECKED) {
        m_nMode = kModeUsb;
    } else if (bSearch && bHasEntries) {
        m_nMode = kModeSearch;
    } else if (::IsDlgButtonChecked(m_hWnd, IDC_PORT_HOST_RADIO) == BST_CHECKED) {
        m_nMode = kModeHost;
        ::SetFocus(GetDlgItem(IDC_PORT_HOST));
    }
    ::EnableWindow(GetDlgItem(IDC_PORT_LIST), bSearch && bHasEntries);
}

void CPortSettingDlg::SelectUsb()
{
    CheckMode(IDC_PORT_USB);
    m_nMode = kModeUsb;
    ::EnableWindow(GetDlgItem(IDC_PORT_LIST), FALSE);
    ::EnableWindow(GetDlgItem(IDC_PORT_REFRESH), FALSE);
}

void CPortSettingDlg::SelectSearch()
{
    CheckMode(IDC_PORT_SEARCH);
    m_nMode = kModeSearch;
    ::EnableWindow(GetDlgItem(IDC_PORT_REFRESH), TRUE);
    if (::SendDlgItemMessageW(m_hWnd, IDC_PORT_LIST, CB_GETCOUNT, 0, 0) <= 0)
        StartSearch();
    else
        ::EnableWindow(GetDlgItem(IDC_PORT_LIST), TRUE);
}

void CPortSettingDlg::SelectHost(bool bFocusEdit)
{
    if (m_bBusy)
        return;
    CheckMode(IDC_PORT_HOST_RADIO);
    m_nMode = kModeHost;
    ::EnableWindow(GetDlgItem(IDC_PORT_LIST), FALSE);
    ::EnableWindow(GetDlgItem(IDC_PORT_REFRESH), FALSE);
    if (bFocusEdit)
        ::SetFocus(GetDlgItem(IDC_PORT_HOST));
}

void CPortSettingDlg::SetBusy(bool bBusy)
{
    m_bBusy = bBusy;
    for (int nId : {IDC_PORT_USB, IDC_PORT_SEARCH, IDC_PORT_HOST_RADIO, IDC_PORT_HOST, IDOK})
        ::EnableWindow(GetDlgItem(nId), !bBusy);
    const bool bSearchMode = m_nMode == kModeSearch;
    const bool bHasEntries = ::SendDlgItemMessageW(m_hWnd, IDC_PORT_LIST, CB_GETCOUNT, 0, 0) > 0;
    ::EnableWindow(GetDlgItem(IDC_PORT_REFRESH), !bBusy && bSearchMode);
    ::EnableWindow(GetDlgItem(IDC_PORT_LIST), !bBusy && bSearchMode && bHasEntries);
    ::ShowWindow(GetDlgItem(IDC_PORT_SEARCHING), bBusy ? SW_SHOW : SW_HIDE);
    RedrawUnder(GetDlgItem(IDC_PORT_SEARCHING));
}

void CPortSettingDlg::StartSearch()
{
    CheckMode(IDC_PORT_SEARCH);
    m_nMode = kModeSearch;
    ::SendDlgItemMessageW(m_hWnd, IDC_PORT_LIST, CB_RESETCONTENT, 0, 0);
    SetBusy(true);
    auto pFound = std::make_shared<std::vector<std::string>>();
    m_pFound = pFound;
    // The library stays loaded for the worker even if the scanning dialog unloads it meanwhile.
    std::shared_ptr<void> pPin = g_LLD.PinLibrary();
    if (!m_worker.Start(m_hWnd, kMsgSearchDone, [pFound, pPin]() -> WPARAM {
            *pFound = SearchNetwork();
            return 0;
        }))
        PostMessage(kMsgSearchDone);
}

LRESULT CPortSettingDlg::OnSearchDone(WPARAM, LPARAM)
{
    HWND hList = GetDlgItem(IDC_PORT_LIST);
    ::SendMessageW(hList, CB_RESETCONTENT, 0, 0);
    if (m_pFound)
        for (const std::string& sName : *m_pFound) {
            const std::wstring sWide = AnsiToWide(sName.c_str(), sName.size());
            ::SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sWide.c_str()));
        }
    m_pFound.reset();
    if (::SendMessageW(hList, CB_GETCOUNT, 0, 0) > 0) {
        ::SendMessageW(hList, CB_SETCURSEL, 0, 0);
        const std::wstring sAddress1 = AnsiToWide(m_rec.szAddress1, kAddressBytes);
        const LRESULT nAt = ::SendMessageW(hList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(sAddress1.c_str()));
        if (!sAddress1.empty() && nAt != CB_ERR)
            ::SendMessageW(hList, CB_SETCURSEL, static_cast<WPARAM>(nAt), 0);
    }
    SetBusy(false);
    return 0;
}

void CPortSettingDlg::OnHostChanged()
{
    if (m_bFiltering)
        return;
    HWND hEdit = GetDlgItem(IDC_PORT_HOST);
    const std::wstring sTyped = HostText();
    const std::wstring sKept = FilterHostText(sTyped, m_sLastHost);
    m_sLastHost = sKept;
    if (sKept == sTyped)
        return;
    // The caret stays after what the user typed, less what was taken away.
    DWORD dwEnd = 0;
    ::SendMessageW(hEdit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&dwEnd));
    const std::size_t nRemoved = sTyped.size() > sKept.size() ? sTyped.size() - sKept.size() : 0;
    const DWORD dwCaret = static_cast<DWORD>(std::min<std::size_t>(dwEnd > nRemoved ? dwEnd - nRemoved : 0, sKept.size()));
    m_bFiltering = true;
    ::SetWindowTextW(hEdit, sKept.c_str());
    m_bFiltering = false;
    ::SendMessageW(hEdit, EM_SETSEL, dwCaret, dwCaret);
}

std::wstring CPortSettingDlg::ListText() const
{
    HWND hList = GetDlgItem(IDC_PORT_LIST);
    const LRESULT nSel = ::SendMessageW(hList, CB_GETCURSEL, 0, 0);
    if (nSel == CB_ERR)
        return {};
    const LRESULT nLen = ::SendMessageW(hList, CB_GETLBTEXTLEN, static_cast<WPARAM>(nSel), 0);
    if (nLen == CB_ERR || nLen <= 0)
        return {};
    std::wstring s(static_cast<std::size_t>(nLen) + 1, L'\0');
    const LRESULT nGot = ::SendMessageW(hList, CB_GETLBTEXT, static_cast<WPARAM>(nSel), reinterpret_cast<LPARAM>(s.data()));
    s.resize(nGot == CB_ERR ? 0 : static_cast<std::size_t>(nGot));
    return s;
}

std::wstring CPortSettingDlg::HostText() const
{
    return CWnd(GetDlgItem(IDC_PORT_HOST)).GetWindowText();
}

void CPortSettingDlg::OnOk()
{
    if (m_bBusy)
        return;
    if (m_nMode == kModeUsb) {
        m_rec.nConnection = kModeUsb;
        Finish(IDOK);
        return;
    }
    std::wstring sTarget;
    if (m_nMode == kModeSearch) {
        sTarget = TrimBlanks(ListText());
    } else {
        sTarget = TrimBlanks(HostText());
        m_bFiltering = true;
        ::SetDlgItemTextW(m_hWnd, IDC_PORT_HOST, sTarget.c_str());
        m_bFiltering = false;
        if (sTarget.empty()) {
            ::SetFocus(GetDlgItem(IDC_PORT_HOST));
            return;
        }
        if (sTarget.size() > kMaxHostChars) {
            ::SetDlgItemTextW(m_hWnd, IDC_PORT_HOST, AnsiToWide(m_rec.szAddress2, kAddressBytes).c_str());
            return;
        }
    }
    // Nothing to test: the answer is known.
    if (sTarget.empty()) {
        OnTestDone(static_cast<WPARAM>(-1), 0);
        return;
    }
    SNetProbe probe{};
    char szTarget[kAddressBytes];
    WideToAnsiField(sTarget, szTarget);
    std::memcpy(probe.szTarget, szTarget, kAddressBytes);
    std::strcpy(probe.szCommunity, "orchid");
    SetBusy(true);
    std::shared_ptr<void> pPin = g_LLD.PinLibrary();
    if (!m_worker.Start(m_hWnd, kMsgTestDone, [probe, pPin]() mutable -> WPARAM {
            return static_cast<WPARAM>(g_LLD.DevMon_DetectNetMFP(&probe));
        }))
        PostMessage(kMsgTestDone, static_cast<WPARAM>(-1));
}

LRESULT CPortSettingDlg::OnTestDone(WPARAM nResult, LPARAM)
{
    SetBusy(false);
    const std::wstring sList = ListText();
    const std::wstring sText = m_nMode == kModeSearch ? sList : HostText();
    if (static_cast<int>(nResult) != 0 || sText.empty()) {
        CErrorDlg dlg(ResourceModule());
        dlg.SetMessage(LoadDlgString(ResourceModule(), kConnectFailed));
        dlg.SetRightToLeft(g_bHebrew != FALSE);
        dlg.Show(m_hWnd);
        ::SetFocus(GetDlgItem(IDC_PORT_LIST));
        return 0;
    }
    m_rec.nConnection = m_nMode;
    WideToAnsiField(sList, m_rec.szAddress1);
    WideToAnsiField(HostText(), m_rec.szAddress2);
    Finish(IDOK);
    return 0;
}

void CPortSettingDlg::Finish(INT_PTR nResult)
{
    KillTimer(kTimerRadios);
    m_worker.Abandon();
    EndDialog(nResult);
}
