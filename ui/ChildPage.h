// A page that lives inside a host dialog (the settings pages, the image information page):
// created from its child template over a placeholder control of the host, it shows the host's
// background through itself (or a background bitmap of its own) and draws its labels
// transparently.
#pragma once

#include "ui/Dialog.h"
#include "ui/DialogSkin.h"

class CChildPage : public CDialog {
public:
    CChildPage(UINT nIdTemplate, HINSTANCE hResModule);

    // Creates the page over the host's control nAreaId (which it then covers) and shows it
    // when bShow. FALSE when the template is missing.
    BOOL CreateOver(HWND hHost, int nAreaId, bool bShow);

protected:
    // A bitmap of the page's resource module stretched over the page instead of the host's
    // background; the host's shows while it is missing.
    void SetBackground(UINT nBitmapId);

    // Enter and Escape belong to the host.
    void OnOK() override {}
    void OnCancel() override {}

private:
    CDialogBackground m_background;
};
