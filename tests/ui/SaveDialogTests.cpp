// The save-settings page of file-output mode with its folder and e-mail dialogs, as a user meets
// them: the page in a window of its own, the dialogs found on the desktop, typed at and clicked
// from a second thread, and the record the calling program reads checked in its file.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "profile/FileNaming.h"
#include "profile/Language.h"
#include "settings/ImgSaveRecord.h"
#include "settings/SettingsProfile.h"
#include "settings/win/SettingsWin.h"
#include "ui/DialogSkin.h"
#include "ui/ImgSaveSets.h"
#include "ui/OutputDialogTest.h"
#include "ui/SaveDialogIds.h"
#include "ui/SaveNameRules.h"
#include "ui/ShellPickers.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

std::map<std::wstring, std::wstring> g_profile;
std::wstring ReadProfile(const wchar_t* pszKey) { return g_profile[pszKey]; }

std::wstring Today()
{
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return DatedPrefix(st.wYear, st.wMonth, st.wDay);
}

std::wstring Wide(const char16_t (&field)[kImgSaveTextUnits])
{
    const std::u16string s = ImgSaveText(field);
    return std::wstring(s.begin(), s.end());
}

void SetText(HWND hCtrl, const std::wstring& s)
{
    ::SendMessageTimeoutW(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
}

// The user selects the name and types over it.
void TypeName(HWND hDlg, const std::wstring& s)
{
    HWND hName = ::GetDlgItem(hDlg, IDC_FILEDLG_NAME);
    ::PostMessageW(hName, EM_SETSEL, 0, -1);
    TypeText(hName, s);
}

HWND OpenDialog(HWND hPage, int nButton, int nCtrlOfDialog)
{
    ClickCtrl(::GetDlgItem(hPage, nButton));
    return WaitForDialogWithCtrl(nCtrlOfDialog, 5000);
}

// The page in a window of its own, as in the scanning dialog; the settings location is a fresh
// folder of the test's, so each test starts without a record unless it stores one.
class SaveDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_en.Module(), nullptr);
        g_profile[L"Setting Path"] = L"\\" + m_sName + L"\\";
        SetTwainProfileReader(&ReadProfile);
        MessageDialogs().Clear();
    }
    void TearDown() override
    {
        SetTwainProfileReader(nullptr);
        std::error_code ec;
        fs::remove_all(AppDataFolder() + L"\\" + m_sName, ec);
    }
    std::wstring RecordPath() const { return AppDataFolder() + L"\\" + m_sName + L"\\imgSaveSettings.dat"; }
    void StoreRecord(const std::wstring& sFolder, const char16_t* pszType)
    {
        SImgSaveRecord rec = DefaultImgSaveRecord(std::u16string(sFolder.begin(), sFolder.end()));
        SetImgSaveText(rec.szFileType, pszType);
        fs::create_directories(fs::path(RecordPath()).parent_path());
        ASSERT_TRUE(WriteImgSaveFile(RecordPath(), rec));
    }
    SImgSaveRecord Stored() const
    {
        SImgSaveRecord rec{};
        EXPECT_EQ(ReadImgSaveFile(RecordPath(), rec), ImgSaveReadStatus::Ok);
        return rec;
    }
    // Shows the page (of the language in hLang) and runs user against it, if given.
    void WithPage(const std::function<void(CDlg_ImgSaveSets&, HWND)>& test, HINSTANCE hLang = nullptr)
    {
        CDlg_ImgSaveSets page(hLang ? hLang : m_en.Module());
        HWND hHost = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 60, 400, 180,
                                       nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(page.CreatePage(hHost, RECT{4, 4, 0, 0}));
        test(page, hHost);
        ::DestroyWindow(hHost);
    }

    CLangLibrary m_en{L"enus"};
    std::wstring m_sName = UniqueName(L"mvlsave");
    CTempDir m_dir;
};

TEST_F(SaveDialogs, FirstRunAndAWrongSizedFileGiveTheDefaults)
{
    const std::wstring sPictures = KnownFolder(CSIDL_MYPICTURES);
    for (int nRun = 0; nRun < 2; ++nRun) {
        WithPage([&](CDlg_ImgSaveSets& page, HWND) {
            EXPECT_EQ(page.FilePath(), RecordPath());
            EXPECT_EQ(CtrlText(page, IDC_SAVE_FOLDER), sPictures);
            EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"JPG");
            EXPECT_EQ(CtrlText(page, IDC_SAVE_DESTINATION), LoadDlgString(m_en.Module(), 1134));
            EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME).rfind(Today(), 0), 0u);
        });
        const SImgSaveRecord rec = Stored();
        EXPECT_EQ(Wide(rec.szFolder), sPictures);
        EXPECT_EQ(Wide(rec.szFileType), L"jpg");
        EXPECT_EQ(rec.bOpenFolder + 2 * rec.bOpenFile + 4 * rec.nDestination, 1u);
        fs::resize_file(RecordPath(), kImgSaveRecordBytes + 1);
    }
}

TEST_F(SaveDialogs, BaseNameFollowsTheDaysFiles)
{
    for (const wchar_t* psz : {L"001.jpg", L"002.tif"})
        std::ofstream(m_dir.Path() / (Today() + psz)) << "x";
    StoreRecord(m_dir.Path().wstring(), u"tif");
    WithPage([&](CDlg_ImgSaveSets& page, HWND) {
        EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME), Today() + L"003");
        EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"TIF");
    });
}

TEST_F(SaveDialogs, FolderDialogRefusesBadNamesAndFoldersAndTakesA200CharacterFolder)
{
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    const std::wstring sBase = m_dir.Path().wstring() + L"\\";
    const std::wstring s200 = sBase + std::wstring(200 - sBase.size(), L'd');
    fs::create_directories(s200);
    WithPage([&](CDlg_ImgSaveSets& page, HWND hHost) {
        RunUser(hHost, [&] {
            HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
            ASSERT_NE(hDlg, nullptr);
            HWND hOk = ::GetDlgItem(hDlg, IDC_SAVEDLG_OK);
            auto refused = [&](const std::wstring& sName, const std::wstring& sFolder, UINT nMessage) {
                TypeName(hDlg, sName);
                SetText(::GetDlgItem(hDlg, IDC_FILEDLG_FOLDER), sFolder);
                EXPECT_EQ(ClickForMessage(hOk).sText, LoadDlgString(m_en.Module(), nMessage)) << nMessage;
            };
            for (wchar_t c : std::wstring(L"\\/:*?\"<>|"))
                refused(std::wstring(L"scan") + c, s200, 1125);
            refused(L"   ", s200, 1126);
            refused(L"scan", s200 + L"d", 1127);
            EXPECT_TRUE(::IsWindowVisible(hDlg));
            SetText(::GetDlgItem(hDlg, IDC_FILEDLG_FOLDER), s200);
            ClickCtrl(hOk);
            EXPECT_TRUE(WaitGone(hDlg, 5000));
        });
        EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME), L"scan");
    });
    EXPECT_EQ(Wide(Stored().szFolder), s200);
}

// Run as root, the tests can write anywhere but to an immutable folder of the Unix file system;
// the attribute is set with the Unix tool, which Wine starts like a program of its own.
void RunUnix(std::wstring sCommand)
{
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(nullptr, sCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, 5000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

TEST_F(SaveDialogs, UnwritableFolderIsRefusedBeforeAnyOverwriteQuestion)
{
    const std::wstring sUnix = L"/tmp/" + UniqueName(L"mvlro");
    const fs::path folder = L"Z:" + sUnix;
    fs::create_directories(folder);
    std::ofstream(folder / L"scan.jpg") << "image";
    RunUnix(L"/usr/bin/chattr +i " + sUnix);
    if (!WaitUntil([&] { return !std::ofstream(folder / L"probe"); }, 3000))
        GTEST_SKIP() << "no immutable folders on this file system";
    StoreRecord(folder.wstring(), u"jpg");
    WithPage([&](CDlg_ImgSaveSets& page, HWND hHost) {
        RunUser(hHost, [&] {
            HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
            ASSERT_NE(hDlg, nullptr);
            TypeName(hDlg, L"scan");
            EXPECT_EQ(ClickForMessage(::GetDlgItem(hDlg, IDC_SAVEDLG_OK)).sText, LoadDlgString(m_en.Module(), 1129));
            ::Sleep(300);
            EXPECT_EQ(MessageDialogs().Seen().size(), 1u);
            ClickCtrl(::GetDlgItem(hDlg, IDC_SAVEDLG_CANCEL));
            EXPECT_TRUE(WaitGone(hDlg, 5000));
        });
    });
    EXPECT_TRUE(fs::exists(folder / L"scan.jpg"));
    RunUnix(L"/usr/bin/chattr -i " + sUnix);
    std::error_code ec;
    fs::remove_all(folder, ec);
}

TEST_F(SaveDialogs, OverwriteQuestionCancelKeepsFileAndDialogAndOkReplaces)
{
    const fs::path target = m_dir.Path() / L"scan.jpg";
    std::ofstream(target) << "image";
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    CManualMessageDialogs manual;
    WithPage([&](CDlg_ImgSaveSets& page, HWND hHost) {
        RunUser(hHost, [&] {
            HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
            ASSERT_NE(hDlg, nullptr);
            TypeName(hDlg, L"scan");
            for (int nAnswer : {IDCANCEL, IDOK}) {
                SMessageDialog ask = ClickForMessage(::GetDlgItem(hDlg, IDC_SAVEDLG_OK));
                EXPECT_EQ(ask.sText, LoadDlgString(m_en.Module(), 1130));
                ::PostMessageW(::GetDlgItem(ask.hWnd, nAnswer), BM_CLICK, 0, 0);
                EXPECT_TRUE(WaitGone(ask.hWnd, 5000));
                ::Sleep(200);
                EXPECT_EQ(fs::exists(target), nAnswer == IDCANCEL);
            }
            EXPECT_TRUE(WaitGone(hDlg, 5000));
        });
    });
}

TEST_F(SaveDialogs, CloseBoxKeepsOnlyTheCheckBoxesAndTheRecordSurvivesReopeningInLowerCase)
{
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    WithPage([&](CDlg_ImgSaveSets& page, HWND hHost) {
        const std::wstring sName = CtrlText(page, IDC_SAVE_NAME);
        RunUser(hHost, [&] {
            HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
            ASSERT_NE(hDlg, nullptr);
            TypeName(hDlg, L"typed");
            ClickCtrl(::GetDlgItem(hDlg, IDC_FILEDLG_OPEN_FILE));
            ClickCtrl(::GetDlgItem(hDlg, IDC_FILEDLG_OPEN_FOLDER));
            ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(WaitGone(hDlg, 5000));
        });
        EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME), sName);
        page.SetFileType(L"TIF");
    });
    EXPECT_EQ(Wide(Stored().szFileType), L"tif");
    WithPage([&](CDlg_ImgSaveSets& page, HWND) {
        EXPECT_EQ(Wide(page.Record().szFolder), m_dir.Path().wstring());
        EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"TIF");
        EXPECT_EQ(page.Record().bOpenFile, 1u);
        EXPECT_EQ(page.Record().bOpenFolder, 0u);
    });
}

// The program chooser: the file dialog's name box (a combo box, cmb13, or an edit, edt1) and OK.
void PickProgram(HWND hMail, const std::wstring& sPath)
{
    ClickCtrl(::GetDlgItem(hMail, IDC_MAILDLG_ADD));
    HWND hOpen = nullptr;
    WaitUntil([&] { return (hOpen = WaitForDialogWithCtrl(1148, 0)) || (hOpen = WaitForDialogWithCtrl(1152, 0)); }, 5000);
    ASSERT_NE(hOpen, nullptr);
    HWND hName = ::GetDlgItem(hOpen, 1148) ? ::GetDlgItem(hOpen, 1148) : ::GetDlgItem(hOpen, 1152);
    HWND hEdit = ::FindWindowExW(hName, nullptr, L"Edit", nullptr);
    SetText(hEdit ? hEdit : hName, sPath);
    ::PostMessageW(::GetDlgItem(hOpen, IDOK), BM_CLICK, 0, 0);
    WaitGone(hOpen, 5000);
}

TEST_F(SaveDialogs, EmailDialogTakesOnlyAnExistingProgramAndMakesEmailTheDestination)
{
    StoreRecord(m_dir.Path().wstring(), u"pdf");
    const fs::path program = m_dir.Path() / L"mail.exe";
    std::ofstream(program) << "MZ";
    WithPage([&](CDlg_ImgSaveSets& page, HWND hHost) {
        RunUser(hHost, [&] {
            HWND hMail = OpenDialog(page, IDC_SAVE_EMAIL_BUTTON, IDC_MAILDLG_ADD);
            ASSERT_NE(hMail, nullptr);
            PickProgram(hMail, (m_dir.Path() / L"none.exe").wstring());
            EXPECT_TRUE(MessageDialogs().WaitFor(LoadDlgString(m_en.Module(), 1132), 5000));
            EXPECT_TRUE(WaitUntil([&] { return CtrlText(hMail, IDC_MAILDLG_PROGRAM).empty(); }, 3000));
            PickProgram(hMail, program.wstring());
            EXPECT_TRUE(WaitUntil([&] { return CtrlText(hMail, IDC_MAILDLG_PROGRAM) == program.wstring(); }, 3000));
            ClickCtrl(::GetDlgItem(hMail, IDC_SAVEDLG_OK));
            EXPECT_TRUE(WaitGone(hMail, 5000));
        });
        EXPECT_EQ(CtrlText(page, IDC_SAVE_DESTINATION), LoadDlgString(m_en.Module(), 1135));
    });
    EXPECT_EQ(Stored().nDestination, 1u);
    EXPECT_EQ(Wide(Stored().szEmailProgram), program.wstring());
}

TEST_F(SaveDialogs, Gallery)
{
    StoreRecord(m_dir.Path().wstring(), u"pdf");
    for (const wchar_t* pszCode : {L"enus", L"ar"}) {
        CLangLibrary lang(pszCode);
        ASSERT_NE(lang.Module(), nullptr);
        g_bHebrew = std::wstring(pszCode) == L"ar";
        WithPage(
            [&](CDlg_ImgSaveSets& page, HWND hHost) {
                ShootChecked(page, "save-settings-page", pszCode);
                RunUser(hHost, [&] {
                    for (auto [nButton, nCtrl, pszShot] :
                         {std::tuple{IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER, "save-folder-dialog"},
                          std::tuple{IDC_SAVE_EMAIL_BUTTON, IDC_MAILDLG_ADD, "save-email-dialog"}}) {
                        HWND hDlg = OpenDialog(page, nButton, nCtrl);
                        ASSERT_NE(hDlg, nullptr);
                        ShootChecked(hDlg, pszShot, pszCode);
                        ClickCtrl(::GetDlgItem(hDlg, IDC_SAVEDLG_CANCEL));
                        EXPECT_TRUE(WaitGone(hDlg, 5000));
                    }
                });
            },
            lang.Module());
    }
    g_bHebrew = FALSE;
}

}  // namespace
