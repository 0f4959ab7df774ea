// The scanning dialog of the real data source in this process, as an application that shows
// it sees it: the source opened with the simulated scanner, enabled with its user interface,
// and its window driven as a user would (clicks, typing into the name box, the lists).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "device/ScanParamRecord.h"
#include "transfer/AcquisitionFixture.h"

namespace dlgtest {

class CDialogSession {
public:
    // sProfileExtra: lines after the default profile; sSimDevice and sSimFaults: lines of the
    // simulator's [Device] and [Faults].
    explicit CDialogSession(const std::string& sProfileExtra = "", const std::string& sSimDevice = "",
                            const std::string& sSimFaults = "");
    ~CDialogSession();

    xfertest::CAcquisition& Acq() { return m_acq; }
    mvltest::CTestSource& Src() { return m_acq.Src(); }

    TW_UINT16 Open() { return Src().Open(); }
    // MSG_ENABLEDS with or without the dialog; with it, the dialog is found.
    TW_UINT16 Enable(bool bShowUI);
    TW_UINT16 Disable() { return m_acq.Disable(); }
    // File-output mode (CAP_FILE_OUTPUT_MODE_FLAG, before the enable).
    bool SetFileOutputMode();

    HWND Dialog() const { return m_hDlg; }
    HWND Item(int nId) const { return ::GetDlgItem(m_hDlg, nId); }
    std::wstring Title() const;
    std::wstring Text(int nId) const;
    bool Shown(int nId) const;
    // The value beside a label of the information page (what the next scan will produce).
    std::wstring InfoValue(int nLabelId) const;
    bool Enabled(int nId) const;

    // A click on the button, and the messages it caused served.
    void Click(int nId);
    // Replaces the name box's text as typed: every character a key press.
    void TypeName(const std::wstring& sText);
    std::vector<std::wstring> Names() const;
    // Picks entry nIndex of a list (name box or unit list) as the user would.
    void Pick(int nListId, int nIndex);

    // The settings file of this source (created by the dialog on its first opening).
    std::wstring SettingsFile() { return Src().SettingsDir() + L"settings.dat"; }

private:
    xfertest::CAcquisition m_acq;
    HWND m_hDlg = nullptr;
};

// The dialog window of this thread (class "Q7100UIFLAG"), or null.
HWND FindScanDialog();

using xfertest::StoreCurrentSetting;
using xfertest::TestRecord;

}  // namespace dlgtest
