// The scanning dialog's Scan button: one scan through the scan controller, the self test that
// scans repeatedly with random settings, the merge series of file-output mode, and the scan
// an application starts without showing the dialog.
#include <cstdlib>
#include <ctime>
#include <cwchar>

#include "device/CurrentProductFlags.h"
#include "device/LLDState.h"
#include "device/ScanMessages.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/AppLink.h"
#include "transfer/SessionLink.h"
#include "twain/ScanValues.h"
#include "ui/MainUIDialog.h"
#include "ui/ScanController.h"
#include "ui/ScanDialogsSetup.h"
#include "ui/ScanOutput.h"

namespace {

struct SSelfTest {
    bool bColour = false, bResolution = false, bPaper = false;
    int nCount = 3;
    int nSeconds = 5;
};

int ProfileInt(const wchar_t* pszKey, int nDefault)
{
    const std::wstring s = ReadProfileString(L"Self Testing", pszKey);
    wchar_t* pEnd = nullptr;
    const long n = std::wcstol(s.c_str(), &pEnd, 10);
    return s.empty() || pEnd == s.c_str() ? nDefault : static_cast<int>(n);
}

bool SelfTestEnabled()
{
    return IsProfileTrue(ReadProfileString(L"Self Testing", L"Testing Enable"));
}

SSelfTest ReadSelfTest()
{
    SSelfTest t;
    t.bColour = IsProfileTrue(ReadProfileString(L"Self Testing", L"Color Random"));
    t.bResolution = IsProfileTrue(ReadProfileString(L"Self Testing", L"Resolution Random"));
    t.bPaper = IsProfileTrue(ReadProfileString(L"Self Testing", L"Paper Random"));
    t.nCount = ProfileInt(L"Testing Count", 3);
    t.nSeconds = ProfileInt(L"Testing Seconds", 5);
    return t;
}

int Random(int nRange)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return std::rand() % nRange;
}

std::wstring Printf(const wchar_t* pszFormat, const std::wstring& s, int a, int b, int c = 0)
{
    wchar_t sz[512] = L"";
    std::swprintf(sz, 512, pszFormat, s.c_str(), a, b, c);
    return sz;
}

}  // namespace

int CMainUIDialog::StartScanWithoutUI()
{
    UpdateNoUIScanParam(Record(), CScanController::NegotiatedValues(), CurrentProductFlags());
    return OnBnClickedScan();
}

int CMainUIDialog::OnBnClickedScan()
{
    ClearScanErrorReported();
    ArmCloseDsRequest();
    CScanController& ctl = CScanController::Instance();
    ctl.StartMergeTotal();
    int nResult = g_bFileOutputMode && SelfTestEnabled() ? RunSelfTest() : ctl.Scan_();
    if (g_bFileOutputMode && nResult == -1)
        nResult = MergeLoop(nResult);
    return nResult;
}

int CMainUIDialog::MergeLoop(int nResult)
{
    CScanController& ctl = CScanController::Instance();
    MarkMergeScanError(true);
    while (nResult == -1) {
        const bool bMergeChosen = m_pOutput && m_pOutput->MergeScan();
        TraceA("the merge scan parameters: g_bHasMergeScan=%d, bMergeScan=%d, m_bMergeScanNextPage=%d",
               g_bHasMergeScan ? 1 : 0, bMergeChosen ? 1 : 0, ctl.MergeScanNextPage() ? 1 : 0);
        if (!g_bHasMergeScan || !bMergeChosen || ctl.IsFeeder() || !ctl.MergeScanNextPage())
            break;
        TraceA("*** Reshow the merge scan dialog");
        const bool bContinue = RunMergeScanDialog(m_hWnd) == IDOK;
        ctl.SetMergeScanNextPage(bContinue);
        if (!bContinue) {
            if (m_pOutput)
                m_pOutput->MarkNameUsed();
            ResetMergeScanDialog();
            TraceA("*** Send the ds save state msg to dialog");
            SessionCloseDsOk();
            ctl.ResetMergeTotal();
            break;
        }
        ClearScanErrorReported();
        nResult = ctl.Scan_();
        if (nResult != -1)
            MarkMergeScanError(false);
        TraceA("scan return =%d, the scan pages=%d", nResult, MergeScanPageCount());
    }
    return nResult;
}

int CMainUIDialog::RunSelfTest()
{
    const SSelfTest test = ReadSelfTest();
    const std::wstring sTitle = GetWindowText();
    std::shared_ptr<bool> pAlive = m_pAlive;
    CScanController& ctl = CScanController::Instance();
    int nResult = 0;
    for (int nRun = 1;; ++nRun) {
        SScanParamRecord& rec = Record();
        if (test.bColour)
            rec.nColourMode = Random(3);
        if (test.bResolution)
            rec.nResolutionIndex = Random(5);
        if (test.bPaper)
            rec.nPaperIndex = Random(5);
        RefreshSettingsDisplays();
        SetWindowText(Printf(L"%ls: Scanned %d / %d", sTitle, nRun, test.nCount));
        nResult = ctl.Scan_();
        if (gbcancel || nRun >= test.nCount)
            break;
        TraceA("OnBnClickedScan: self testing: Scanned %d / %d, iColorMode = %d, iResolution = %d, iScansize = %d",
               nRun, test.nCount, rec.nColourMode, rec.nResolutionIndex, rec.nPaperIndex);
        if (!CountDown(sTitle, nRun, test.nCount, test.nSeconds))
            break;
    }
    // The window may have gone while the countdown served the application's messages.
    if (!*pAlive)
        return nResult;
    TraceA("TestScan::user cancled scanning!");
    SetWindowText(sTitle);
    return nResult;
}

bool CMainUIDialog::CountDown(const std::wstring& sTitle, int nRun, int nCount, int nSeconds)
{
    std::shared_ptr<bool> pAlive = m_pAlive;
    for (int nLeft = nSeconds; nLeft > 0; --nLeft) {
        SetWindowText(Printf(L"%ls: Scanned %d / %d, %d seconds next scan", sTitle, nRun, nCount, nLeft));
        const ULONGLONG nEnd = ::GetTickCount64() + 1000;
        for (ULONGLONG nNow = ::GetTickCount64(); nNow < nEnd; nNow = ::GetTickCount64()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(nEnd - nNow), QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (!*pAlive || !m_hWnd || gbcancel)
                return false;
        }
    }
    return true;
}
