// A page that lives inside a host dialog (the settings pages, the image information page):
// created from its child template over a placeholder control of the host, it shows the host's
// background through itself and draws its labels transparently.
#pragma once

#include "ui/Dialog.h"

class CChildPage : public CDialog {
public:
    CChildPage(UINT nIdTemplate, HINSTANCE hResModule);

    // Creates the page over the host's control nAreaId (which it then covers) and shows it
    // when bShow. FALSE when the template is missing.
    BOOL CreateOver(HWND hHost, int nAreaId, bool bShow);

protected:
    // Enter and Escape belong to the host.
    void OnOK() override {}
    void OnCancel() override {}
};
