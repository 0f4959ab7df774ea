#include "ui/ScanDialogsSetup.h"

#include <commctrl.h>

#include <memory>
#include <optional>

#include "device/LLDGlobal.h"
#include "device/LLDState.h"
#include "device/ScanMessages.h"
#include "profile/Language.h"
#include "profile/Resources.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/DeviceEvents.h"
#include "transfer/SessionLink.h"
#include "transfer/TransferFlags.h"
#include "transfer/ScanProgress.h"
#include "twain/UIImp.h"
#include "ui/MainUIDialog.h"
#include "ui/ManualDuplexDlg.h"
#include "ui/MergeScanDlg.h"
#include "ui/MessageDialogs.h"
#include "ui/ScanController.h"
#include "ui/ScanProgressDlg.h"

namespace {

// The dialogs need the language library's templates and strings; while no scanning dialog
// holds one, it is loaded for the time a dialog is up.
class CScopedUILanguage {
public:
    CScopedUILanguage()
    {
        if (CurrentResourceModule() != UIResourceModule())
            return;
        wchar_t szCode[kLanguageCodeChars] = {};
        SelectLanguage(szCode);
        m_pLang.emplace(ResourceLibraryPath(szCode));
    }
    HINSTANCE Module() const { return CurrentResourceModule(); }

private:
    std::optional<CLangResource> m_pLang;
};

HWND OwnerOnThisThread(HWND hWnd)
{
    if (!hWnd || !::IsWindow(hWnd))
        return nullptr;
    // A window of another thread would tie the two threads' input together for the dialog's life.
    return ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId() ? hWnd : nullptr;
}

void InitProgressClass()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
}

// The progress dialog under the language library that is current when it opens.
class CProgressDialogHost : public IScanProgress {
public:
    CProgressDialogHost() : m_dlg(nullptr) {}
    void SetMode(bool bFeeder, bool bReset) override { m_dlg.SetMode(bFeeder, bReset); }
    void RunModal(HWND hOwner) override
    {
        CScopedUILanguage lang;
        InitProgressClass();
        m_dlg.SetResourceModule(lang.Module());
        m_dlg.RunModal(OwnerOnThisThread(hOwner));
    }
    HWND Window() const override { return m_dlg.Window(); }
    HANDLE ReadyEvent() const override { return m_dlg.ReadyEvent(); }

private:
    CScanProgressDlg m_dlg;
};

void PresentScanMessage(int nStringId, const wchar_t* pszText)
{
    CScopedUILanguage lang;
    // Photoshop CS2 loses the scanning dialog behind its own windows before each message.
    if (g_appFlags.bPhotoshopCS2)
        PlaceSessionDialog();
    std::wstring sText = pszText ? std::wstring(pszText) : LoadLangString(static_cast<UINT>(nStringId));
    ShowErrorText(sText, SessionDialogWindow());
}

}  // namespace

INT_PTR ShowErrorText(const std::wstring& sText, HWND hParent)
{
    CScopedUILanguage lang;
    CErrorDlg dlg(lang.Module());
    dlg.SetMessage(sText);
    dlg.SetRightToLeft(g_bHebrew != FALSE);
    return dlg.Show(OwnerOnThisThread(hParent));
}

INT_PTR ShowWarningText(const std::wstring& sText, HWND hParent, bool bWithCancel)
{
    CScopedUILanguage lang;
    std::unique_ptr<CMessageDlg> pDlg;
    if (bWithCancel)
        pDlg = std::make_unique<CWarningDlg>(lang.Module());
    else
        pDlg = std::make_unique<CWarningOK>(lang.Module());
    pDlg->SetMessage(sText);
    pDlg->SetRightToLeft(g_bHebrew != FALSE);
    return pDlg->Show(OwnerOnThisThread(hParent));
}

void RunManualDuplexDialog(HWND hOwner)
{
    CScopedUILanguage lang;
    static CManualDuplexDlg s_dlg(nullptr);
    s_dlg.SetResourceModule(lang.Module());
    s_dlg.SetWindowHook([](HWND hWnd) {
        SetManualDuplexWindow(hWnd);
        return GetDevState() == kDevStateDuplexBegin;
    });
    s_dlg.SetCancelScan([] { g_LLD.DevMon_CancelScan(); });
    s_dlg.Run(OwnerOnThisThread(hOwner));
}

namespace {

// One merge-scan dialog per process: the capability handler and the scanning dialog's merge
// series share its count.
CDlg_MergeScan& MergeScanDialog()
{
    static CDlg_MergeScan s_dlg(nullptr);
    return s_dlg;
}

}  // namespace

void MarkMergeScanError(bool bError)
{
    if (bError)
        MergeScanDialog().MarkError();
    else
        MergeScanDialog().ClearErrorMark();
}

INT_PTR RunMergeScanDialog(HWND hOwner)
{
    CScopedUILanguage lang;
    CDlg_MergeScan& dlg = MergeScanDialog();
    dlg.SetResourceModule(lang.Module());
    return dlg.DoModal(OwnerOnThisThread(hOwner));
}

void ResetMergeScanDialog() { MergeScanDialog().Reset(); }

int MergeScanPageCount() { return MergeScanDialog().Count(); }

int ShowMergeScanDialog()
{
    HWND hScanDlg = SessionDialogWindow();
    if (!hScanDlg || ScanErrorReported() || gbcancel)
        return -1;
    MergeScanDialog().ClearErrorMark();
    INT_PTR nResult = RunMergeScanDialog(hScanDlg);
    // The scanning dialog scans the next page of the series when the posted click arrives.
    CScanController::Instance().SetMergeScanNextPage(nResult == IDOK);
    if (nResult == IDOK)
        ::PostMessageW(hScanDlg, WM_COMMAND, MAKEWPARAM(IDC_SCAN, BN_CLICKED), 0);
    else
        MergeScanDialog().Reset();
    return static_cast<int>(nResult);
}

void InstallScanDialogs()
{
    static CProgressDialogHost s_progress;
    SetScanProgress(&s_progress);
    SetManualDuplexRunner(&RunManualDuplexDialog);
    SetScanMessagePresenter(&PresentScanMessage);
}
