#include "ui/NumberEdit.h"

#include <string>

#include "profile/Language.h"
#include "ui/ControlHost.h"
#include "ui/DialogSkin.h"
#include "ui/MessageDialogs.h"

namespace {

constexpr UINT kTextRangeError = 1097;
// Shows the range error once the focus change that found it has finished.
constexpr UINT kMsgRangeError = WM_APP + 0x97;

std::wstring ClipboardText(HWND hOwner)
{
    std::wstring sText;
    if (!::OpenClipboard(hOwner))
        return sText;
    if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(hData))) {
            sText.assign(p, wcsnlen(p, ::GlobalSize(hData) / sizeof(wchar_t)));
            ::GlobalUnlock(hData);
        }
    }
    ::CloseClipboard();
    return sText;
}

}  // namespace

CNumberEdit::CNumberEdit()
{
    Map().OnRaw(WM_CHAR, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        lResult = 0;
        return OnChar(static_cast<wchar_t>(wParam));
    });
    Map().OnRaw(WM_KEYDOWN, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        if (wParam != VK_RETURN)
            return false;
        // As if the focus had left: the field keeps it unless the number is refused.
        Validate();
        ::SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
        lResult = 0;
        return true;
    });
    Map().OnRaw(WM_PASTE, [this](WPARAM, LPARAM, LRESULT& lResult) {
        Paste();
        lResult = 0;
        return true;
    });
    // Enter belongs to the field while it has the focus, not to the dialog's default button.
    Map().OnRaw(WM_GETDLGCODE, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        lResult = Default();
        const auto* pMsg = reinterpret_cast<const MSG*>(lParam);
        if (pMsg && (pMsg->message == WM_KEYDOWN || pMsg->message == WM_CHAR) &&
            (pMsg->wParam == VK_RETURN || pMsg->wParam == L'\r'))
            lResult |= DLGC_WANTALLKEYS;
        return true;
    });
    Map().OnRaw(WM_KILLFOCUS, [this](WPARAM wParam, LPARAM, LRESULT& lResult) {
        lResult = Default();
        // Only a move within the dialog's window leaves the field: switching to another window
        // brings the focus back here later.
        auto hTo = reinterpret_cast<HWND>(wParam);
        bool bWithin = hTo && ::GetAncestor(hTo, GA_ROOT) == ::GetAncestor(m_hWnd, GA_ROOT);
        bool bToReset = bWithin && ::GetParent(hTo) == ::GetParent(m_hWnd) && ::GetDlgCtrlID(hTo) == kResetButtonId;
        if (bWithin && !bToReset && !m_bErrorPending)
            Validate();
        return true;
    });
    Map().OnMessage(kMsgRangeError, [this](WPARAM, LPARAM) -> LRESULT {
        ShowRangeError();
        return 0;
    });
}

void CNumberEdit::PreSubclassWindow()
{
    // Numbers read left to right in every language: a field of a mirrored dialog keeps its
    // place but not the mirroring, under which Wine shows "1.5" as "5.1". (Its alignment is the
    // template's: an edit takes ES_RIGHT only when it is created.)
    if (LONG nExStyle = ::GetWindowLongW(m_hWnd, GWL_EXSTYLE); nExStyle & WS_EX_LAYOUTRTL) {
        ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, nExStyle & ~WS_EX_LAYOUTRTL);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    m_bErrorPending = false;
    if (m_rule.Value())
        ShowRuleText();
}

void CNumberEdit::SetMode(int nMode)
{
    m_rule.SetDecimal(g_wcDecimalSep);
    m_rule.SetMode(nMode);
    if (m_rule.Value())
        ShowRuleText();
}

void CNumberEdit::SetRange(int nMin, int nMax)
{
    m_rule.SetRange(nMin, nMax);
}

void CNumberEdit::SetValue(int nValue)
{
    m_rule.SetDecimal(g_wcDecimalSep);
    m_rule.SetValue(nValue);
    ShowRuleText();
}

void CNumberEdit::ShowRuleText()
{
    if (m_hWnd && GetWindowText() != m_rule.Text())
        SetWindowText(m_rule.Text());
}

bool CNumberEdit::OnChar(wchar_t ch)
{
    // Ctrl+A, Ctrl+C and Ctrl+V arrive as these control characters.
    switch (ch) {
    case 0x01:
        ::SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
        return true;
    case 0x03:
        ::SendMessageW(m_hWnd, WM_COPY, 0, 0);
        return true;
    case 0x16:
        Paste();
        return true;
    default:
        // Enter was handled as a key; what else is not part of a number of this mode is dropped.
        return !CNumberFieldRule::AcceptsChar(m_rule.Mode(), ch, g_wcDecimalSep);
    }
}

void CNumberEdit::Paste()
{
    // Pasted text passes the same filter as typed text.
    std::wstring sFiltered;
    for (wchar_t ch : ClipboardText(m_hWnd))
        if (ch != L'\b' && CNumberFieldRule::AcceptsChar(m_rule.Mode(), ch, g_wcDecimalSep))
            sFiltered += ch;
    ::SendMessageW(m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(sFiltered.c_str()));
}

void CNumberEdit::Validate()
{
    if (!m_hWnd)
        return;
    m_rule.SetDecimal(g_wcDecimalSep);
    switch (m_rule.Commit(GetWindowText())) {
    case CNumberFieldRule::EOutcome::Unchanged:
        ShowRuleText();
        break;
    case CNumberFieldRule::EOutcome::Accepted:
        ShowRuleText();
        if (HWND hParent = ::GetParent(m_hWnd))
            ::SendMessageW(hParent, kMsgValueChanged, reinterpret_cast<WPARAM>(m_hWnd), 0);
        break;
    case CNumberFieldRule::EOutcome::Refused:
        ShowRuleText();
        m_bErrorPending = true;
        PostMessage(kMsgRangeError);
        break;
    }
}

void CNumberEdit::ShowRangeError()
{
    if (!m_hWnd)
        return;
    HINSTANCE hRes = ResourceModuleOf(m_hWnd);
    CErrorDlg dlg(hRes);
    dlg.SetMessage(LoadDlgString(hRes, kTextRangeError));
    dlg.SetRightToLeft(g_bHebrew != FALSE);
    dlg.Show(::GetAncestor(m_hWnd, GA_ROOT));
    m_bErrorPending = false;
    if (m_hWnd && ::IsWindowVisible(m_hWnd)) {
        ::SetFocus(m_hWnd);
        ::SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
    }
}
