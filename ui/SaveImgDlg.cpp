#include "ui/SaveImgDlg.h"

#include <cwchar>

#include "profile/Language.h"
#include "profile/Trace.h"
#include "ui/DialogSkin.h"
#include "ui/MessageDialogs.h"
#include "ui/SaveDialogIds.h"
#include "ui/SaveNameRules.h"
#include "ui/ShellPickers.h"

namespace {

constexpr UINT kBackground = 1010;
constexpr UINT kTextFolderTitle = 1113;
constexpr UINT kTextEmailTitle = 1114;
constexpr UINT kCannotWrite = 1129;
constexpr UINT kReplaceQuestion = 1130;
constexpr UINT kNoProgram = 1132;
constexpr UINT kChooseProgramTitle = 1133;
constexpr UINT kChooseFolderTitle = 1250;
constexpr int kMaxNameChars = 16;

std::wstring CtrlText(HWND hDlg, int nId)
{
    return CWnd(::GetDlgItem(hDlg, nId)).GetWindowText();
}

// folder + "yymmddhhmmss" + "temp.dat", created new (so no file of the user's is ever touched)
// and gone again when closed; a name taken already tries the following seconds.
bool CanCreateFileIn(const std::wstring& sFolder)
{
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    FILETIME ft{};
    ::SystemTimeToFileTime(&st, &ft);
    for (int nTry = 0; nTry < 5; ++nTry) {
        wchar_t szName[64];
        std::swprintf(szName, 64, L"%02d%02d%02d%02d%02d%02dtemp.dat", st.wYear % 100, st.wMonth, st.wDay, st.wHour,
                      st.wMinute, st.wSecond);
        const std::wstring sProbe = sFolder + szName;
        HANDLE h = ::CreateFileW(sProbe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return false;
        ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
        t.QuadPart += 10000000ull;
        ft = {t.LowPart, t.HighPart};
        ::FileTimeToSystemTime(&ft, &st);
    }
    return false;
}

}  // namespace

CSaveImgDlg::CSaveImgDlg(const SLayout& layout, HINSTANCE hResModule)
    : CSkinnedDialog(layout.nTemplate, hResModule, false), m_layout(layout)
{
    Map().OnCommand(IDC_SAVEDLG_BROWSE, this, &CSaveImgDlg::OnBrowse);
    Map().OnCommand(IDC_SAVEDLG_OK, this, &CSaveImgDlg::OnOk);
    Map().OnCommand(IDC_SAVEDLG_CANCEL, [this] { EndDialog(IDCANCEL); });
    Map().OnRaw(WM_CLOSE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        OnCloseBox();
        lResult = 0;
        return true;
    });
}

BOOL CSaveImgDlg::OnInitDialog()
{
    HINSTANCE hRes = ResourceModule();
    SetBackground(kBackground);
    AttachTextButton(m_btnBrowse, m_hWnd, IDC_SAVEDLG_BROWSE);
    AttachTextButton(m_btnOk, m_hWnd, IDC_SAVEDLG_OK);
    AttachTextButton(m_btnCancel, m_hWnd, IDC_SAVEDLG_CANCEL);
    SetDlgStrings(m_hWnd, hRes,
                  {{IDC_SAVEDLG_PLACE_LABEL, 1117}, {IDC_SAVEDLG_BROWSE, 1118}, {IDC_SAVEDLG_NAME_LABEL, 1115},
                   {IDC_SAVEDLG_TYPE_LABEL, 1116}, {IDC_SAVEDLG_OK, 1090}, {IDC_SAVEDLG_CANCEL, 1092}});
    SetWindowText(LoadDlgString(hRes, m_layout.nTitle));
    KeepLeftToRight(GetDlgItem(m_layout.nFolderEdit));
    KeepLeftToRight(GetDlgItem(m_layout.nNameEdit));
    ::SendDlgItemMessageW(m_hWnd, m_layout.nFolderEdit, EM_LIMITTEXT, kMaxSaveFolderChars, 0);
    ::SendDlgItemMessageW(m_hWnd, m_layout.nNameEdit, EM_LIMITTEXT, kMaxNameChars, 0);
    ::SetDlgItemTextW(m_hWnd, m_layout.nFolderEdit, m_fields.sFolder.c_str());
    ::SetDlgItemTextW(m_hWnd, m_layout.nNameEdit, m_fields.sName.c_str());
    // The type is chosen on the basic settings page; the list only carries it.
    HWND hType = GetDlgItem(IDC_SAVEDLG_TYPE);
    ::SendMessageW(hType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_fields.sType.c_str()));
    ::SendMessageW(hType, CB_SETCURSEL, 0, 0);
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    // The name is what a user changes most; the folder is chosen with Browse.
    FocusName();
    return FALSE;
}

void CSaveImgDlg::ShowError(UINT nStringId)
{
    CErrorDlg dlg(ResourceModule());
    dlg.SetMessage(LoadDlgString(ResourceModule(), nStringId));
    dlg.SetRightToLeft(g_bHebrew != FALSE);
    dlg.Show(m_hWnd);
}

void CSaveImgDlg::FocusName()
{
    HWND hName = GetDlgItem(m_layout.nNameEdit);
    ::SendMessageW(hName, EM_SETSEL, 0, -1);
    ::SetFocus(hName);
}

void CSaveImgDlg::OnBrowse()
{
    const std::wstring sFolder = CtrlText(m_hWnd, m_layout.nFolderEdit);
    if (auto chosen = BrowseForFolder(m_hWnd, LoadDlgString(ResourceModule(), kChooseFolderTitle), sFolder))
        ::SetDlgItemTextW(m_hWnd, m_layout.nFolderEdit, chosen->c_str());
}

bool CSaveImgDlg::CheckTexts(const std::wstring& sName, const std::wstring& sFolder)
{
    ESaveTextCheck check = CheckSaveTexts(sName, sFolder);
    if (check == ESaveTextCheck::Ok && !IsExistingFolder(WithTrailingBackslash(sFolder)))
        check = ESaveTextCheck::FolderUnusable;
    if (check == ESaveTextCheck::Ok)
        return true;
    ShowError(MessageIdOf(check));
    if (check == ESaveTextCheck::EmptyName || check == ESaveTextCheck::ForbiddenName)
        FocusName();
    return false;
}

bool CSaveImgDlg::CheckWritable(const std::wstring& sFolder)
{
    if (CanCreateFileIn(WithTrailingBackslash(sFolder)))
        return true;
    ShowError(kCannotWrite);
    return false;
}

bool CSaveImgDlg::ConfirmReplace(const std::wstring& sTarget)
{
    if (!IsExistingFile(sTarget))
        return true;
    CWarningDlg ask(ResourceModule());
    ask.SetMessage(LoadDlgString(ResourceModule(), kReplaceQuestion));
    ask.SetRightToLeft(g_bHebrew != FALSE);
    if (ask.Show(m_hWnd) != IDOK)
        return false;
    if (::DeleteFileW(sTarget.c_str()))
        return true;
    // The calling program could not write its file either.
    ShowError(kCannotWrite);
    return false;
}

void CSaveImgDlg::OnOk()
{
    if (m_layout.nTemplate == CDlg_SaveImgToFile::IDD)
        TraceA("CDlg_SaveImgToFile OnBnClickedOk");
    const std::wstring sName = TrimBlanks(CtrlText(m_hWnd, m_layout.nNameEdit));
    ::SetDlgItemTextW(m_hWnd, m_layout.nNameEdit, sName.c_str());
    const std::wstring sFolder = CtrlText(m_hWnd, m_layout.nFolderEdit);
    // The program check comes before the question, so that a refused OK never has replaced a file.
    if (!CheckTexts(sName, sFolder) || !CheckWritable(sFolder) || !CheckOwn() ||
        !ConfirmReplace(SaveTargetPath(sFolder, sName, m_fields.sType)))
        return;
    m_fields.sFolder = sFolder;
    m_fields.sName = sName;
    TakeOwn(true);
    EndDialog(IDOK);
}

void CSaveImgDlg::OnCloseBox()
{
    TakeOwn(false);
    EndDialog(IDOK);
}

CDlg_SaveImgToFile::CDlg_SaveImgToFile(HINSTANCE hResModule)
    : CSaveImgDlg({IDD, kTextFolderTitle, IDC_FILEDLG_FOLDER, IDC_FILEDLG_NAME}, hResModule)
{
}

BOOL CDlg_SaveImgToFile::OnInitDialog()
{
    const BOOL bFocusDefault = CSaveImgDlg::OnInitDialog();
    SetDlgStrings(m_hWnd, ResourceModule(),
                  {{IDC_FILEDLG_AFTER, 1119}, {IDC_FILEDLG_OPEN_FILE, 1120}, {IDC_FILEDLG_OPEN_FOLDER, 1121}});
    ::CheckDlgButton(m_hWnd, IDC_FILEDLG_OPEN_FILE, Fields().bOpenFile ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_FILEDLG_OPEN_FOLDER, Fields().bOpenFolder ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(IDC_FILEDLG_OPEN_FILE), !m_bFeeder);
    return bFocusDefault;
}

void CDlg_SaveImgToFile::TakeOwn(bool)
{
    SSaveDlgFields fields = Fields();
    fields.bOpenFile = ::IsDlgButtonChecked(m_hWnd, IDC_FILEDLG_OPEN_FILE) == BST_CHECKED;
    fields.bOpenFolder = ::IsDlgButtonChecked(m_hWnd, IDC_FILEDLG_OPEN_FOLDER) == BST_CHECKED;
    SetFields(fields);
}

CDlg_SaveImgToEmail::CDlg_SaveImgToEmail(HINSTANCE hResModule)
    : CSaveImgDlg({IDD, kTextEmailTitle, IDC_MAILDLG_FOLDER, IDC_MAILDLG_NAME}, hResModule)
{
    Map().OnCommand(IDC_MAILDLG_ADD, this, &CDlg_SaveImgToEmail::OnChooseProgram);
}

BOOL CDlg_SaveImgToEmail::OnInitDialog()
{
    const BOOL bFocusDefault = CSaveImgDlg::OnInitDialog();
    AttachTextButton(m_btnAdd, m_hWnd, IDC_MAILDLG_ADD);
    SetDlgStrings(m_hWnd, ResourceModule(), {{IDC_MAILDLG_PROGRAM_LABEL, 1122}, {IDC_MAILDLG_ADD, 1123}});
    KeepLeftToRight(GetDlgItem(IDC_MAILDLG_PROGRAM));
    ::SetDlgItemTextW(m_hWnd, IDC_MAILDLG_PROGRAM, Fields().sEmailProgram.c_str());
    return bFocusDefault;
}

void CDlg_SaveImgToEmail::OnChooseProgram()
{
    auto chosen = ChooseProgram(m_hWnd, LoadDlgString(ResourceModule(), kChooseProgramTitle));
    if (!chosen)
        return;
    if (IsExistingFile(*chosen)) {
        ::SetDlgItemTextW(m_hWnd, IDC_MAILDLG_PROGRAM, chosen->c_str());
        return;
    }
    ShowError(kNoProgram);
    ::SetDlgItemTextW(m_hWnd, IDC_MAILDLG_PROGRAM, L"");
}

bool CDlg_SaveImgToEmail::CheckOwn()
{
    const std::wstring sProgram = CtrlText(m_hWnd, IDC_MAILDLG_PROGRAM);
    if (sProgram.empty() || IsExistingFile(sProgram))
        return true;
    ShowError(kNoProgram);
    return false;
}

void CDlg_SaveImgToEmail::TakeOwn(bool bAccepted)
{
    if (!bAccepted)
        return;
    SSaveDlgFields fields = Fields();
    fields.sEmailProgram = CtrlText(m_hWnd, IDC_MAILDLG_PROGRAM);
    SetFields(fields);
    m_nDestination = 1;
}
