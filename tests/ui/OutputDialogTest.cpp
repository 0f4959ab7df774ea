#include "ui/OutputDialogTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>

#include "settings/SettingsProfile.h"
#include "settings/win/SettingsWin.h"
#include "ui/DialogChecks.h"
#include "ui/DialogSkin.h"
#include "ui/MessagePump.h"

namespace mvltest {

namespace {

std::map<std::wstring, std::wstring> g_profile;

std::wstring ReadProfile(const wchar_t* pszKey)
{
    auto it = g_profile.find(pszKey);
    return it == g_profile.end() ? std::wstring() : it->second;
}

}  // namespace

CSettingsFolder::CSettingsFolder() : m_sName(UniqueName(L"mvlsave"))
{
    g_profile[L"Setting Folder"] = L"\\" + m_sName + L"\\";
    g_profile[L"Setting Path"] = L"\\" + m_sName + L"\\Scan\\";
    SetTwainProfileReader(&ReadProfile);
}

CSettingsFolder::~CSettingsFolder()
{
    SetTwainProfileReader(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(AppDataFolder() + L"\\" + m_sName, ec);
}

std::wstring CSettingsFolder::RecordPath() const
{
    return AppDataFolder() + L"\\" + m_sName + L"\\Scan\\imgSaveSettings.dat";
}

SMessageDialog ClickForMessage(HWND hCtrl)
{
    MessageDialogs().Clear();
    ClickCtrl(hCtrl);
    SMessageDialog d = MessageDialogs().WaitForAny(5000);
    if (MessageDialogs().AutoDismiss())
        WaitGone(d.hWnd, 5000);
    return d;
}

void RunUser(HWND hWake, const std::function<void()>& user)
{
    std::atomic<bool> bDone{false};
    RunWithUser(
        [&] {
            PumpMessagesUntil([&] { return bDone.load(); }, nullptr);
            return INT_PTR(0);
        },
        [&] {
            user();
            bDone = true;
            ::PostMessageW(hWake, WM_NULL, 0, 0);
        });
}

std::wstring Lang(HINSTANCE hModule, UINT nId)
{
    return LoadDlgString(hModule, nId);
}

void ShootChecked(HWND hDlg, const char* pszName, const wchar_t* pszCode)
{
    ::Sleep(300);
    const std::wstring sCode(pszCode);
    for (const std::string& s : LayoutProblems(hDlg, sCode == L"ar" || sCode == L"he"))
        ADD_FAILURE() << pszName << " " << std::string(sCode.begin(), sCode.end()) << ": " << s;
    EXPECT_TRUE(SaveGalleryShot(hDlg, pszName, pszCode));
}

}  // namespace mvltest
