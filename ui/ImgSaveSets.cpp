#include "ui/ImgSaveSets.h"

#include <shlobj.h>

#include <vector>

#include "profile/FileNaming.h"
#include "profile/Language.h"
#include "profile/Trace.h"
#include "settings/win/SettingsWin.h"
#include "transfer/TransferFlags.h"
#include "ui/DialogSkin.h"
#include "ui/SaveDialogIds.h"
#include "ui/SaveNameRules.h"
#include "ui/ShellPickers.h"

namespace {

constexpr UINT kBackground = 1009;
constexpr UINT kSkinSelected = 10432;
constexpr UINT kSkinNormal = 10431;
constexpr UINT kSkinPressed = 10429;
constexpr UINT kSkinDisabled = 10430;
constexpr int kFocusMargin = 3;
constexpr UINT kTextToFolder = 1134;
constexpr UINT kTextToEmail = 1135;

std::wstring SystemMessage(DWORD dwError)
{
    wchar_t* pText = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, dwError, 0, reinterpret_cast<LPWSTR>(&pText), 0, nullptr);
    std::wstring s = n && pText ? std::wstring(pText, n) : std::to_wstring(dwError);
    if (pText)
        ::LocalFree(pText);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r'))
        s.pop_back();
    return s;
}

std::wstring DefaultFolder()
{
    const std::wstring sPictures = KnownFolder(CSIDL_MYPICTURES);
    return sPictures.empty() ? KnownFolder(CSIDL_PERSONAL) : sPictures;
}

std::vector<std::wstring> FilesStartingWith(const std::wstring& sFolder, const std::wstring& sPrefix)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd{};
    HANDLE hFind = ::FindFirstFileW((WithTrailingBackslash(sFolder) + sPrefix + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.emplace_back(fd.cFileName);
    while (::FindNextFileW(hFind, &fd));
    ::FindClose(hFind);
    return names;
}

// Page by page only: these types hold one image per file.
bool IsSingleImageType(const std::wstring& sType)
{
    return _wcsicmp(sType.c_str(), L"jpg") == 0 || _wcsicmp(sType.c_str(), L"bmp") == 0 ||
           _wcsicmp(sType.c_str(), L"png") == 0;
}

std::wstring Text(const char16_t (&field)[kImgSaveTextUnits])
{
    const std::u16string s = ImgSaveText(field);
    return std::wstring(s.begin(), s.end());
}

void SetText(char16_t (&field)[kImgSaveTextUnits], const std::wstring& s)
{
    SetImgSaveText(field, std::u16string(s.begin(), s.end()));
}

void SkinDestinationButton(CxSkinButton& button, bool bSelected)
{
    button.SetSkin(bSelected ? kSkinSelected : kSkinNormal, kSkinPressed, kSkinSelected, kSkinDisabled, 0, 0,
                   kDrawStretch, FALSE, kFocusMargin);
    button.Invalidate();
}

}  // namespace

CDlg_ImgSaveSets::CDlg_ImgSaveSets(HINSTANCE hResModule)
    : CSkinnedDialog(IDD, hResModule, false), m_fileDlg(hResModule), m_emailDlg(hResModule)
{
    Map().OnCommand(IDC_SAVE_FOLDER_BUTTON, this, &CDlg_ImgSaveSets::OnFolderButton);
    Map().OnCommand(IDC_SAVE_EMAIL_BUTTON, this, &CDlg_ImgSaveSets::OnEmailButton);
    Map().OnRaw(WM_DESTROY, [this](WPARAM, LPARAM, LRESULT&) {
        Save(false);
        if (ImgSaveStore() == this)
            SetImgSaveStore(nullptr);
        return false;
    });
}

CDlg_ImgSaveSets::~CDlg_ImgSaveSets()
{
    if (m_hWnd)
        DestroyWindow();
    if (ImgSaveStore() == this)
        SetImgSaveStore(nullptr);
}

BOOL CDlg_ImgSaveSets::CreatePage(HWND hParent, const RECT& rc)
{
    if (!Create(hParent))
        return FALSE;
    const bool bTemplateSize = rc.right <= rc.left || rc.bottom <= rc.top;
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (bTemplateSize ? SWP_NOSIZE : 0));
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDlg_ImgSaveSets::OnInitDialog()
{
    SetBackground(kBackground);
    m_name.SubclassDlgItem(IDC_SAVE_NAME, m_hWnd);
    m_name.SetColors(RGB(0, 0, 0), RGB(255, 255, 255));
    m_type.SubclassDlgItem(IDC_SAVE_TYPE, m_hWnd);
    m_folder.SubclassDlgItem(IDC_SAVE_FOLDER, m_hWnd);
    m_destination.SubclassDlgItem(IDC_SAVE_DESTINATION, m_hWnd);
    KeepLeftToRight(GetDlgItem(IDC_SAVE_NAME));
    KeepLeftToRight(GetDlgItem(IDC_SAVE_FOLDER));
    m_btnFolder.SubclassDlgItem(IDC_SAVE_FOLDER_BUTTON, m_hWnd);
    m_btnEmail.SubclassDlgItem(IDC_SAVE_EMAIL_BUTTON, m_hWnd);
    SetDlgStrings(m_hWnd, ResourceModule(),
                  {{IDC_SAVE_TITLE, 1112}, {IDC_SAVE_FOLDER_BUTTON, 1113}, {IDC_SAVE_EMAIL_BUTTON, 1114},
                   {IDC_SAVE_NAME_LABEL, 1115}, {IDC_SAVE_TYPE_LABEL, 1116}, {IDC_SAVE_PLACE_LABEL, 1117}});
    m_fileDlg.SetResourceModule(ResourceModule());
    m_emailDlg.SetResourceModule(ResourceModule());
    Load();
    SetImgSaveStore(this);
    return FALSE;
}

void CDlg_ImgSaveSets::Load()
{
    m_sPath = CurrentImgSaveSettingsPath();
    SImgSaveRecord rec{};
    const ImgSaveReadStatus status = ReadImgSaveFile(m_sPath, rec);
    const DWORD dwError = ::GetLastError();
    if (status == ImgSaveReadStatus::Ok) {
        if (!rec.szFileType[0])
            SetImgSaveText(rec.szFileType, u"jpg");
        if (!rec.szFolder[0])
            SetText(rec.szFolder, DefaultFolder());
    } else {
        if (status == ImgSaveReadStatus::CannotOpen)
            TraceW(L"Error: CFile.Open(%ls) failed. %ls", m_sPath.c_str(), SystemMessage(dwError).c_str());
        else
            TraceW(L"Error: %ls is not a save-settings record, the defaults are used", m_sPath.c_str());
        const std::wstring sFolder = DefaultFolder();
        rec = DefaultImgSaveRecord(std::u16string(sFolder.begin(), sFolder.end()));
    }
    m_rec = rec;
    SetImgSaveText(m_rec.szFileType, UpperAscii(ImgSaveText(m_rec.szFileType)));
    g_bManualDuplex = m_rec.bManualDuplex != 0;
    if (m_fnManualDuplexLoaded)
        m_fnManualDuplexLoaded(m_rec.bManualDuplex != 0);
    NewBaseName();
    m_bLoaded = true;
    Refresh();
    Save();
}

void CDlg_ImgSaveSets::NewBaseName()
{
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    const std::wstring sPrefix = DatedPrefix(st.wYear, st.wMonth, st.wDay);
    const std::wstring sFolder = Text(m_rec.szFolder);
    SetText(m_rec.szBaseName, NextDatedName(FilesStartingWith(sFolder, sPrefix), sPrefix));
}

void CDlg_ImgSaveSets::Save(bool bRefresh)
{
    // Before the page has loaded the record there is nothing of the user's to store.
    if (m_sPath.empty())
        return;
    if (!m_bLoaded) {
        NewBaseName();
        if (bRefresh)
            Refresh();
        m_bLoaded = true;
    }
    SetImgSaveText(m_rec.szFileType, LowerAscii(ImgSaveText(m_rec.szFileType)));
    SImgSaveRecord stored = m_rec;
    stored.bManualDuplex = g_bManualDuplex ? 1 : 0;
    stored.nReserved = 0;
    if (!WriteImgSaveFile(m_sPath, stored))
        TraceW(L"Error: CFile.Write(%ls) failed. %ls", m_sPath.c_str(), SystemMessage(::GetLastError()).c_str());
}

void CDlg_ImgSaveSets::Refresh()
{
    SetImgSaveText(m_rec.szFileType, UpperAscii(ImgSaveText(m_rec.szFileType)));
    if (!m_hWnd)
        return;
    const std::wstring sFolder = Text(m_rec.szFolder);
    ::SetDlgItemTextW(m_hWnd, IDC_SAVE_NAME, Text(m_rec.szBaseName).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_SAVE_TYPE, Text(m_rec.szFileType).c_str());
    ::SetDlgItemTextW(m_hWnd, IDC_SAVE_FOLDER, sFolder.c_str());
    m_folder.SetTooltipText(sFolder);
    Invalidate();
    ShowDestination();
}

void CDlg_ImgSaveSets::ShowDestination()
{
    const bool bEmail = m_rec.nDestination == kSaveToEmail;
    ::SetDlgItemTextW(m_hWnd, IDC_SAVE_DESTINATION,
                      LoadDlgString(ResourceModule(), bEmail ? kTextToEmail : kTextToFolder).c_str());
    SkinDestinationButton(m_btnFolder, !bEmail);
    SkinDestinationButton(m_btnEmail, bEmail);
}

void CDlg_ImgSaveSets::MarkNameUsed()
{
    m_bLoaded = false;
    m_bNameUsedMark = true;
}

std::wstring CDlg_ImgSaveSets::Folder() const
{
    std::wstring s = Text(m_rec.szFolder);
    if (!s.empty() && s.back() == L'\\')
        s.pop_back();
    return s;
}

std::wstring CDlg_ImgSaveSets::BaseName() const
{
    return Text(m_rec.szBaseName);
}

std::wstring CDlg_ImgSaveSets::FileType() const
{
    const std::u16string sType = LowerAscii(ImgSaveText(m_rec.szFileType));
    // The official-document PDF is a PDF file to the calling program.
    if (sType.find(u"pdf(\u516c\u6587)") != std::u16string::npos)
        return L"pdf";
    return std::wstring(sType.begin(), sType.end());
}

std::optional<std::wstring> CDlg_ImgSaveSets::PathToCheck() const
{
    const std::wstring sProgram = Text(m_rec.szEmailProgram);
    if (m_rec.nDestination != kSaveToEmail || sProgram.empty())
        return std::nullopt;
    return sProgram;
}

void CDlg_ImgSaveSets::SetFileType(const std::wstring& sType)
{
    SetText(m_rec.szFileType, sType);
    Refresh();
}

void CDlg_ImgSaveSets::SetMergeScan(bool bMerge)
{
    m_rec.bMergeScan = bMerge ? 1 : 0;
    Refresh();
}

void CDlg_ImgSaveSets::SetManualDuplex(bool bManualDuplex)
{
    m_rec.bManualDuplex = bManualDuplex ? 1 : 0;
    Refresh();
}

SSaveDlgFields CDlg_ImgSaveSets::DialogFields() const
{
    SSaveDlgFields f;
    f.sFolder = Text(m_rec.szFolder);
    f.sName = Text(m_rec.szBaseName);
    f.sType = Text(m_rec.szFileType);
    f.sEmailProgram = Text(m_rec.szEmailProgram);
    f.bOpenFile = m_rec.bOpenFile != 0;
    f.bOpenFolder = m_rec.bOpenFolder != 0;
    return f;
}

void CDlg_ImgSaveSets::TakeDialogFields(const SSaveDlgFields& f)
{
    SetText(m_rec.szFolder, f.sFolder);
    SetText(m_rec.szBaseName, f.sName);
    SetText(m_rec.szFileType, f.sType);
    SetText(m_rec.szEmailProgram, f.sEmailProgram);
    m_rec.bOpenFile = f.bOpenFile ? 1 : 0;
    m_rec.bOpenFolder = f.bOpenFolder ? 1 : 0;
}

void CDlg_ImgSaveSets::OnFolderButton()
{
    if (!m_bLoaded)
        NewBaseName();
    m_fileDlg.SetFields(DialogFields());
    m_fileDlg.SetFeeder(m_bFeeder);
    if (m_fileDlg.DoModal(::GetAncestor(m_hWnd, GA_ROOT)) != IDOK)
        return;
    TakeDialogFields(m_fileDlg.Fields());
    AfterDialog(kSaveToFolder);
}

void CDlg_ImgSaveSets::OnEmailButton()
{
    if (!m_bLoaded)
        NewBaseName();
    m_emailDlg.SetFields(DialogFields());
    if (m_emailDlg.DoModal(::GetAncestor(m_hWnd, GA_ROOT)) != IDOK)
        return;
    TakeDialogFields(m_emailDlg.Fields());
    AfterDialog(m_emailDlg.Destination());
}

void CDlg_ImgSaveSets::AfterDialog(uint32_t nDestination)
{
    m_rec.nDestination = nDestination;
    m_bLoaded = true;
    if (IsSingleImageType(Text(m_rec.szFileType)))
        m_rec.bMergeScan = 0;
    Refresh();
    // Stored at once: the calling program reads the file, and a choice is never lost.
    Save(false);
    if (m_fnChanged)
        m_fnChanged();
}

BOOL CDlg_ImgSaveSets::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd && pMsg && pMsg->message == WM_SYSKEYDOWN && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        const int nButton = pMsg->wParam == g_byPreviewKey ? kPreviewButton
                            : pMsg->wParam == g_byScanKey  ? kScanButton
                                                           : 0;
        HWND hParent = ::GetParent(m_hWnd);
        if (nButton && hParent) {
            ::PostMessageW(hParent, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hParent, nButton)));
            return TRUE;
        }
    }
    return CSkinnedDialog::PreTranslateMessage(pMsg);
}
