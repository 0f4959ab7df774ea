// The about box: the product's name, its version and the legal notice, from the product
// profile; one button closes it. Enter, Escape and the right button do nothing.
#pragma once

#include "ui/SkinnedDialog.h"

class CDlg_About : public CSkinnedDialog {
public:
    static constexpr UINT IDD = 10437;
    explicit CDlg_About(HINSTANCE hResModule);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
};
