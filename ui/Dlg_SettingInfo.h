// The settings summary: every setting of the current record by name and value, with the rows
// that do not apply to its colour mode left out and the rest moved up to stay contiguous.
#pragma once

#include <string>

#include "device/ScanGeometry.h"
#include "device/ScanParamRecord.h"
#include "ui/SkinnedDialog.h"

class CDlg_SettingInfo : public CSkinnedDialog {
public:
    static constexpr UINT IDD = 10381;
    explicit CDlg_SettingInfo(HINSTANCE hResModule);

    void SetSettings(const SScanParamRecord& rec, const SInchRect& area, int nDpi);

protected:
    BOOL OnInitDialog() override;

private:
    // The value shown in row nRow; empty when the row is left out.
    std::wstring RowValue(int nRow) const;
    void LayOut();

    SScanParamRecord m_rec{};
    SInchRect m_area;
    int m_nDpi = 0;
};
