// The installer of the MV4200 model in a prefix of its own: silently with a language given, a scan
// through the command-line tool, and an uninstall that leaves nothing of the product; then as a
// user would, asking the language, with screenshots of its pages for the gallery.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "harness/TestEnv.h"
#include "ui/DialogDriver.h"

using namespace mvltest;
namespace fs = std::filesystem;

namespace {

const wchar_t* const kCodes[] = {L"zhcn", L"enus", L"ja", L"ru", L"pt", L"esmx", L"fr", L"pl", L"de", L"it", L"ar", L"tr",
                                 L"cs",   L"no",   L"sv", L"hu", L"zhtw", L"he", L"ko", L"ro", L"bu", L"th", L"el"};
const wchar_t kRegKey[] = L"Software\\Morvel\\mvlTWAIN";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\mvlTWAIN-MV4200";

fs::path ExeDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    return fs::path(sz).parent_path();
}

fs::path SetupExe()
{
    wchar_t sz[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"MVL_SETUP", sz, MAX_PATH);
    return sz;
}

fs::path ModelDir()
{
    return fs::path(WindowsDir()) / L"twain_64" / L"MV4200";
}

// Runs the command line and waits for its end; the exit code, or -1 when it could not start or
// did not end in time.
DWORD RunCommand(const std::wstring& sCommand, DWORD dwMillis = 120000)
{
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring sLine = sCommand;
    if (!CreateProcessW(nullptr, sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    DWORD dwCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, dwMillis) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwCode;
}

std::wstring RegString(const wchar_t* pszKey, const wchar_t* pszName)
{
    wchar_t sz[256] = L"";
    DWORD dwBytes = sizeof(sz);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, pszKey, pszName, RRF_RT_REG_SZ, nullptr, sz, &dwBytes) != ERROR_SUCCESS)
        return L"";
    return sz;
}

bool RegKeyExists(const wchar_t* pszKey)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring AppData()
{
    wchar_t sz[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"APPDATA", sz, MAX_PATH);
    return sz;
}

// What of the product's names is where the installer and the data source put things: the
// Windows folder, the TWAIN folder with all it holds, and the user's application data.
std::vector<fs::path> ProductTraces()
{
    std::vector<fs::path> found;
    auto look = [&](const fs::path& p) {
        std::wstring sName = p.filename().wstring();
        CharLowerW(sName.data());
        if (sName.rfind(L"mvl", 0) == 0 || sName == L"morvel" || sName == L"mv4200")
            found.push_back(p);
    };
    std::error_code ec;
    for (const fs::path& root : {fs::path(WindowsDir()), fs::path(AppData())})
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
            look(it->path());
    for (fs::recursive_directory_iterator it(TwainDir(), ec), end; !ec && it != end; it.increment(ec))
        look(it->path());
    return found;
}

// Waits until the condition holds; false after the timeout.
template <class F>
bool WaitFor(F condition, DWORD dwMillis)
{
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMillis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= tEnd)
            return false;
        Sleep(100);
    }
    return true;
}

// A visible top-level window of any process whose descendants include a control with the id
// and class given.
HWND FindWindowWithCtrl(int nCtrlId, const wchar_t* pszClass)
{
    struct SFind {
        int nId;
        const wchar_t* pszClass;
        HWND hFound;
    } find{nCtrlId, pszClass, nullptr};
    EnumWindows([](HWND hTop, LPARAM l) -> BOOL {
        auto* p = reinterpret_cast<SFind*>(l);
        if (!IsWindowVisible(hTop))
            return TRUE;
        EnumChildWindows(hTop, [](HWND h, LPARAM l2) -> BOOL {
            auto* q = reinterpret_cast<SFind*>(l2);
            wchar_t sz[32] = L"";
            GetClassNameW(h, sz, 32);
            if (GetDlgCtrlID(h) == q->nId && _wcsicmp(sz, q->pszClass) == 0 && IsWindowVisible(h)) {
                q->hFound = GetAncestor(h, GA_ROOT);
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(p));
        return p->hFound == nullptr;
    }, reinterpret_cast<LPARAM>(&find));
    return find.hFound;
}

HWND WaitForWindowWithCtrl(int nCtrlId, const wchar_t* pszClass, DWORD dwMillis = 30000)
{
    HWND h = nullptr;
    WaitFor([&] { return (h = FindWindowWithCtrl(nCtrlId, pszClass)) != nullptr; }, dwMillis);
    return h;
}

// Waits for the wizard's page (the one showing the progress of the files, or another), pictures
// it for the gallery and presses its Next, Install, Finish or Close button once it can be pressed.
bool NextPage(const char* pszShot, bool bFilesPage)
{
    HWND hWizard = nullptr, hNext = nullptr;
    const bool bReady = WaitFor([&] {
        hWizard = FindWindowWithCtrl(IDOK, L"Button");
        hNext = hWizard ? GetDlgItem(hWizard, IDOK) : nullptr;
        return hNext && IsWindowEnabled(hNext) && (FindWindowWithCtrl(1004, L"msctls_progress32") != nullptr) == bFilesPage;
    }, 60000);
    if (!bReady)
        return false;
    Sleep(300);  // the page's last paint
    SaveGalleryShot(hWizard, pszShot, L"fr");
    PostMessageW(hNext, BM_CLICK, 0, 0);
    return true;
}

class Installer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(SetupExe())) << SetupExe();
        ASSERT_TRUE(ProductTraces().empty()) << "the prefix holds the product before the test";
        m_managerSize = fs::file_size(fs::path(WindowsDir()) / L"system32" / L"TWAINDSM.dll", m_ec);
    }

    void ExpectInstalled(const wchar_t* pszLanguage)
    {
        for (const wchar_t* pszFile : {L"mvlTWAIN64.ds", L"mvllld.dll", L"mvlImgEffect.dll", L"uninstall.exe"})
            EXPECT_TRUE(fs::exists(ModelDir() / pszFile)) << fs::path(pszFile);
        // The resource library and the help files where the source looks for them: beside it,
        // named by the profile's prefix and the file code.
        for (const wchar_t* pszCode : kCodes)
            for (const std::wstring& sName : {L"mvltwrc" + std::wstring(pszCode) + L".dll", L"mvltw" + std::wstring(pszCode) + L".chm",
                                               L"mvlApp" + std::wstring(pszCode) + L".chm"})
                EXPECT_TRUE(fs::exists(ModelDir() / sName)) << fs::path(sName);
        EXPECT_TRUE(fs::exists(fs::path(WindowsDir()) / L"mvlTWAIN.ini"));
        EXPECT_EQ(pszLanguage, RegString(kRegKey, L"Language"));
        EXPECT_EQ(L"\"" + (ModelDir() / L"uninstall.exe").wstring() + L"\"", RegString(kUninstallKey, L"UninstallString"));
    }

    // The uninstaller runs as a copy of itself and ends with the folder gone.
    void ExpectNothingLeft()
    {
        EXPECT_TRUE(WaitFor([] { return !fs::exists(ModelDir()); }, 60000));
        WaitFor([] { return ProductTraces().empty(); }, 10000);
        for (const fs::path& p : ProductTraces())
            ADD_FAILURE() << "left behind: " << p;
        EXPECT_FALSE(RegKeyExists(kRegKey));
        EXPECT_FALSE(RegKeyExists(L"Software\\Morvel"));
        EXPECT_FALSE(RegKeyExists(kUninstallKey));
        // The source manager was the system's before and stays.
        EXPECT_EQ(m_managerSize, fs::file_size(fs::path(WindowsDir()) / L"system32" / L"TWAINDSM.dll", m_ec));
    }

    std::error_code m_ec;
    uintmax_t m_managerSize = 0;
};

TEST_F(Installer, SilentInstallScansAndUninstallLeavesNothing)
{
    ASSERT_EQ(0u, RunCommand(L"\"" + SetupExe().wstring() + L"\" /S /LANGUAGE=German"));
    ExpectInstalled(L"German");
    // A language the product does not know is refused.
    EXPECT_NE(0u, RunCommand(L"\"" + SetupExe().wstring() + L"\" /S /LANGUAGE=Klingon"));

    CTempDir out;
    const fs::path page = out.Path() / L"page.png";
    EXPECT_EQ(0u, RunCommand(L"\"" + (ExeDir() / L"twainscan.exe").wstring() + L"\" -d \"MV4200 Series TWAIN\" --resolution 75 -o \"" +
                      page.wstring() + L"\""));
    EXPECT_GT(fs::file_size(page, m_ec), 1000u);

    EXPECT_EQ(0u, RunCommand(L"\"" + (ModelDir() / L"uninstall.exe").wstring() + L"\" /S"));
    ExpectNothingLeft();
}

TEST_F(Installer, AsksTheLanguageAndShowsItsPages)
{
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring sLine = L"\"" + SetupExe().wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    // The question, with the system's language chosen; the user picks French.
    HWND hAsk = WaitForWindowWithCtrl(IDOK, L"Button");
    ASSERT_NE(nullptr, hAsk);
    HWND hCombo = FindWindowExW(hAsk, nullptr, L"ComboBox", nullptr);
    ASSERT_NE(nullptr, hCombo);
    EXPECT_NE(CB_ERR, SendMessageW(hCombo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Fran")));
    SaveGalleryShot(hAsk, "installer-1-language", L"fr");
    PostMessageW(GetDlgItem(hAsk, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hAsk); }, 10000));

    // Welcome, the files, finish: each page pictured, then Next.
    ASSERT_TRUE(NextPage("installer-2-welcome", false));
    ASSERT_TRUE(NextPage("installer-3-files", true));
    ASSERT_TRUE(NextPage("installer-4-finish", false));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hProcess);
    ExpectInstalled(L"French");

    // The uninstaller asks in the language of the installation.
    sLine = L"\"" + (ModelDir() / L"uninstall.exe").wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, sLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(NextPage("uninstaller-1-confirm", false));
    ASSERT_TRUE(NextPage("uninstaller-2-files", true));
    ExpectNothingLeft();
}

}  // namespace
