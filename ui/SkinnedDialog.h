// A dialog with the product look: its background bitmap stretched over the client area,
// transparent labels, and Enter and Escape (optionally Space and the right button) refused,
// so that only its buttons close it.
#pragma once

#include "ui/DialogSkin.h"
#include "ui/Dialog.h"

class CSkinnedDialog : public CDialog {
public:
    CSkinnedDialog(UINT nIdTemplate, HINSTANCE hResModule, bool bRefuseSpace);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The background in use, 0 for the plain face.
    UINT BackgroundId() const { return m_background.Id(); }

protected:
    // Loads the background from the template's module; call from OnInitDialog.
    void SetBackground(UINT nBitmapId);
    // Enter and Escape arrive as OK and Cancel commands without a button behind them.
    void OnOK() override {}
    void OnCancel() override {}

private:
    CDialogBackground m_background;
    bool m_bRefuseSpace;
};
