#include "transfer/AppLink.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "profile/Trace.h"
#include "transfer/ManagerEntry.h"

SAppFlags g_appFlags;
BOOL g_bCloseDsReqSent = FALSE;
BOOL g_bUserClose = FALSE;
BOOL g_bKeepOpen = TRUE;

namespace {

constexpr UINT kWmSendToApp = WM_APP + 0x2A1;
constexpr wchar_t kWindowClass[] = L"mvlTwainAppLink";

struct SNotification {
    TW_IDENTITY ds;
    TW_IDENTITY app;
    TW_UINT16 wMsg;
};

NotificationHoldFn g_pfnHold = nullptr;
// Waiting notifications in the order they were asked for; touched on the application's thread.
std::vector<SNotification> g_held;

void CallManager(SNotification n)
{
    DSMENTRYPROC pfnEntry = FindDsmEntry();
    if (!pfnEntry) {
        TraceA("SendToApplication: no source manager, MSG 0x%04X not delivered", n.wMsg);
        return;
    }
    pfnEntry(&n.ds, &n.app, DG_CONTROL, DAT_NULL, n.wMsg, nullptr);
}

// On the application's thread: now, or later when the application cannot take it yet.
void Deliver(const SNotification& note)
{
    if (g_pfnHold && g_pfnHold(note.wMsg)) {
        // One of each kind is enough: the application acts on the message, not on its count.
        if (std::ranges::none_of(g_held, [&](const SNotification& h) { return h.wMsg == note.wMsg; })) {
            TraceA("SendToApplication: MSG 0x%04X held", note.wMsg);
            g_held.push_back(note);
        }
        return;
    }
    CallManager(note);
}

LRESULT CALLBACK LinkWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kWmSendToApp) {
        std::unique_ptr<SNotification> pNote(reinterpret_cast<SNotification*>(lParam));
        if (pNote)
            Deliver(*pNote);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HINSTANCE ThisModule()
{
    HMODULE h = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&LinkWndProc), &h);
    return h;
}

// The source's message-only window on the application's thread.
class CLinkWindow {
public:
    ~CLinkWindow()
    {
        Destroy();
        // The class names this library's window procedure: it must not outlive the library.
        UnregisterClassW(kWindowClass, ThisModule());
    }

    void MakeOnThisThread()
    {
        if (m_hWnd && m_dwThread == GetCurrentThreadId())
            return;
        Destroy();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = LinkWndProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);  // fails harmlessly when already registered
        m_hWnd = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        m_dwThread = m_hWnd ? GetCurrentThreadId() : 0;
    }

    // True when the notification was handed to the application's thread.
    bool PostFromOtherThread(const SNotification& note)
    {
        if (!m_hWnd || m_dwThread == GetCurrentThreadId())
            return false;
        auto pNote = std::make_unique<SNotification>(note);
        if (!PostMessageW(m_hWnd, kWmSendToApp, 0, reinterpret_cast<LPARAM>(pNote.get())))
            return false;
        pNote.release();  // the window procedure owns it now
        return true;
    }

private:
    void Destroy()
    {
        if (!m_hWnd)
            return;
        // Only its own thread may destroy it; elsewhere it is made inert, so that no message
        // reaches code of a library that is being unloaded.
        if (m_dwThread == GetCurrentThreadId())
            DestroyWindow(m_hWnd);
        else
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
        m_hWnd = nullptr;
        m_dwThread = 0;
    }

    HWND m_hWnd = nullptr;
    DWORD m_dwThread = 0;
};

CLinkWindow g_linkWindow;

std::wstring MainModulePath()
{
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size())
            return std::wstring(buf.data(), n);
        if (buf.size() >= 32768)
            return std::wstring(buf.data(), buf.size() - 1);
        buf.resize(buf.size() * 2);
    }
}

}  // namespace

void RecognizeHostApp()
{
    RecognizeHostApp(MainModulePath());
}

void RecognizeHostApp(const std::wstring& sModulePath)
{
    TraceW(L"CDsAssistor::ConnectApp: AP -- ProductName:%ls", HostExeName(sModulePath).c_str());
    ApplyHostApp(g_appFlags, sModulePath);
    g_linkWindow.MakeOnThisThread();
}

bool MarkOfficeIdentityHost()
{
    if (!IsOfficeIdentityHost(HostExeName(MainModulePath())))
        return false;
    g_appFlags.bOffice = true;
    return true;
}

void SendToApplication(const TW_IDENTITY& ds, const TW_IDENTITY& app, TW_UINT16 wMsg)
{
    SNotification note{ds, app, wMsg};
    if (!g_linkWindow.PostFromOtherThread(note))
        Deliver(note);
}

void SetNotificationHold(NotificationHoldFn pfnHold)
{
    g_pfnHold = pfnHold;
}

void SendHeldNotifications()
{
    // Each is asked again: sending one may make the application call in and hold the rest.
    std::vector<SNotification> held;
    held.swap(g_held);
    for (const SNotification& note : held)
        Deliver(note);
}

void DropHeldNotifications()
{
    g_held.clear();
}

void NotifyXferReady(const TW_IDENTITY& ds, const TW_IDENTITY& app)
{
    SendToApplication(ds, app, MSG_XFERREADY);
}

bool NotifyCloseDsRequest(const TW_IDENTITY& ds, const TW_IDENTITY& app, bool bNoUI)
{
    if (!(bNoUI || g_bUserClose) || g_bCloseDsReqSent)
        return false;
    SendToApplication(ds, app, MSG_CLOSEDSREQ);
    g_bCloseDsReqSent = TRUE;
    return true;
}

void NotifyMergeScanErrorEnd(const TW_IDENTITY& ds, const TW_IDENTITY& app)
{
    TraceA("CDsAssistor::NotifyMergeScanErrorEnd()===Enter");
    SendToApplication(ds, app, MSG_CLOSEDSOK);
}

int CloseNotify(int nFlag, const TW_IDENTITY& ds, const TW_IDENTITY& app, bool bNoUI)
{
    if (nFlag != 0)
        g_bKeepOpen = FALSE;
    else
        NotifyCloseDsRequest(ds, app, bNoUI);
    return 0;
}

void ArmCloseDsRequest()
{
    g_bCloseDsReqSent = FALSE;
}
