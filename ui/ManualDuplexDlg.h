// Shown while the device waits for the user to turn the stack over for the back sides; the
// device callback closes it (0x568) when the wait ends, the job ends or is aborted.
#pragma once

#include <functional>

#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"

class CManualDuplexDlg : public CSkinnedDialog {
public:
    static constexpr UINT IDD = 10449;

    explicit CManualDuplexDlg(HINSTANCE hResModule);
    ~CManualDuplexDlg() override;

    // Called with the window once it exists (so that the device callback can post to it) and
    // with null when it goes. False at opening: the wait ended before the window could receive
    // its close message, so the dialog closes at once.
    void SetWindowHook(std::function<bool(HWND)> fn) { m_fnWindowHook = std::move(fn); }
    // Modal until the close message; 1 after it, 2 after Cancel, -1 without a template.
    INT_PTR Run(HWND hOwner);
    // What Cancel does to the device besides setting gbcancel.
    void SetCancelScan(std::function<void()> fn) { m_fnCancelScan = std::move(fn); }

protected:
    BOOL OnInitDialog() override;

private:
    void OnBnClickedCancel();

    CStaticTrans m_text;
    CxSkinButton m_btnCancel;
    std::function<bool(HWND)> m_fnWindowHook;
    std::function<void()> m_fnCancelScan;
};
