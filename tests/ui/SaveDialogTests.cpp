// The save-settings page of file-output mode with its folder and e-mail dialogs, as a user meets
// them: the page in a window of its own, the dialogs found on the desktop, typed at and clicked
// from a second thread, and the record the calling program reads checked in its file.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "profile/Language.h"
#include "settings/ImgSaveRecord.h"
#include "ui/ImgSaveSets.h"
#include "ui/OutputDialogTest.h"
#include "ui/SaveDialogIds.h"
#include "ui/SaveNameRules.h"
#include "ui/ShellPickers.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

// The scanning dialog's part: a window the page lives in.
class CPageWindow {
public:
    explicit CPageWindow(CDlg_ImgSaveSets& page)
    {
        m_hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 60, 400, 180, nullptr,
                                   nullptr, nullptr, nullptr);
        m_bPage = page.CreatePage(m_hWnd, RECT{4, 4, 0, 0}) != FALSE;
    }
    ~CPageWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }
    bool HasPage() const { return m_bPage; }

private:
    HWND m_hWnd = nullptr;
    bool m_bPage = false;
};

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
    TypeText(hName, s.empty() ? std::wstring(L"\b") : s);
}

HWND OpenDialog(HWND hPage, int nButton, int nCtrlOfDialog)
{
    ClickCtrl(::GetDlgItem(hPage, nButton));
    return WaitForDialogWithCtrl(nCtrlOfDialog, 5000);
}

class SaveDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_en.Module(), nullptr);
        MessageDialogs().Clear();
    }
    // A record in the page's file, as an earlier session or the calling program left it.
    void StoreRecord(const std::wstring& sFolder, const char16_t* pszType)
    {
        SImgSaveRecord rec = DefaultImgSaveRecord(std::u16string(sFolder.begin(), sFolder.end()));
        SetImgSaveText(rec.szFileType, pszType);
        fs::create_directories(fs::path(m_settings.RecordPath()).parent_path());
        ASSERT_TRUE(WriteImgSaveFile(m_settings.RecordPath(), rec));
    }
    SImgSaveRecord Stored() const
    {
        SImgSaveRecord rec{};
        EXPECT_EQ(ReadImgSaveFile(m_settings.RecordPath(), rec), ImgSaveReadStatus::Ok);
        return rec;
    }

    CLangLibrary m_en{L"enus"};
    CSettingsFolder m_settings;
    CTempDir m_dir;
};

TEST_F(SaveDialogs, FirstRunShowsAndStoresTheDefaults)
{
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    ASSERT_TRUE(window.HasPage());
    EXPECT_EQ(page.FilePath(), m_settings.RecordPath());
    const std::wstring sPictures = KnownFolder(CSIDL_MYPICTURES);
    EXPECT_EQ(CtrlText(page, IDC_SAVE_FOLDER), sPictures);
    EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"JPG");
    EXPECT_EQ(CtrlText(page, IDC_SAVE_DESTINATION), Lang(m_en.Module(), 1134));
    EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME).rfind(Today(), 0), 0u);
    const SImgSaveRecord rec = Stored();
    EXPECT_EQ(Wide(rec.szFolder), sPictures);
    EXPECT_EQ(Wide(rec.szFileType), L"jpg");
    EXPECT_EQ(rec.bOpenFolder, 1u);
    EXPECT_EQ(rec.bOpenFile, 0u);
    EXPECT_EQ(rec.nDestination, 0u);
}

TEST_F(SaveDialogs, BaseNameFollowsTheDaysFilesAndAWrongSizedFileGivesTheDefaults)
{
    for (const wchar_t* psz : {L"001.jpg", L"002.tif"})
        std::ofstream(m_dir.Path() / (Today() + psz)) << "x";
    StoreRecord(m_dir.Path().wstring(), u"tif");
    {
        CDlg_ImgSaveSets page(m_en.Module());
        CPageWindow window(page);
        EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME), Today() + L"003");
        EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"TIF");
    }
    fs::resize_file(m_settings.RecordPath(), kImgSaveRecordBytes - 1);
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    EXPECT_EQ(CtrlText(page, IDC_SAVE_FOLDER), KnownFolder(CSIDL_MYPICTURES));
}

TEST_F(SaveDialogs, FolderDialogRefusesBadNamesAndFoldersAndTakesA200CharacterFolder)
{
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    const std::wstring sBase = m_dir.Path().wstring() + L"\\";
    const std::wstring s200 = sBase + std::wstring(200 - sBase.size(), L'd');
    fs::create_directories(s200);
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    RunUser(window.Get(), [&] {
        HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
        ASSERT_NE(hDlg, nullptr);
        HWND hOk = ::GetDlgItem(hDlg, IDC_SAVEDLG_OK);
        for (wchar_t c : std::wstring(L"\\/:*?\"<>|")) {
            TypeName(hDlg, std::wstring(L"scan") + c);
            EXPECT_EQ(ClickForMessage(hOk).sText, Lang(m_en.Module(), 1125)) << int(c);
        }
        TypeName(hDlg, L"   ");
        EXPECT_EQ(ClickForMessage(hOk).sText, Lang(m_en.Module(), 1126));
        TypeName(hDlg, L"scan");
        SetText(::GetDlgItem(hDlg, IDC_FILEDLG_FOLDER), s200 + L"d");
        EXPECT_EQ(ClickForMessage(hOk).sText, Lang(m_en.Module(), 1127));
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        SetText(::GetDlgItem(hDlg, IDC_FILEDLG_FOLDER), s200);
        ClickCtrl(hOk);
        EXPECT_TRUE(WaitGone(hDlg, 5000));
    });
    EXPECT_EQ(CtrlText(page, IDC_SAVE_NAME), L"scan");
    EXPECT_EQ(Wide(Stored().szFolder), s200);
}

// A folder even the root user the tests run as cannot write to: the immutable attribute of the
// Unix file system, set with the Unix tool (Wine starts Unix programs too).
class CUnwritableFolder {
public:
    explicit CUnwritableFolder(const std::wstring& sName) : m_sUnix(L"/tmp/" + sName), m_path(L"Z:" + m_sUnix)
    {
        fs::create_directories(m_path);
        std::ofstream(m_path / L"scan.jpg") << "image";
        RunUnix(L"/usr/bin/chattr +i " + m_sUnix);
    }
    ~CUnwritableFolder()
    {
        RunUnix(L"/usr/bin/chattr -i " + m_sUnix);
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    bool Unwritable() const
    {
        return WaitUntil([&] { return !std::ofstream(m_path / L"probe.txt"); }, 3000);
    }
    std::wstring Path() const { return m_path.wstring(); }

private:
    static void RunUnix(std::wstring sCommand)
    {
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(nullptr, sCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ::WaitForSingleObject(pi.hProcess, 5000);
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
        }
        ::Sleep(300);
    }
    std::wstring m_sUnix;
    fs::path m_path;
};

TEST_F(SaveDialogs, UnwritableFolderIsRefusedBeforeAnyOverwriteQuestion)
{
    CUnwritableFolder folder(UniqueName(L"mvlro"));
    if (!folder.Unwritable())
        GTEST_SKIP() << "the file system here has no immutable folders";
    StoreRecord(folder.Path(), u"jpg");
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    RunUser(window.Get(), [&] {
        HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
        ASSERT_NE(hDlg, nullptr);
        TypeName(hDlg, L"scan");
        EXPECT_EQ(ClickForMessage(::GetDlgItem(hDlg, IDC_SAVEDLG_OK)).sText, Lang(m_en.Module(), 1129));
        ::Sleep(300);
        EXPECT_EQ(MessageDialogs().Seen().size(), 1u);
        ClickCtrl(::GetDlgItem(hDlg, IDC_SAVEDLG_CANCEL));
        EXPECT_TRUE(WaitGone(hDlg, 5000));
    });
    EXPECT_TRUE(fs::exists(fs::path(folder.Path()) / L"scan.jpg"));
}

TEST_F(SaveDialogs, OverwriteQuestionCancelKeepsFileAndDialogAndOkReplaces)
{
    const fs::path target = m_dir.Path() / L"scan.jpg";
    std::ofstream(target) << "image";
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    CManualMessageDialogs manual;
    RunUser(window.Get(), [&] {
        HWND hDlg = OpenDialog(page, IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER);
        ASSERT_NE(hDlg, nullptr);
        TypeName(hDlg, L"scan");
        for (int nAnswer : {IDCANCEL, IDOK}) {
            SMessageDialog ask = ClickForMessage(::GetDlgItem(hDlg, IDC_SAVEDLG_OK));
            EXPECT_EQ(ask.nMessageCtrl, 10308);
            EXPECT_EQ(ask.sText, Lang(m_en.Module(), 1130));
            ::PostMessageW(::GetDlgItem(ask.hWnd, nAnswer), BM_CLICK, 0, 0);
            EXPECT_TRUE(WaitGone(ask.hWnd, 5000));
            if (nAnswer == IDCANCEL) {
                ::Sleep(200);
                EXPECT_TRUE(fs::exists(target));
                EXPECT_TRUE(::IsWindowVisible(hDlg));
            }
        }
        EXPECT_TRUE(WaitGone(hDlg, 5000));
    });
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(SaveDialogs, CloseBoxKeepsOnlyTheCheckBoxesAndTheRecordSurvivesReopeningInLowerCase)
{
    StoreRecord(m_dir.Path().wstring(), u"jpg");
    std::wstring sName;
    {
        CDlg_ImgSaveSets page(m_en.Module());
        CPageWindow window(page);
        sName = CtrlText(page, IDC_SAVE_NAME);
        RunUser(window.Get(), [&] {
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
        EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"TIF");
    }
    const SImgSaveRecord stored = Stored();
    EXPECT_EQ(Wide(stored.szFileType), L"tif");
    EXPECT_EQ(stored.bOpenFile, 1u);
    EXPECT_EQ(stored.bOpenFolder, 0u);
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    EXPECT_EQ(Wide(page.Record().szFolder), m_dir.Path().wstring());
    EXPECT_EQ(CtrlText(page, IDC_SAVE_TYPE), L"TIF");
    EXPECT_EQ(page.Record().bOpenFile, 1u);
    EXPECT_EQ(page.Record().bOpenFolder, 0u);
}

// The program chooser: a path that names no file is refused and cleared, an existing one kept.
void PickProgram(HWND hMail, const std::wstring& sPath)
{
    ClickCtrl(::GetDlgItem(hMail, IDC_MAILDLG_ADD));
    // The file dialog's name box: a combo box (cmb13) or an edit (edt1).
    HWND hOpen = nullptr;
    WaitUntil([&] { return (hOpen = WaitForDialogWithCtrl(1148, 0)) || (hOpen = WaitForDialogWithCtrl(1152, 0)); }, 5000);
    ASSERT_NE(hOpen, nullptr);
    HWND hName = ::GetDlgItem(hOpen, 1148) ? ::GetDlgItem(hOpen, 1148) : ::GetDlgItem(hOpen, 1152);
    HWND hEdit = ::FindWindowExW(hName, nullptr, L"Edit", nullptr);
    SetText(hEdit ? hEdit : hName, sPath);
    ::PostMessageW(::GetDlgItem(hOpen, IDOK), BM_CLICK, 0, 0);
    WaitGone(hOpen, 5000);
}

TEST_F(SaveDialogs, EmailDialogTakesAnExistingProgramAndMakesEmailTheDestination)
{
    StoreRecord(m_dir.Path().wstring(), u"pdf");
    const fs::path program = m_dir.Path() / L"mail.exe";
    const std::wstring sProgram = program.wstring();
    std::ofstream(program) << "MZ";
    CDlg_ImgSaveSets page(m_en.Module());
    CPageWindow window(page);
    RunUser(window.Get(), [&] {
        HWND hMail = OpenDialog(page, IDC_SAVE_EMAIL_BUTTON, IDC_MAILDLG_ADD);
        ASSERT_NE(hMail, nullptr);
        MessageDialogs().Clear();
        PickProgram(hMail, (m_dir.Path() / L"none.exe").wstring());
        EXPECT_TRUE(MessageDialogs().WaitFor(Lang(m_en.Module(), 1132), 5000));
        EXPECT_TRUE(WaitUntil([&] { return CtrlText(hMail, IDC_MAILDLG_PROGRAM).empty(); }, 3000));
        PickProgram(hMail, sProgram);
        EXPECT_TRUE(WaitUntil([&] { return CtrlText(hMail, IDC_MAILDLG_PROGRAM) == sProgram; }, 3000));
        ClickCtrl(::GetDlgItem(hMail, IDC_SAVEDLG_OK));
        EXPECT_TRUE(WaitGone(hMail, 5000));
    });
    EXPECT_EQ(CtrlText(page, IDC_SAVE_DESTINATION), Lang(m_en.Module(), 1135));
    const SImgSaveRecord stored = Stored();
    EXPECT_EQ(stored.nDestination, 1u);
    EXPECT_EQ(Wide(stored.szEmailProgram), sProgram);
}

// The page and its two dialogs in English and Arabic, for the gallery.
TEST_F(SaveDialogs, Gallery)
{
    StoreRecord(m_dir.Path().wstring(), u"pdf");
    for (const wchar_t* pszCode : {L"enus", L"ar"}) {
        CLangLibrary lang(pszCode);
        ASSERT_NE(lang.Module(), nullptr);
        g_bHebrew = std::wstring(pszCode) == L"ar";
        CDlg_ImgSaveSets page(lang.Module());
        CPageWindow window(page);
        ShootChecked(page, "save-settings-page", pszCode);
        RunUser(window.Get(), [&] {
            for (auto [nButton, nCtrl, pszShot] : {std::tuple{IDC_SAVE_FOLDER_BUTTON, IDC_FILEDLG_OPEN_FOLDER, "save-folder-dialog"},
                                                   std::tuple{IDC_SAVE_EMAIL_BUTTON, IDC_MAILDLG_ADD, "save-email-dialog"}}) {
                HWND hDlg = OpenDialog(page, nButton, nCtrl);
                ASSERT_NE(hDlg, nullptr);
                ShootChecked(hDlg, pszShot, pszCode);
                ClickCtrl(::GetDlgItem(hDlg, IDC_SAVEDLG_CANCEL));
                EXPECT_TRUE(WaitGone(hDlg, 5000));
            }
        });
    }
    g_bHebrew = FALSE;
}

}  // namespace
