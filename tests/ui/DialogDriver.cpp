#include "ui/DialogDriver.h"

#include <wincodec.h>
#include <winternl.h>

#include <chrono>
#include <thread>
#include <vector>

#include "ui/ControlHost.h"
#include "ui/SizeInfoStatic.h"
#include "ui/SkinButton.h"

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

int CountGdiObjects()
{
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(n);
    // Wine answers 0 above; its handle table (the one the process environment block points
    // to, as on Windows) tells the objects in use.
#pragma pack(push, 1)
    struct SEntry {
        UINT64 nObject;
        USHORT nOwner, nCount, nUnique;
        UCHAR nType, nFlags;
        UINT64 nUser;
    };
#pragma pack(pop)
    PROCESS_BASIC_INFORMATION info{};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0 ||
        !info.PebBaseAddress)
        return -1;
    const auto* pTable = *reinterpret_cast<const SEntry* const*>(reinterpret_cast<BYTE*>(info.PebBaseAddress) + 0xF8);
    if (!pTable)
        return -1;
    int n = 0;
    for (int i = 0; i < 0x10000; ++i)
        n += pTable[i].nType != 0;
    return n;
}

namespace {

std::wstring ClassOf(HWND hWnd)
{
    wchar_t sz[64] = {};
    ::GetClassNameW(hWnd, sz, 64);
    return sz;
}

std::string Narrow(const std::wstring& s)
{
    std::string r;
    for (wchar_t c : s)
        r += c < 128 ? static_cast<char>(c) : '?';
    return r;
}

// The text's rectangle in the control's font: wrapped at the control's width for labels and
// multi-line buttons, one line for push buttons.
SIZE TextExtent(HWND hCtrl, const std::wstring& sText, int nWidth, bool bWrap)
{
    HDC hDC = ::GetDC(hCtrl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hCtrl, WM_GETFONT, 0, 0)));
    RECT rc{0, 0, nWidth, 0};
    ::DrawTextW(hDC, sText.c_str(), -1, &rc, DT_CALCRECT | (bWrap ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hCtrl, hDC);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void CheckTextFits(HWND hCtrl, const std::string& sName, std::vector<std::string>& problems)
{
    wchar_t szText[512] = {};
    ::GetWindowTextW(hCtrl, szText, 512);
    std::wstring sClass = ClassOf(hCtrl);
    LONG nStyle = ::GetWindowLongW(hCtrl, GWL_STYLE);
    bool bStatic = _wcsicmp(sClass.c_str(), L"Static") == 0;
    bool bButton = _wcsicmp(sClass.c_str(), L"Button") == 0;
    CWnd* pObject = CWnd::FromHandlePermanent(hCtrl);
    if (auto* pSize = dynamic_cast<CSizeInfoStatic*>(pObject); pSize && pSize->TextsClipped())
        problems.push_back(sName + ": size texts shortened");
    auto* pSkin = dynamic_cast<CxSkinButton*>(pObject);
    if (!szText[0] || (!bStatic && !bButton) || (bButton && (nStyle & BS_TYPEMASK) == BS_GROUPBOX) ||
        (pSkin && !pSkin->TextShown()))
        return;
    RECT rc{};
    ::GetClientRect(hCtrl, &rc);
    UINT nDpi = WindowDpi(hCtrl);
    int nType = nStyle & BS_TYPEMASK;
    bool bPush = bButton && (nType == BS_OWNERDRAW || nType == BS_PUSHBUTTON || nType == BS_DEFPUSHBUTTON);
    // Room the control keeps for itself: a push button's focus margin, a check box's box.
    int nReserved = bPush ? ::MulDiv(10, nDpi, 96) : bButton ? ::MulDiv(18, nDpi, 96) : 0;
    int nWidth = rc.right - nReserved;
    SIZE sz = TextExtent(hCtrl, szText, nWidth, !bPush);
    if (sz.cx > nWidth || sz.cy > rc.bottom)
        problems.push_back(sName + ": text '" + Narrow(szText) + "' needs " + std::to_string(sz.cx) + "x" +
                           std::to_string(sz.cy) + ", has " + std::to_string(nWidth) + "x" + std::to_string(rc.bottom));
}

}  // namespace

std::vector<std::string> LayoutProblems(HWND hDlg, bool bRtl)
{
    std::vector<std::string> problems;
    if (((::GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) != bRtl)
        problems.push_back(bRtl ? "not mirrored" : "mirrored");
    RECT rcClient{};
    ::GetClientRect(hDlg, &rcClient);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(h))
            continue;
        RECT rc{};
        ::GetWindowRect(h, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        if (rc.left > rc.right)
            std::swap(rc.left, rc.right);
        std::string sName = "control " + std::to_string(::GetDlgCtrlID(h));
        RECT rcIn{};
        if (!::IntersectRect(&rcIn, &rc, &rcClient) || !::EqualRect(&rcIn, &rc))
            problems.push_back(sName + " is not inside the dialog");
        CheckTextFits(h, sName, problems);
        for (const auto& [hOther, rcOther] : shown) {
            RECT rcBoth{};
            bool bNested = (::UnionRect(&rcBoth, &rc, &rcOther), ::EqualRect(&rcBoth, &rc) || ::EqualRect(&rcBoth, &rcOther));
            if (::IntersectRect(&rcBoth, &rc, &rcOther) && !bNested)
                problems.push_back(sName + " overlaps control " + std::to_string(::GetDlgCtrlID(hOther)));
        }
        shown.push_back({h, rc});
    }
    // The buttons sit at the right of a left-to-right dialog, so at the left of a mirrored one.
    HWND hButton = ::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)) ? ::GetDlgItem(hDlg, IDCANCEL) : ::GetDlgItem(hDlg, IDOK);
    if (hButton && ::IsWindowVisible(hButton)) {
        RECT rcDlg{}, rcButton{};
        ::GetWindowRect(hDlg, &rcDlg);
        ::GetWindowRect(hButton, &rcButton);
        bool bLeft = rcButton.left + rcButton.right < rcDlg.left + rcDlg.right;
        if (bLeft != bRtl)
            problems.push_back(bRtl ? "buttons not mirrored to the left" : "buttons on the left");
    }
    return problems;
}

bool SaveWindowPng(HWND hWnd, const std::filesystem::path& path)
{
    RECT rc{};
    if (!::GetWindowRect(hWnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top)
        return false;
    // Let the dialog finish painting what it was just told.
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(200);
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
