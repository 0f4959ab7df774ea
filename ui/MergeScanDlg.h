// Asks, in file-output mode, whether another flatbed page is merged into the same output:
// Continue (1) scans the next page, Finish (2) ends the merged output. After a failed page it
// shows again with the count unchanged.
#pragma once

#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"

class CDlg_MergeScan : public CSkinnedDialog {
public:
    static constexpr UINT IDD = 21006;

    explicit CDlg_MergeScan(HINSTANCE hResModule, HWND hParent = nullptr);
    ~CDlg_MergeScan() override;

    void MarkError();
    void ClearErrorMark() { m_bError = 0; }
    void Reset();
    int Count() const { return m_nCount; }
    bool ErrorMarked() const { return m_bError != 0; }

protected:
    BOOL OnInitDialog() override;

private:
    CStaticTrans m_labels[3];
    CxSkinButton m_btnContinue;
    CxSkinButton m_btnFinish;
    int m_nCount = 0;
    BYTE m_bError = 0;
};
