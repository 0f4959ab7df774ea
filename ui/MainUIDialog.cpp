#include "ui/MainUIDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <filesystem>

#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "device/TestSeams.h"
#include "profile/Language.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/ScanJob.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "twain/DsProxy.h"
#include "twain/ScanValues.h"
#include "imaging/ImgEffectBinding.h"
#include "transfer/Image.h"
#include "ui/AdvancedSetting.h"
#include "ui/BasicSetting.h"
#include "ui/DialogClass.h"
#include "ui/Dlg_About.h"
#include "ui/Dlg_ImgINFO.h"
#include "ui/Dlg_SettingInfo.h"
#include "ui/ImgSaveSets.h"
#include "ui/ScanOutput.h"
#include "ui/MainDialogIds.h"
#include "ui/MessageHook.h"
#include "ui/PortSettingDlg.h"
#include "ui/ScanController.h"
#include "ui/ScanDialogsSetup.h"
#include "ui/SettingName.h"

namespace {

constexpr UINT kMsgFileOutputReady = 0x943;  // to the parent, once the file-output title is set

// The spool files of earlier runs ("Mor*.tmp" in the temporary folder) that nobody holds any more.
void DeleteLeftoverSpools()
{
    wchar_t szTemp[MAX_PATH + 2] = L"";
    DWORD n = ::GetTempPathW(MAX_PATH, szTemp);
    if (n == 0 || n > MAX_PATH)
        return;
    std::wstring sDir(szTemp, n);
    if (sDir.back() != L'\\')
        sDir += L'\\';
    WIN32_FIND_DATAW fd{};
    HANDLE hFind = ::FindFirstFileW((sDir + L"Mor*.tmp").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        // A spool still mapped by a running scan cannot be deleted and stays.
        ::DeleteFileW((sDir + fd.cFileName).c_str());
    } while (::FindNextFileW(hFind, &fd));
    ::FindClose(hFind);
}

struct SToolTip {
    int nCtrlId;
    UINT nTextId;
};
const SToolTip kToolTips[] = {
    {IDC_CLEAR_PREVIEW, IDS_TIP_FIRST + 0}, {IDC_SAVE_SETTING, IDS_TIP_FIRST + 1},
    {IDC_DELETE_SETTING, IDS_TIP_FIRST + 2}, {IDC_DETAILS, IDS_TIP_FIRST + 3},
    {IDC_PORT, IDS_TIP_FIRST + 4},         {IDC_HELP_BUTTON, IDS_TIP_FIRST + 5},
    {IDC_ABOUT, IDS_TIP_FIRST + 6},        {IDC_PREVIEW, IDS_TIP_FIRST + 7},
    {IDC_SCAN, IDS_TIP_FIRST + 8},         {IDCANCEL, IDS_TIP_FIRST + 9},
    {IDC_BASIC_TAB, IDS_TIP_FIRST + 10},   {IDC_ADVANCED_TAB, IDS_TIP_FIRST + 11},
    {IDC_UNIT_LIST, IDS_TIP_FIRST + 12},   {IDC_TOOL_SELECT, IDS_TIP_TOOL_FIRST + 0},
    {IDC_TOOL_ZOOM_IN, IDS_TIP_TOOL_FIRST + 1}, {IDC_TOOL_ZOOM_OUT, IDS_TIP_TOOL_FIRST + 2},
    {IDC_TOOL_HAND, IDS_TIP_TOOL_FIRST + 3},
};

const SCtrlText kControlTexts[] = {
    {IDC_SETTING_LABEL, IDS_SETTING_LABEL},
    {IDC_INFO_CAPTION, IDS_INFO_CAPTION},
    {IDC_UNIT_LABEL, IDS_UNIT_LABEL},
};

// The skinned text buttons.
const SCtrlText kButtonTexts[] = {
    {IDC_SAVE_SETTING, IDS_SAVE}, {IDC_DELETE_SETTING, IDS_DELETE}, {IDC_BASIC_TAB, IDS_BASIC_TAB},
    {IDC_ADVANCED_TAB, IDS_ADVANCED_TAB}, {IDC_DETAILS, IDS_DETAILS}, {IDC_CLEAR_PREVIEW, IDS_CLEAR},
    {IDC_PORT, IDS_PORT}, {IDC_HELP_BUTTON, IDS_HELP}, {IDC_ABOUT, 1014}, {IDC_PREVIEW, IDS_PREVIEW},
    {IDC_SCAN, IDS_SCAN}, {IDCANCEL, 1017},
};

// The unit list: inches, millimetres, pixels (the record's unit is the index).
const UINT kUnitNames[] = {1004, 1003, 1002};

HWND CreateToolTips(HWND hDlg)
{
    HWND hTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hDlg, nullptr, nullptr, nullptr);
    if (!hTip)
        return nullptr;
    for (const SToolTip& tip : kToolTips) {
        HWND hCtrl = ::GetDlgItem(hDlg, tip.nCtrlId);
        if (!hCtrl)
            continue;
        std::wstring sText = LoadLangString(tip.nTextId);
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND;
        ti.hwnd = hDlg;
        ti.uId = reinterpret_cast<UINT_PTR>(hCtrl);
        ti.lpszText = sText.data();
        ::SendMessageW(hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    return hTip;
}

// The device address of a network connection, as the title shows it instead of "USB".
std::wstring ConnectionAddress(const SScanParamRecord& rec)
{
    const char* psz = rec.nConnection == 1 ? rec.szAddress1 : rec.szAddress2;
    std::string s(psz, strnlen(psz, kAddressBytes));
    return std::wstring(s.begin(), s.end());
}

}  // namespace

CMainUIDialog::CMainUIDialog(UINT nIdTemplate, HINSTANCE hResModule, CDsProxy* pProxy)
    : CDialog(nIdTemplate, hResModule), m_pProxy(pProxy)
{
    DeleteLeftoverSpools();
    LoadLanguageLibrary();
    // May be null when the class exists already (registered by someone who still holds it
    // under another module handle); the templates then find that one.
    m_pClass = CDialogClassCopy::Acquire(kMainUIClassName, ResourceModule());
    RegisterHandlers();
}

void CMainUIDialog::LoadLanguageLibrary()
{
    wchar_t szCode[kLanguageCodeChars] = {};
    SelectLanguage(szCode);
    m_sLangCode = szCode;
    const std::wstring sPath = ResourceLibraryPath(szCode);
    TraceW(L"%ls", sPath.c_str());
    m_lang.emplace(sPath);
    if (m_lang->Loaded())
        SetResourceModule(m_lang->Module());
    else
        m_lang.reset();
}

CMainUIDialog::~CMainUIDialog()
{
    *m_pAlive = false;
    StopPreview();
    RemoveMessageHook();
    // The window goes before the class it was created from is released.
    if (m_hWnd)
        DestroyWindow();
}

void CMainUIDialog::RemoveMessageHook()
{
    m_pHook.reset();
}

void CMainUIDialog::RegisterHandlers()
{
    CMessageMap& map = Map();
    map.OnCommand(IDC_SCAN, [this] { OnBnClickedScan(); });
    map.OnCommand(IDC_PREVIEW, this, &CMainUIDialog::OnBnClickedPreview);
    map.OnCommand(IDC_HELP_BUTTON, this, &CMainUIDialog::OnHelp);
    map.OnCommand(IDC_ABOUT, this, &CMainUIDialog::OnAbout);
    map.OnCommand(IDC_DETAILS, this, &CMainUIDialog::OnDetails);
    map.OnCommand(IDC_CLEAR_PREVIEW, this, &CMainUIDialog::OnClearPreview);
    map.OnCommand(IDC_PORT, this, &CMainUIDialog::OnPort);
    map.OnCommand(IDC_BASIC_TAB, [this] { OnPageTab(false); });
    map.OnCommand(IDC_ADVANCED_TAB, [this] { OnPageTab(true); });
    map.OnCommand(IDC_UNIT_LIST, this, &CMainUIDialog::OnUnitChanged, CBN_SELCHANGE);
    map.OnCommand(IDC_SAVE_SETTING, this, &CMainUIDialog::OnSaveSetting);
    map.OnCommand(IDC_DELETE_SETTING, this, &CMainUIDialog::OnDeleteSetting);
    map.OnCommand(IDC_SETTING_NAME, this, &CMainUIDialog::OnNameEdited, CBN_EDITCHANGE);
    map.OnCommand(IDC_SETTING_NAME, this, &CMainUIDialog::OnNameSelected, CBN_SELCHANGE);
    map.OnTimer(kTimerFocusScan, [this] {
        KillTimer(kTimerFocusScan);
        ::SetFocus(GetDlgItem(IDC_SCAN));
    });
    map.OnTimer(kTimerBringToTop, this, &CMainUIDialog::OnTimerBringToTop);
    map.OnTimer(kTimerAfterAbout, [this] {
        KillTimer(kTimerAfterAbout);
        m_bPreviewDrawing = true;
        ::InvalidateRect(GetDlgItem(IDC_PREVIEW_FRAME), nullptr, TRUE);
    });
    map.OnRaw(WM_SHOWWINDOW, [this](WPARAM wParam, LPARAM, LRESULT&) {
        if (wParam) {
            SetTimer(kTimerBringToTop, 100);
            PlaceSessionDialog();
        }
        return false;
    });
    map.OnRaw(WM_CLOSE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        Close();
        lResult = 0;
        return true;
    });
    map.OnRaw(WM_ACTIVATE, [this](WPARAM wParam, LPARAM, LRESULT&) {
        OnActivate(wParam);
        return false;
    });
    map.OnRaw(WM_DESTROY, [this](WPARAM, LPARAM, LRESULT&) {
        OnDestroyWindow();
        return false;
    });
    map.OnRaw(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        lResult = PaintBackground(reinterpret_cast<HDC>(wParam)) ? 1 : 0;
        return lResult != 0;
    });
    map.OnRaw(WM_CTLCOLORSTATIC, [](WPARAM wParam, LPARAM, LRESULT& lResult) {
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        lResult = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    });
}

BOOL CMainUIDialog::OnInitDialog()
{
    m_bWithUI = !SessionNoUI();
    // 1. Keyboard messages of the application's loop reach this dialog.
    m_pHook = std::make_unique<CGetMessageHook>([this](MSG& msg, bool bRemoved) { OnHookedMessage(msg, bRemoved); });
    // What the preview and the basic page read when they initialise: sources, crop, A3 (the
    // preview's extents), horizontal, merge.
    ReadPageFlags();
    // 2. to 4. The controls, the pages, the name box.
    InitControls();
    CreatePages();
    ::SendDlgItemMessageW(m_hWnd, IDC_SETTING_NAME, CB_LIMITTEXT, kSettingNameChars, 0);
    // 5. The profile into the controls, then the user's settings.
    ReadDialogFlags();
    if (!RestoreSettings()) {
        TraceA("CMainUIDialog::OnInitDialog: the settings could not be restored");
        EndDialog(IDABORT);
        return FALSE;
    }
    // 6. to 8.
    ShowRecord();
    g_LLD.DevMon_Load();
    if (m_bWithUI)
        CheckConnection(Record());
    SetTitle();
    m_background.Load(ResourceModule(), 1001);
    m_commandBand.Load(ResourceModule(), 1002);
    ::SetFocus(GetDlgItem(IDC_SCAN));
    SetTimer(kTimerFocusScan, 120);
    return FALSE;
}

void CMainUIDialog::InitControls()
{
    for (auto [pButton, nId] : {std::pair{&m_btnScan, IDC_SCAN}, {&m_btnPreview, IDC_PREVIEW}, {&m_btnClose, IDCANCEL},
                                {&m_btnPort, IDC_PORT}, {&m_btnHelp, IDC_HELP_BUTTON}, {&m_btnAbout, IDC_ABOUT},
                                {&m_btnSave, IDC_SAVE_SETTING}, {&m_btnDelete, IDC_DELETE_SETTING},
                                {&m_btnClear, IDC_CLEAR_PREVIEW}, {&m_btnDetails, IDC_DETAILS},
                                {&m_btnBasic, IDC_BASIC_TAB}, {&m_btnAdvanced, IDC_ADVANCED_TAB}})
        AttachTextButton(*pButton, m_hWnd, nId);
    // The tab of the page shown stays pressed.
    m_btnBasic.SetCheckBehaviour(true);
    m_btnAdvanced.SetCheckBehaviour(true);
    SetControlTexts(m_hWnd, kControlTexts, static_cast<int>(std::size(kControlTexts)));
    SetButtonTexts(m_hWnd, kButtonTexts, static_cast<int>(std::size(kButtonTexts)));
    FillComboBox(GetDlgItem(IDC_UNIT_LIST), kUnitNames, static_cast<int>(std::size(kUnitNames)));
    EnableWindow(TRUE);
    // The preview control lays itself out over the frame with its scroll bars.
    InitPreview();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_hToolTip = CreateToolTips(m_hWnd);
}

void CMainUIDialog::CreatePages()
{
    // A test stands in for the user who ticks manual duplex on the basic page.
    if (SeamValue(kSeamManualDuplex).value_or(0) != 0)
        g_bManualDuplex = true;
    // The advanced page first: the basic page applies the colour mode to it.
    m_pAdvancedPage = std::make_unique<CAdvancedSetting>(ResourceModule(), *this);
    m_pAdvancedPage->CreateOver(m_hWnd, IDC_SETTINGS_AREA, false);
    m_pBasicPage = std::make_unique<CBasicSetting>(ResourceModule(), *this);
    m_pBasicPage->CreateOver(m_hWnd, IDC_SETTINGS_AREA, true);
    m_pInfo = std::make_unique<CDlg_ImgINFO>(ResourceModule());
    m_pInfo->CreateOver(m_hWnd, IDC_INFO_AREA, true);
    if (g_bFileOutputMode)
        CreateSavePage();
    // Only one of Save and Delete shows at a time, in the same place.
    RECT rc = CWnd(GetDlgItem(IDC_SAVE_SETTING)).GetWindowRectIn(m_hWnd);
    ::SetWindowPos(GetDlgItem(IDC_DELETE_SETTING), nullptr, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    OnPageTab(false);
}

// Where the calling program is to save the pages: the page loads and stores its record itself,
// and the scan controller reads the output files' names from it.
void CMainUIDialog::CreateSavePage()
{
    RECT rc = CWnd(GetDlgItem(IDC_SAVE_PAGE_AREA)).GetWindowRectIn(m_hWnd);
    ::InflateRect(&rc, -1, -1);
    m_pSavePage = std::make_unique<CDlg_ImgSaveSets>(ResourceModule());
    if (!m_pSavePage->CreatePage(m_hWnd, rc))
        return;
    SetScanOutput(m_pSavePage.get());
    // The basic page shows the type, merge scanning and manual duplex the page's dialogs chose.
    m_pSavePage->SetOnChanged([this] { RefreshPages(); });
    m_pSavePage->SetOnManualDuplexLoaded([this](bool) { RefreshPages(); });
}

void CMainUIDialog::OnPort()
{
    // Outside file-output mode the title names the connection.
    if (RunPortSettings(m_hWnd, ResourceModule(), Record()) && !g_bFileOutputMode)
        SetTitle();
}

void CMainUIDialog::ShowRecord()
{
    m_bShowingRecord = true;
    const int nUnit = Record().nUnit;
    ::SendDlgItemMessageW(m_hWnd, IDC_UNIT_LIST, CB_SETCURSEL, nUnit >= 0 && nUnit <= 2 ? nUnit : 0, 0);
    // The basic page first: its colour mode and lists may correct the record the other shows.
    if (m_pBasicPage)
        m_pBasicPage->Refresh();
    if (m_pAdvancedPage)
        m_pAdvancedPage->Refresh();
    UpdateRulerDpi();
    RefreshPreviewLayout();
    RefreshSettingsDisplays();
    m_bShowingRecord = false;
}

SScanParamRecord& CMainUIDialog::Record()
{
    return CScanController::Instance().Record();
}

void CMainUIDialog::SetScanOutput(IScanOutput* pOutput)
{
    m_pOutput = pOutput;
    CScanController::Instance().SetScanOutput(pOutput);
}

void CMainUIDialog::OnScanAreaChanged()
{
    UpdateRulerDpi();
    PlaceTrackerOnPaper();
    RefreshSettingsDisplays();
}

void CMainUIDialog::ApplyColourModeRules()
{
    if (m_pAdvancedPage)
        m_pAdvancedPage->ApplyColourModeRules();
}

IScanOutput& CMainUIDialog::SaveChoices()
{
    return m_pOutput ? *m_pOutput : m_unsavedOutput;
}

void CMainUIDialog::RefreshSettingsDisplays()
{
    if (m_pSavePage)
        m_pSavePage->SetFeederSource(CScanController::Instance().IsFeeder());
    if (m_pInfo && m_pInfo->GetSafeHwnd())
        m_pInfo->Refresh(Record(), CScanController::Instance().ScanArea(), CScanController::Instance().Dpi());
}

void CMainUIDialog::SetTitle()
{
    std::wstring sTitle;
    if (g_bFileOutputMode) {
        const wchar_t* pszSection = LanguageName(g_LangugueID);
        sTitle = ReadProfileString(pszSection ? pszSection : L"English", L"AP UI Title");
    } else {
        const std::wstring sProduct = ReadModelKey(L"Product Name");
        sTitle = g_bHebrew ? L"(" + sProduct + L" TWAIN (USB" : sProduct + L" TWAIN (USB)";
        if (Record().nConnection != 0)
            sTitle.replace(sTitle.find(L"USB"), 3, ConnectionAddress(Record()));
    }
    SetWindowText(sTitle);
    if (g_bFileOutputMode)
        if (HWND hParent = ::GetParent(m_hWnd))
            ::PostMessageW(hParent, kMsgFileOutputReady, 0, 0);
}

bool CMainUIDialog::PaintBackground(HDC hDC)
{
    RECT rc = GetClientRect();
    if (!m_background.Paint(hDC, rc))
        return false;
    // The command buttons stand on a band of their own along the bottom.
    const RECT rcScan = CWnd(GetDlgItem(IDC_SCAN)).GetWindowRectIn(m_hWnd);
    RECT rcBand{rc.left, rcScan.top - (rc.bottom - rcScan.bottom), rc.right, rc.bottom};
    m_commandBand.Paint(hDC, rcBand);
    return true;
}

void CMainUIDialog::OnHookedMessage(MSG& msg, bool bRemoved)
{
    if (!bRemoved)
        return;
    if (m_hToolTip && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        ::SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    // Key-up to Unicode-character messages; the key-down itself is the application's.
    if (msg.message < WM_KEYUP || msg.message > WM_UNICHAR)
        return;
    if (PreTranslateMessage(&msg))
        msg.message = WM_NULL;
}

BOOL CMainUIDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg && OnAltKey(*pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

bool CMainUIDialog::OnAltKey(const MSG& msg)
{
    if (msg.message != WM_SYSKEYDOWN || !m_hWnd || (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)))
        return false;
    auto bDown = [](BYTE nKey) { return (::GetKeyState(nKey) & 0x8000) != 0; };
    // Posted: the hook runs inside the application's message retrieval. The preview starts
    // from its button, which takes the focus as a click gives it.
    if (bDown(g_byPreviewKey)) {
        ::SetFocus(GetDlgItem(IDC_PREVIEW));
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED));
    }
    else if (bDown(g_byScanKey))
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SCAN, BN_CLICKED));
    else
        return false;
    return true;
}

void CMainUIDialog::OnHelp()
{
    const std::wstring sPath = HelpFilePath(m_sLangCode, g_bFileOutputMode);
    std::error_code ec;
    bool bShown = std::filesystem::is_regular_file(std::filesystem::path(sPath), ec) &&
                  reinterpret_cast<INT_PTR>(::ShellExecuteW(m_hWnd, L"open", sPath.c_str(), nullptr, nullptr,
                                                            SW_SHOWNORMAL)) > 32;
    if (!bShown)
        ShowErrorText(LoadLangString(1096), m_hWnd);
}

void CMainUIDialog::OnAbout()
{
    m_bPreviewDrawing = false;
    EnableWindow(FALSE);
    CDlg_About dlg(ResourceModule());
    dlg.DoModal(m_hWnd);
    EnableWindow(TRUE);
    SetTimer(kTimerAfterAbout, 200);
}

void CMainUIDialog::OnDetails()
{
    CDlg_SettingInfo dlg(ResourceModule());
    dlg.SetSettings(Record(), CScanController::Instance().ScanArea(), CScanController::Instance().Dpi());
    dlg.DoModal(m_hWnd);
}

void CMainUIDialog::OnClearPreview()
{
    if (ShowWarningText(LoadLangString(1098), m_hWnd, true) != IDOK)
        return;
    // The placeholder: grey for the flatbed, white for a feeder.
    ShowPlaceholder();
    m_btnClear.EnableWindow(FALSE);
}

void CMainUIDialog::OnPageTab(bool bAdvanced)
{
    if (m_pBasicPage && m_pBasicPage->GetSafeHwnd())
        m_pBasicPage->ShowWindow(bAdvanced ? SW_HIDE : SW_SHOW);
    if (m_pAdvancedPage && m_pAdvancedPage->GetSafeHwnd())
        m_pAdvancedPage->ShowWindow(bAdvanced ? SW_SHOW : SW_HIDE);
    // The tab of the page shown looks pressed.
    m_btnBasic.SetCheck(!bAdvanced);
    m_btnAdvanced.SetCheck(bAdvanced);
}

void CMainUIDialog::OnUnitChanged()
{
    const LRESULT n = ::SendDlgItemMessageW(m_hWnd, IDC_UNIT_LIST, CB_GETCURSEL, 0, 0);
    if (n < 0 || n > 2 || n == Record().nUnit)
        return;
    Record().nUnit = static_cast<int32_t>(n);
    UpdateRulerDpi();
    OnSettingChanged();
}

void CMainUIDialog::OnCancel()
{
    // Escape must not close the window: only the Close button itself does.
    HWND hClose = GetDlgItem(IDCANCEL);
    if (IsWindowVisible() && hClose && ::GetFocus() != hClose)
        return;
    Close();
}

void CMainUIDialog::Close()
{
    m_bUserClosed = true;
    // A scan running now stops; the pages the application has already received stay its own.
    if (CScanJob::Current().IsBusy())
        gbcancel = TRUE;
    // A preview stops first: the application hears of the close once its thread has ended.
    if (m_previewThread.joinable()) {
        m_bCloseAfterPreview = true;
        return;
    }
    if (m_pProxy)
        m_pProxy->CloseNotify(0);
}

void CMainUIDialog::OnTimerBringToTop()
{
    KillTimer(kTimerBringToTop);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CMainUIDialog::OnActivate(WPARAM)
{
    if (!m_bDeferredClose)
        return;
    m_bDeferredClose = false;
    CScanJob::Current().CloseDeviceOnce(false);
    SessionCloseRequest();
}

void CMainUIDialog::OnDestroyWindow()
{
    StopPreview();
    g_LLD.DevMon_Unload();
    if (m_bWithUI && m_bRestored)
        WriteCurrentSetting();
    if (g_bFileOutputMode && m_pOutput)
        m_pOutput->Store();
    // The description goes with the dialog that owns it (a dialog replacing this one has its own).
    if (CScanController::Instance().ScanOutput() == m_pOutput)
        SetScanOutput(nullptr);
}
