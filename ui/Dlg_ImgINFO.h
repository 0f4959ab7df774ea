// What the next scan will produce, shown on the scanning dialog: document source, colour
// mode, resolution, scan area, image size in the user's unit and the estimated data size.
#pragma once

#include "device/ScanGeometry.h"
#include "device/ScanParamRecord.h"
#include "ui/ChildPage.h"

class CDlg_ImgINFO : public CChildPage {
public:
    static constexpr UINT IDD = 1003;
    explicit CDlg_ImgINFO(HINSTANCE hResModule);

    // Shows the values for the record, its scan area in inches and its dpi.
    void Refresh(const SScanParamRecord& rec, const SInchRect& area, int nDpi);

protected:
    BOOL OnInitDialog() override;

private:
    void SetValue(int nLabelId, const std::wstring& sText);
};
