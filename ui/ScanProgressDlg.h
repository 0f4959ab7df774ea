// The progress dialog of a scan or preview: a bar the worker moves with message 0x557, the
// page count of a feeder batch, and a Cancel that asks the worker to stop and then waits for
// the worker's close message (0x568).
#pragma once

#include <memory>

#include "transfer/ScanProgress.h"
#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"

class CScanProgressDlg : public CSkinnedDialog, public IScanProgress {
public:
    static constexpr UINT IDD = 10448;

    explicit CScanProgressDlg(HINSTANCE hResModule);
    ~CScanProgressDlg() override;

    // IScanProgress
    void SetMode(bool bFeeder, bool bReset) override;
    void RunModal(HWND hOwner) override;
    HWND Window() const override { return m_hWnd; }
    HANDLE ReadyEvent() const override { return m_hOpened; }

    int PageCount() const { return m_nPageCount; }

protected:
    BOOL OnInitDialog() override;

private:
    LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseDlg(WPARAM wParam, LPARAM lParam);
    void OnBnClickedCancel();

    CStaticTrans m_labels[4];
    CxSkinButton m_btnCancel;
    int m_nLastPercent = 0;
    int m_bFeeder = 0;
    int m_nPageCount = 1;
    HANDLE m_hOpened = nullptr;
};
