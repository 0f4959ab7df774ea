// Drives a modal dialog as a user would: the test's thread shows the dialog, a second thread
// finds its window on the desktop, reads it, types and clicks, and saves screenshots.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

namespace mvltest {

// Runs user on a second thread while modal runs here; returns what modal returned.
INT_PTR RunWithUser(const std::function<INT_PTR()>& modal, const std::function<void()>& user);

// A visible top-level dialog of this process with the control nCtrlId; null after the timeout.
HWND WaitForDialogWithCtrl(int nCtrlId, DWORD dwMillis);
// Waits until the window is gone; false after the timeout.
bool WaitGone(HWND hWnd, DWORD dwMillis);

// A key pressed and released over the window (posted, as the keyboard would).
void PressKey(HWND hWnd, WPARAM nKey);
std::wstring CtrlText(HWND hDlg, int nCtrlId);

// Characters typed into the control (as the keyboard's translation posts them); Ctrl+A, Ctrl+C
// and Ctrl+V are L"\x01", L"\x03" and L"\x16".
void TypeText(HWND hCtrl, const std::wstring& sText);
// Replaces a field's text by typing: the focus to it, Ctrl+A, then the characters.
void Retype(HWND hDlg, HWND hField, const std::wstring& sText);
// A left click in the middle of the control.
void ClickCtrl(HWND hCtrl);
// Moves the dialog's focus to the control, as Tab would.
void FocusCtrl(HWND hDlg, HWND hCtrl);
// The window with the keyboard focus on the thread of hWnd.
HWND FocusOfThreadOf(HWND hWnd);
// The left button pressed at a, the mouse moved over the middle to b and released there, posted
// to the window (client coordinates) with the pointer put where each message says, so that
// what the system reports agrees with what is posted.
void PostDrag(HWND hWnd, POINT a, POINT b);
void PostMouse(HWND hWnd, UINT nMsg, POINT pt);
// Waits until pred holds (polling); false after the timeout.
bool WaitUntil(const std::function<bool()>& pred, DWORD dwMillis);

// The window as it is on screen, as a PNG; false when it could not be taken or written.
bool SaveWindowPng(HWND hWnd, const std::filesystem::path& path);

// A language of each script, for the gallery: Latin (English, French), Arabic, Cyrillic, Greek,
// CJK, Thai and Hebrew.
inline const wchar_t* const kGalleryCodes[] = {L"enus", L"fr", L"ar", L"ru", L"el", L"zhcn", L"th", L"he"};
// The window as a gallery picture of the dialog in the language of the file code.
bool SaveGalleryShot(HWND hWnd, const char* pszDialog, const wchar_t* pszCode);

// A language library from beside the test executable, as data.
class CLangLibrary {
public:
    explicit CLangLibrary(const wchar_t* pszCode);
    ~CLangLibrary();
    CLangLibrary(const CLangLibrary&) = delete;
    CLangLibrary& operator=(const CLangLibrary&) = delete;
    HINSTANCE Module() const { return m_hModule; }

private:
    HINSTANCE m_hModule = nullptr;
};

}  // namespace mvltest
