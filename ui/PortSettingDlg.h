// The connection dialog (template 10266): how the scanner is reached. The local USB port, a
// scanner picked from a network search, or a host name or address the user types. OK takes a
// network choice only after a connection test has answered; the search and the test run on
// worker threads, so the dialog stays responsive, and Cancel or the close box leave at any time
// (a worker still busy is abandoned and its answer discarded).
//
// The scanning dialog's Port button (20003) is one call:
//     if (RunPortSettings(m_hWnd, ResourceModule(), record))   // the current scan-parameter record
//         ... the connection changed: retitle the window ("USB" becomes the address)
// The record's connection fields (nConnection, szAddress1, szAddress2) change only on OK, and
// a scan opens the device by DeviceNameOf(record).
#pragma once

#include <string>
#include <vector>

#include "device/ScanParamRecord.h"
#include "ui/PostingWorker.h"
#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"
#include "ui/TransCheckBox.h"

// Modal over hParent with the templates and strings of hResModule (the scanning dialog's
// language library). Loads the device library when it is not yet loaded. True when the user
// chose OK and a connection field changed.
bool RunPortSettings(HWND hParent, HINSTANCE hResModule, SScanParamRecord& rec);

class CPortSettingDlg : public CSkinnedDialog {
public:
    static constexpr UINT IDD = 10266;
    // The workers' answers: the search is done; the test's result is the first parameter.
    static constexpr UINT kMsgSearchDone = WM_APP;
    static constexpr UINT kMsgTestDone = WM_APP + 1;

    enum EMode : uint32_t { kModeUsb = 0, kModeSearch = 1, kModeHost = 2 };

    CPortSettingDlg(HINSTANCE hResModule, const SScanParamRecord& rec);
    // The record's connection fields as the dialog ended; unchanged unless it ended with OK.
    const SScanParamRecord& Record() const { return m_rec; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;

private:
    void AttachControls();
    void OnOneShotTimer();
    void SelectUsb();
    void SelectSearch();
    void SelectHost(bool bFocusEdit);
    void CheckMode(UINT nRadio);
    // Every control but Cancel off and the searching label shown while a worker runs.
    void SetBusy(bool bBusy);
    void StartSearch();
    LRESULT OnSearchDone(WPARAM, LPARAM);
    void OnHostChanged();
    void OnOk();
    LRESULT OnTestDone(WPARAM nResult, LPARAM);
    void Finish(INT_PTR nResult);
    std::wstring ListText() const;
    std::wstring HostText() const;

    SScanParamRecord m_rec;
    uint32_t m_nMode = kModeUsb;
    std::wstring m_sLastHost;
    bool m_bFiltering = false;
    bool m_bBusy = false;
    // Filled by the search worker, read here once it has posted.
    std::shared_ptr<std::vector<std::string>> m_pFound;
    CPostingWorker m_worker;

    CTransCheckBox m_radios[3];
    CStaticTrans m_searching;
    CxSkinButton m_btnRefresh, m_btnOk, m_btnCancel;
};
