// The shell's pickers the save dialogs open, and the user's known folders.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The system folder browser, file-system folders only, with sInitial selected when it exists.
// Nothing when the user cancels.
std::optional<std::wstring> BrowseForFolder(HWND hOwner, const std::wstring& sTitle, const std::wstring& sInitial);

// A file-open dialog for programs ("EXE Files(*.exe)"), starting in the Program Files folder.
// Nothing when the user cancels; the path may name a file that does not exist.
std::optional<std::wstring> ChooseProgram(HWND hOwner, const std::wstring& sTitle);

// A known folder (CSIDL_MYPICTURES, CSIDL_PERSONAL, ...) without a trailing backslash; empty
// when the system has none.
std::wstring KnownFolder(int nCsidl);

bool IsExistingFile(const std::wstring& sPath);
bool IsExistingFolder(const std::wstring& sPath);
