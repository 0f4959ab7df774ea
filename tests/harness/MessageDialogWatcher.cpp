#include "harness/MessageDialogWatcher.h"

#include <algorithm>
#include <chrono>

namespace mvltest {

namespace {

constexpr int kMessageCtrls[] = {10306, 10307, 10308};
constexpr DWORD kPollMillis = 50;
constexpr UINT kTextTimeoutMillis = 1000;

bool IsDialogClass(HWND hWnd)
{
    wchar_t szClass[16] = {};
    return ::GetClassNameW(hWnd, szClass, 16) > 0 && wcscmp(szClass, L"#32770") == 0;
}

BOOL CALLBACK CollectChildText(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(WindowTextOf(hWnd));
    return TRUE;
}

SMessageDialog Describe(HWND hWnd, int nCtrl)
{
    SMessageDialog d;
    d.hWnd = hWnd;
    d.nMessageCtrl = nCtrl;
    ::GetWindowThreadProcessId(hWnd, &d.dwProcessId);
    d.sTitle = WindowTextOf(hWnd);
    d.sText = WindowTextOf(::GetDlgItem(hWnd, nCtrl));
    ::EnumChildWindows(hWnd, &CollectChildText, reinterpret_cast<LPARAM>(&d.texts));
    return d;
}

}  // namespace

std::wstring WindowTextOf(HWND hWnd)
{
    if (!hWnd)
        return {};
    DWORD_PTR nLength = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMillis,
                               &nLength))
        return {};
    std::wstring sText(nLength + 1, L'\0');
    DWORD_PTR nCopied = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXT, sText.size(), reinterpret_cast<LPARAM>(sText.data()),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMillis, &nCopied))
        return {};
    sText.resize(std::min<size_t>(nCopied, nLength));
    return sText;
}

CMessageDialogWatcher::~CMessageDialogWatcher() { Stop(); }

int CMessageDialogWatcher::MessageControlOf(HWND hWnd)
{
    if (!hWnd || !IsDialogClass(hWnd))
        return 0;
    for (int nCtrl : kMessageCtrls)
        if (::GetDlgItem(hWnd, nCtrl))
            return nCtrl;
    return 0;
}

void CMessageDialogWatcher::Start()
{
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable())
        return;
    m_bStop = false;
    m_thread = std::thread([this] { Run(); });
}

void CMessageDialogWatcher::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CMessageDialogWatcher::SetAutoDismiss(bool bOn)
{
    std::lock_guard lock(m_mutex);
    m_bAutoDismiss = bOn;
}

bool CMessageDialogWatcher::AutoDismiss() const
{
    std::lock_guard lock(m_mutex);
    return m_bAutoDismiss;
}

std::vector<SMessageDialog> CMessageDialogWatcher::Seen() const
{
    std::lock_guard lock(m_mutex);
    return m_seen;
}

void CMessageDialogWatcher::Clear()
{
    std::lock_guard lock(m_mutex);
    m_seen.clear();
}

bool CMessageDialogWatcher::WaitFor(const std::wstring& sText, DWORD dwMillis) const
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(dwMillis), [&] {
        return std::any_of(m_seen.begin(), m_seen.end(),
                           [&](const SMessageDialog& d) { return d.sText.find(sText) != std::wstring::npos; });
    });
}

SMessageDialog CMessageDialogWatcher::WaitForAny(DWORD dwMillis) const
{
    std::unique_lock lock(m_mutex);
    size_t nBefore = m_seen.size();
    // A dialog already open counts: the caller may have started it just before asking.
    for (const SMessageDialog& d : m_seen)
        if (::IsWindow(d.hWnd) && std::find(m_open.begin(), m_open.end(), d.hWnd) != m_open.end())
            return d;
    if (!m_cv.wait_for(lock, std::chrono::milliseconds(dwMillis), [&] { return m_seen.size() > nBefore; }))
        return {};
    return m_seen[nBefore];
}

bool CMessageDialogWatcher::Known(HWND hWnd) const
{
    return std::find(m_open.begin(), m_open.end(), hWnd) != m_open.end();
}

void CMessageDialogWatcher::Scan()
{
    // Dialog-class windows only: the watcher stays clear of every other window (a source
    // being unloaded destroys its own while holding the loader lock).
    std::vector<HWND> windows;
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, L"#32770", nullptr))
        windows.push_back(hWnd);
    std::vector<HWND> open;
    for (HWND hWnd : windows) {
        if (!::IsWindowVisible(hWnd))
            continue;
        int nCtrl = MessageControlOf(hWnd);
        if (nCtrl == 0)
            continue;
        open.push_back(hWnd);
        bool bNew;
        {
            std::lock_guard lock(m_mutex);
            bNew = !Known(hWnd);
        }
        // Texts are read outside the lock: the owner answers WM_GETTEXT from its own loop.
        if (bNew) {
            SMessageDialog d = Describe(hWnd, nCtrl);
            std::lock_guard lock(m_mutex);
            m_seen.push_back(std::move(d));
            m_open.push_back(hWnd);
        }
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_seen.rbegin(), m_seen.rend(), [&](const SMessageDialog& d) { return d.hWnd == hWnd; });
        if (m_bAutoDismiss && it != m_seen.rend() && !it->bDismissed) {
            it->bDismissed = true;
            ::PostMessageW(::GetDlgItem(hWnd, IDOK), BM_CLICK, 0, 0);
        }
    }
    std::lock_guard lock(m_mutex);
    m_open = std::move(open);
}

void CMessageDialogWatcher::Run()
{
    for (;;) {
        Scan();
        m_cv.notify_all();
        std::unique_lock lock(m_mutex);
        if (m_cv.wait_for(lock, std::chrono::milliseconds(kPollMillis), [this] { return m_bStop; }))
            return;
    }
}

CMessageDialogWatcher& MessageDialogs()
{
    static CMessageDialogWatcher s_watcher;
    return s_watcher;
}

}  // namespace mvltest
