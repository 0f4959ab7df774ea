// The language resource library and help files of the selected language, and the strings
// every dialog loads from it by number.
#pragma once

#include <windows.h>

#include <string>

// <folder of this library>\<File Prefix>twrc<code>.dll
std::wstring ResourceLibraryPath(const std::wstring& sCode);
// In file-output mode <folder of the host program>\<prefix>App<code>.chm, else
// <folder of this library>\<prefix>tw<code>.chm; traced as "helpFile = <path>".
std::wstring HelpFilePath(const std::wstring& sCode, bool bFileOutputMode);

// The language library loaded as resources only; while it lives it is where dialog templates
// and strings come from (the scanning dialog holds one from construction to destruction).
class CLangResource {
public:
    explicit CLangResource(const std::wstring& sPath);
    ~CLangResource();
    CLangResource(const CLangResource&) = delete;
    CLangResource& operator=(const CLangResource&) = delete;
    bool Loaded() const { return m_hModule != nullptr; }
    HMODULE Module() const { return m_hModule; }

private:
    HMODULE m_hModule = nullptr;
    HMODULE m_hPrevious = nullptr;
};

// Where resources come from now: the loaded language library, else this library.
HMODULE CurrentResourceModule();

// The string from the current resource library; "Load String Error!" when there is none.
std::wstring LoadLangString(UINT nId);

struct SCtrlText {
    int nCtrlId;
    UINT nStringId;
};

// Each control's text becomes its string.
void SetControlTexts(HWND hParent, const SCtrlText* pPairs, int nCount);
// Each skinned button's text becomes its string with one blank before and one after it.
void SetButtonTexts(HWND hParent, const SCtrlText* pPairs, int nCount);
// Empties the combo box and adds the strings in order; nothing without a box or a list.
void FillComboBox(HWND hCombo, const UINT* pIds, int nCount);
