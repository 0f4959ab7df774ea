// The scanning dialog's named settings: restoring them when the dialog opens, the name box with
// its list, Save and Delete, and the current setting written when the dialog goes.
#include <algorithm>

#include "device/CurrentProductFlags.h"
#include "device/LLDState.h"
#include "profile/ProductProfile.h"
#include "profile/Resources.h"
#include "profile/Trace.h"
#include "settings/ScanSettingsStore.h"
#include "settings/win/SettingsWin.h"
#include "twain/ScanValues.h"
#include "ui/MainDialogIds.h"
#include "ui/MainUIDialog.h"
#include "ui/ScanDialogsSetup.h"
#include "ui/SettingName.h"

namespace {

CScanSettingsStore SettingsStore()
{
    return CScanSettingsStore(SettingsFilePath(CurrentSettingsLocation(), g_bFileOutputMode));
}

ScanParamBlob ToBlob(const SScanParamRecord& rec)
{
    ScanParamBytes bytes = ScanParamToBytes(rec);
    ScanParamBlob blob{};
    std::copy(bytes.begin(), bytes.end(), blob.begin());
    return blob;
}

bool FromBlob(const ScanParamBlob& blob, SScanParamRecord& rec)
{
    return ScanParamFromBytes(blob.data(), blob.size(), rec);
}

}  // namespace

bool CMainUIDialog::RestoreSettings()
{
    const CSettingsLocation location = CurrentSettingsLocation();
    CScanSettingsStore store(SettingsFilePath(location, g_bFileOutputMode));
    CRestoreOptions options;
    options.m_bFileOutputMode = g_bFileOutputMode;
    options.m_szModelName = g_szModelName;
    options.m_bIsPlatformK = g_bIsPlatformK != FALSE;
    CRegistryNetInstallSource netSource;
    CRestoredSettings result;
    m_bRestored = ::RestoreSettings(store, NetInstallMarkerPath(location), options, *this, netSource, result);
    return m_bRestored;
}

void CMainUIDialog::WriteCurrentSetting()
{
    if (!SettingsStore().WriteCurrent(CurrentSettingName(), ToBlob(Record())))
        TraceA("CMainUIDialog: the current setting could not be written");
}

std::wstring CMainUIDialog::CurrentSettingName() const
{
    return CWnd(GetDlgItem(IDC_SETTING_NAME)).GetWindowText();
}

std::vector<std::wstring> CMainUIDialog::ListedNames() const
{
    std::vector<std::wstring> names;
    HWND hBox = GetDlgItem(IDC_SETTING_NAME);
    const LRESULT nCount = ::SendMessageW(hBox, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < nCount; ++i) {
        const LRESULT nLen = ::SendMessageW(hBox, CB_GETLBTEXTLEN, i, 0);
        std::wstring s(nLen > 0 ? static_cast<size_t>(nLen) : 0, L'\0');
        ::SendMessageW(hBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
        names.push_back(s.c_str());
    }
    return names;
}

void CMainUIDialog::ShowSaveButton(bool bSave, bool bEnabled)
{
    CWnd& shown = bSave ? m_btnSave : m_btnDelete;
    CWnd& hidden = bSave ? m_btnDelete : m_btnSave;
    hidden.EnableWindow(FALSE);
    hidden.ShowWindow(SW_HIDE);
    shown.EnableWindow(bEnabled ? TRUE : FALSE);
    shown.ShowWindow(SW_SHOW);
}

void CMainUIDialog::OnNameEdited()
{
    HWND hBox = GetDlgItem(IDC_SETTING_NAME);
    const std::wstring sTyped = CWnd(hBox).GetWindowText();
    const std::wstring sName = CleanSettingName(sTyped, true);
    if (sName != sTyped) {
        ::SetWindowTextW(hBox, sName.c_str());
        ::SendMessageW(hBox, CB_SETEDITSEL, 0, MAKELPARAM(sName.size(), sName.size()));
    }
    ShowSaveButton(true, CleanSettingName(sName) != LoadLangString(kIdsDefaultSettingName));
}

void CMainUIDialog::OnSaveSetting()
{
    std::vector<std::wstring> names = ListedNames();
    if (names.size() >= kMaxSettingNames) {
        ShowWarningText(LoadLangString(1100), m_hWnd, false);
        return;
    }
    const std::wstring sName = CleanSettingName(CurrentSettingName());
    if (sName == LoadLangString(kIdsDefaultSettingName)) {
        ShowSaveButton(true, false);
        return;
    }
    if (sName.empty() || sName == LoadLangString(kIdsChangedSettingName)) {
        ShowWarningText(LoadLangString(1108), m_hWnd, false);
        ::SetFocus(GetDlgItem(IDC_SETTING_NAME));
        return;
    }
    const bool bExists = std::find(names.begin(), names.end(), sName) != names.end();
    if (bExists && ShowWarningText(LoadLangString(1095), m_hWnd, true) != IDOK)
        return;
    if (SettingsStore().SaveNamed(sName, ToBlob(Record()))) {
        // A setting saved again moves to the end of the list, as in the file.
        HWND hBox = GetDlgItem(IDC_SETTING_NAME);
        const LRESULT nOld = ::SendMessageW(hBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(sName.c_str()));
        if (nOld != CB_ERR)
            ::SendMessageW(hBox, CB_DELETESTRING, nOld, 0);
        m_nPosition = static_cast<int>(::SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sName.c_str())));
        ::SendMessageW(hBox, CB_SETCURSEL, m_nPosition, 0);
    }
    ShowSaveButton(false, true);
}

void CMainUIDialog::OnDeleteSetting()
{
    const std::wstring sName = CurrentSettingName();
    if (sName.empty() || sName == LoadLangString(kIdsDefaultSettingName) ||
        sName == LoadLangString(kIdsChangedSettingName))
        return;
    if (!SettingsStore().DeleteNamed(sName))
        return;
    HWND hBox = GetDlgItem(IDC_SETTING_NAME);
    const LRESULT nAt = ::SendMessageW(hBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(sName.c_str()));
    if (nAt != CB_ERR)
        ::SendMessageW(hBox, CB_DELETESTRING, nAt, 0);
    m_nPosition = -1;
    ::SendMessageW(hBox, CB_SETCURSEL, 0, 0);
    OnNameSelected();
}

void CMainUIDialog::OnNameSelected()
{
    HWND hBox = GetDlgItem(IDC_SETTING_NAME);
    const LRESULT nPos = ::SendMessageW(hBox, CB_GETCURSEL, 0, 0);
    if (nPos < 0)
        return;
    m_nPosition = static_cast<int>(nPos);
    const std::wstring sName = ListedNames().at(static_cast<size_t>(nPos));
    ::SetWindowTextW(hBox, sName.c_str());
    ScanParamBlob blob{};
    SScanParamRecord rec{};
    if (!SettingsStore().LoadNamed(sName, blob) || !FromBlob(blob, rec))
        return;
    ApplyProductLimits(rec, CurrentProductFlags());
    Record() = rec;
    ShowRecord();
    const bool bDefault = sName == LoadLangString(kIdsDefaultSettingName);
    if (bDefault) {
        ShowPlaceholder();
        m_btnClear.EnableWindow(FALSE);
    } else {
        // The kept preview shows the setting's adjustments.
        ReprocessPreview();
    }
    ShowSaveButton(false, !bDefault);
    SetTitle();
}

void CMainUIDialog::OnSettingChanged()
{
    if (!m_bShowingRecord) {
        const std::wstring sCustom = LoadLangString(kIdsChangedSettingName);
        if (CurrentSettingName() != sCustom) {
            CWnd(GetDlgItem(IDC_SETTING_NAME)).SetWindowText(sCustom);
            ShowSaveButton(true, true);
            m_nPosition = -1;
        }
    }
    RefreshSettingsDisplays();
}

void CMainUIDialog::OnSettingsRestored()
{
    if (CurrentSettingName() != LoadLangString(kIdsDefaultSettingName))
        OnSettingChanged();
    else
        RefreshSettingsDisplays();
}

// ---- ISettingsRestoreHost --------------------------------------------------------------------

std::wstring CMainUIDialog::SettingText(int nStringId)
{
    return LoadLangString(static_cast<UINT>(nStringId));
}

ScanParamBlob CMainUIDialog::DefaultRecord()
{
    return ToBlob(DefaultScanParam(CurrentProductFlags()));
}

void CMainUIDialog::ApplyNetworkAddress(ScanParamBlob& record, const std::string& szAddress)
{
    SScanParamRecord rec{};
    if (!FromBlob(record, rec))
        rec = DefaultScanParam(CurrentProductFlags());
    rec.nConnection = 2;
    std::fill(std::begin(rec.szAddress2), std::end(rec.szAddress2), '\0');
    std::copy_n(szAddress.begin(), std::min<size_t>(szAddress.size(), kAddressBytes - 1), rec.szAddress2);
    record = ToBlob(rec);
}

void CMainUIDialog::UseFlatbedSource(ScanParamBlob& record)
{
    SScanParamRecord rec{};
    if (!FromBlob(record, rec))
        return;
    rec.nSource = kSourceFlatbed;
    record = ToBlob(rec);
}

void CMainUIDialog::ShowSettingNames(const std::vector<std::wstring>& names)
{
    HWND hBox = GetDlgItem(IDC_SETTING_NAME);
    ::SendMessageW(hBox, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& sName : names)
        ::SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sName.c_str()));
}

void CMainUIDialog::ShowSelectedSetting(int nPosition, bool bDeleteShown, bool bDeleteEnabled)
{
    m_nPosition = nPosition;
    if (nPosition >= 0)
        ::SendDlgItemMessageW(m_hWnd, IDC_SETTING_NAME, CB_SETCURSEL, nPosition, 0);
    ShowSaveButton(!bDeleteShown, bDeleteShown ? bDeleteEnabled : true);
}

void CMainUIDialog::UseRecord(const ScanParamBlob& record, const std::wstring& szName)
{
    SScanParamRecord rec{};
    if (!FromBlob(record, rec))
        rec = DefaultScanParam(CurrentProductFlags());
    ApplyProductLimits(rec, CurrentProductFlags());
    Record() = rec;
    CWnd(GetDlgItem(IDC_SETTING_NAME)).SetWindowText(szName);
}

void CMainUIDialog::UseOlderPlatformOpen()
{
    g_lldOpenFlags.bOlderPlatform = TRUE;
}

void CMainUIDialog::HidePortButton()
{
    // Help and About close up, so that no gap shows where the Port button was.
    auto place = [this](int nId) {
        return CWnd(GetDlgItem(nId)).GetWindowRectIn(m_hWnd);
    };
    if (::GetWindowLongW(m_btnPort, GWL_STYLE) & WS_VISIBLE) {
        const RECT rcPort = place(IDC_PORT), rcHelp = place(IDC_HELP_BUTTON);
        ::SetWindowPos(GetDlgItem(IDC_HELP_BUTTON), nullptr, rcPort.left, rcPort.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SetWindowPos(GetDlgItem(IDC_ABOUT), nullptr, rcHelp.left, rcHelp.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    m_btnPort.ShowWindow(SW_HIDE);
}
