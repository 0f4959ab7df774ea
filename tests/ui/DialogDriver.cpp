#include "ui/DialogDriver.h"

#include <wincodec.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "harness/TestEnv.h"

namespace mvltest {

namespace {

struct SFind {
    int nCtrlId;
    HWND hFound;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam)
{
    auto* p = reinterpret_cast<SFind*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (dwPid == ::GetCurrentProcessId() && wcscmp(szClass, L"#32770") == 0 && ::IsWindowVisible(hWnd) &&
        ::GetDlgItem(hWnd, p->nCtrlId)) {
        p->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

template <class T>
struct SRelease {
    void operator()(T* p) const { p->Release(); }
};
template <class T>
using CCom = std::unique_ptr<T, SRelease<T>>;

bool WritePng(const std::vector<BYTE>& pixels, int nWidth, int nHeight, const std::filesystem::path& path)
{
    IWICImagingFactory* pRaw = nullptr;
    HRESULT hrInit = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    struct SUninit {
        bool b;
        ~SUninit() { if (b) ::CoUninitialize(); }
    } uninit{SUCCEEDED(hrInit)};
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&pRaw))))
        return false;
    CCom<IWICImagingFactory> pFactory(pRaw);
    IWICStream* pStreamRaw = nullptr;
    if (FAILED(pFactory->CreateStream(&pStreamRaw)))
        return false;
    CCom<IWICStream> pStream(pStreamRaw);
    if (FAILED(pStream->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE)))
        return false;
    IWICBitmapEncoder* pEncRaw = nullptr;
    if (FAILED(pFactory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &pEncRaw)))
        return false;
    CCom<IWICBitmapEncoder> pEncoder(pEncRaw);
    IWICBitmapFrameEncode* pFrameRaw = nullptr;
    if (FAILED(pEncoder->Initialize(pStream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(pEncoder->CreateNewFrame(&pFrameRaw, nullptr)))
        return false;
    CCom<IWICBitmapFrameEncode> pFrame(pFrameRaw);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    UINT nStride = static_cast<UINT>(nWidth) * 4;
    return SUCCEEDED(pFrame->Initialize(nullptr)) && SUCCEEDED(pFrame->SetSize(nWidth, nHeight)) &&
           SUCCEEDED(pFrame->SetPixelFormat(&format)) &&
           SUCCEEDED(pFrame->WritePixels(nHeight, nStride, static_cast<UINT>(pixels.size()),
                                         const_cast<BYTE*>(pixels.data()))) &&
           SUCCEEDED(pFrame->Commit()) && SUCCEEDED(pEncoder->Commit());
}

}  // namespace

INT_PTR RunWithUser(const std::function<INT_PTR()>& modal, const std::function<void()>& user)
{
    std::thread worker(user);
    INT_PTR nResult = modal();
    worker.join();
    return nResult;
}

HWND WaitForDialogWithCtrl(int nCtrlId, DWORD dwMillis)
{
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMillis);
    do {
        SFind find{nCtrlId, nullptr};
        ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&find));
        if (find.hFound)
            return find.hFound;
        ::Sleep(20);
    } while (std::chrono::steady_clock::now() < tEnd);
    return nullptr;
}

bool WaitGone(HWND hWnd, DWORD dwMillis)
{
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMillis);
    while (::IsWindow(hWnd)) {
        if (std::chrono::steady_clock::now() >= tEnd)
            return false;
        ::Sleep(20);
    }
    return true;
}

void PressKey(HWND hWnd, WPARAM nKey)
{
    ::PostMessageW(hWnd, WM_KEYDOWN, nKey, 1);
    if (nKey == VK_RETURN || nKey == VK_SPACE || nKey == VK_ESCAPE)
        ::PostMessageW(hWnd, WM_CHAR, nKey == VK_RETURN ? L'\r' : nKey == VK_SPACE ? L' ' : 0x1B, 1);
    ::PostMessageW(hWnd, WM_KEYUP, nKey, 0xC0000001);
}

std::wstring CtrlText(HWND hDlg, int nCtrlId)
{
    wchar_t szText[512] = {};
    ::SendMessageTimeoutW(::GetDlgItem(hDlg, nCtrlId), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(szText),
                          SMTO_ABORTIFHUNG, 2000, nullptr);
    return szText;
}

void TypeText(HWND hCtrl, const std::wstring& sText)
{
    for (wchar_t ch : sText)
        ::PostMessageW(hCtrl, WM_CHAR, ch, 1);
}

void Retype(HWND hDlg, HWND hField, const std::wstring& sText)
{
    FocusCtrl(hDlg, hField);
    TypeText(hField, L"\x01" + sText);
    ::Sleep(150);
}

void ClickCtrl(HWND hCtrl)
{
    RECT rc{};
    ::GetClientRect(hCtrl, &rc);
    LPARAM lPos = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    ::PostMessageW(hCtrl, WM_LBUTTONDOWN, MK_LBUTTON, lPos);
    ::PostMessageW(hCtrl, WM_LBUTTONUP, 0, lPos);
}

void FocusCtrl(HWND hDlg, HWND hCtrl)
{
    ::PostMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hCtrl), TRUE);
}

HWND FocusOfThreadOf(HWND hWnd)
{
    GUITHREADINFO info{sizeof info};
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool WaitUntil(const std::function<bool()>& pred, DWORD dwMillis)
{
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMillis);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= tEnd)
            return false;
        ::Sleep(20);
    }
    return true;
}

bool SaveWindowPng(HWND hWnd, const std::filesystem::path& path)
{
    RECT rc{};
    if (!::GetWindowRect(hWnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top)
        return false;
    // Let the dialog finish painting what it was just told.
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Wine copies what was painted to the screen only while a thread waits for messages, not in
    // Sleep; this waits without taking any message, so the test's own queue stays as it was.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, 0);
    int nW = rc.right - rc.left;
    int nH = rc.bottom - rc.top;
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), nW, -nH, 1, 32, BI_RGB};
    void* pBits = nullptr;
    HBITMAP hBmp = ::CreateDIBSection(hScreen, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    bool bOk = false;
    if (hBmp && pBits) {
        HGDIOBJ hOld = ::SelectObject(hMem, hBmp);
        bOk = ::BitBlt(hMem, 0, 0, nW, nH, hScreen, rc.left, rc.top, SRCCOPY) != FALSE;
        ::SelectObject(hMem, hOld);
        std::vector<BYTE> pixels(static_cast<BYTE*>(pBits), static_cast<BYTE*>(pBits) + size_t(nW) * nH * 4);
        for (size_t i = 3; i < pixels.size(); i += 4)
            pixels[i] = 0xFF;
        bOk = bOk && WritePng(pixels, nW, nH, path);
    }
    if (hBmp)
        ::DeleteObject(hBmp);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    return bOk;
}

void PostMouse(HWND hWnd, UINT nMsg, POINT pt)
{
    POINT scr = pt;
    ::ClientToScreen(hWnd, &scr);
    ::SetCursorPos(scr.x, scr.y);
    ::PostMessageW(hWnd, nMsg, nMsg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
}

void PostDrag(HWND hWnd, POINT a, POINT b)
{
    PostMouse(hWnd, WM_LBUTTONDOWN, a);
    PostMouse(hWnd, WM_MOUSEMOVE, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    PostMouse(hWnd, WM_MOUSEMOVE, b);
    PostMouse(hWnd, WM_LBUTTONUP, b);
}

bool SaveGalleryShot(HWND hWnd, const char* pszDialog, const wchar_t* pszCode)
{
    return SaveWindowPng(hWnd, GalleryDir() / (std::wstring(pszDialog, pszDialog + strlen(pszDialog)) + L"-" + pszCode + L".png"));
}

CLangLibrary::CLangLibrary(const wchar_t* pszCode)
{
    wchar_t szExe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szExe, MAX_PATH);
    std::filesystem::path dll = std::filesystem::path(szExe).parent_path() / (std::wstring(L"mvltwrc") + pszCode + L".dll");
    m_hModule = ::LoadLibraryExW(dll.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

CLangLibrary::~CLangLibrary()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

}  // namespace mvltest
