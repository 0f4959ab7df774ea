// The scanning dialog through the UI implementation and holder that own it, built into this
// program with the data source's fallback templates (so that file-output mode can be switched
// directly, without the capability that switches it in the data source).
#include <gtest/gtest.h>

#include "twain/DsProxy.h"
#include "twain/FakeUI.h"
#include "twain/ScanValues.h"
#include "twain/UIImp.h"
#include "ui/MainUIDialog.h"

// The module the fallback templates are linked into: this program.
HINSTANCE g_hInstance = GetModuleHandleW(nullptr);

// The scan controller is not part of this program: no scan starts.
int CMainUIDialog::StartScanWithoutUI()
{
    return 1;
}

// Nor is a language library: the dialog falls back to the templates linked in here.
void SelectLanguage(wchar_t* pszCode)
{
    if (pszCode)
        *pszCode = L'\0';
}
std::wstring ResourceLibraryPath(const std::wstring&)
{
    return L"";
}
CLangResource::CLangResource(const std::wstring&) {}
CLangResource::~CLangResource() = default;

namespace {

class CFakeProxy : public CDsProxy {
public:
    int CloseNotify(int nFlag) override
    {
        m_nLastFlag = nFlag;
        ++m_nCloseNotifies;
        return 0;
    }
    int ScannerOp1(int, int, int) override { return 1; }
    int ScannerOp2(int, int, int, int) override { return 0; }
    int ScannerOp3(int) override { return 1; }
    int ScannerOp4(int) override { return 1; }
    int ScannerOp5() override { return 1; }
    int m_nCloseNotifies = 0;
    int m_nLastFlag = -1;
};

std::wstring Title(HWND hWnd)
{
    wchar_t sz[64] = L"";
    GetWindowTextW(hWnd, sz, 64);
    return sz;
}

std::wstring ClassOf(HWND hWnd)
{
    wchar_t sz[64] = L"";
    GetClassNameW(hWnd, sz, 64);
    return sz;
}

struct CFileOutputMode {
    explicit CFileOutputMode(bool b) { g_bFileOutputMode = b; }
    ~CFileOutputMode() { g_bFileOutputMode = false; }
};

}  // namespace

TEST(MainUIDialog, CreatedFromTheNormalTemplateWithItsClass)
{
    CFakeProxy proxy;
    CTwainUIImp imp;
    ASSERT_EQ(0, imp.Create(&proxy, nullptr));
    ASSERT_NE(nullptr, imp.Dialog());
    HWND hDlg = imp.Dialog()->GetSafeHwnd();
    EXPECT_EQ(CMainUIDialog::IDD, imp.Dialog()->TemplateId());
    EXPECT_EQ(L"Q7100UIFLAG", ClassOf(hDlg));
    EXPECT_EQ(L"TWAIN", Title(hDlg));
    EXPECT_FALSE(IsWindowVisible(hDlg));
    EXPECT_TRUE(imp.Dialog()->HasMessageHook());
    EXPECT_EQ(0, imp.Show(SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(hDlg));
    // Destroy answers 1 even when it destroyed something.
    EXPECT_EQ(1, imp.Destroy());
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_EQ(nullptr, imp.Dialog());
}

TEST(MainUIDialog, FileOutputModeUsesTemplate1004)
{
    CFileOutputMode mode(true);
    CTwainUIImp imp;
    ASSERT_EQ(0, imp.Create(nullptr, nullptr));
    EXPECT_EQ(CMainUIDialog::IDD_FILE_OUTPUT, imp.Dialog()->TemplateId());
    EXPECT_EQ(L"TWAIN (save to file)", Title(imp.Dialog()->GetSafeHwnd()));
}

TEST(MainUIDialog, SecondCreationReplacesTheFirst)
{
    CTwainUIImp imp;
    ASSERT_EQ(0, imp.Create(nullptr, nullptr));
    HWND hFirst = imp.Dialog()->GetSafeHwnd();
    ASSERT_EQ(0, imp.Create(nullptr, nullptr));
    HWND hSecond = imp.Dialog()->GetSafeHwnd();
    EXPECT_NE(hFirst, hSecond);
    EXPECT_FALSE(IsWindow(hFirst));
    EXPECT_TRUE(IsWindow(hSecond));
    // The class is shared by both and outlives the replaced one.
    EXPECT_EQ(L"Q7100UIFLAG", ClassOf(hSecond));
}

TEST(MainUIDialog, WithoutADialogShowAndDestroyAnswerOne)
{
    CTwainUIImp imp;
    EXPECT_EQ(1, imp.Show(SW_SHOWNORMAL));
    EXPECT_EQ(1, imp.Destroy());
    MSG msg{nullptr, WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(1, imp.FilterMessage(&msg));
    EXPECT_EQ(1, imp.FilterMessage(nullptr));

    CFakeUI holder;
    EXPECT_EQ(1, holder.Show(SW_SHOWNORMAL));
    EXPECT_EQ(1, holder.DestroyDlg());
    EXPECT_EQ(1, holder.FilterMessage(&msg));
    EXPECT_EQ(nullptr, holder.Dialog());
    ASSERT_EQ(0, holder.CreateDlg(nullptr, nullptr));
    ASSERT_NE(nullptr, holder.Dialog());
    HWND hDlg = holder.Dialog()->GetSafeHwnd();
    EXPECT_EQ(0, holder.Show(SW_HIDE));
    EXPECT_EQ(0, holder.DestroyDlg());
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_EQ(1, holder.DestroyDlg());
}

TEST(MainUIDialog, FilterMessageLetsTheCKeyThroughAndTakesDialogKeys)
{
    CTwainUIImp imp;
    ASSERT_EQ(0, imp.Create(nullptr, nullptr));
    HWND hDlg = imp.Dialog()->GetSafeHwnd();
    imp.Show(SW_SHOWNORMAL);
    MSG keyC{hDlg, WM_KEYDOWN, 0x43, 0, 0, {}};
    EXPECT_EQ(0, imp.FilterMessage(&keyC));
    // A message for a window outside the dialog is not its business.
    HWND hOther = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MSG other{hOther, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(1, imp.FilterMessage(&other));
    MSG tab{GetDlgItem(hDlg, CMainUIDialog::IDC_SCAN), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(0, imp.FilterMessage(&tab));
    DestroyWindow(hOther);
}

TEST(MainUIDialog, OnlyTheCloseButtonAsksToClose)
{
    CFakeProxy proxy;
    CTwainUIImp imp;
    ASSERT_EQ(0, imp.Create(&proxy, nullptr));
    HWND hDlg = imp.Dialog()->GetSafeHwnd();
    imp.Show(SW_SHOWNORMAL);
    // Escape while the focus is elsewhere does nothing.
    SetFocus(GetDlgItem(hDlg, CMainUIDialog::IDC_SCAN));
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(0, proxy.m_nCloseNotifies);
    EXPECT_TRUE(IsWindow(hDlg));
    // The Close button with the focus asks the data source to close; the window stays until then.
    SetFocus(GetDlgItem(hDlg, IDCANCEL));
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, proxy.m_nCloseNotifies);
    EXPECT_EQ(0, proxy.m_nLastFlag);
    EXPECT_TRUE(imp.Dialog()->UserClosed());
    EXPECT_TRUE(IsWindow(hDlg));
}

