// A dialog with every skinned control, built in memory over a language library: what the
// control tests drive and the gallery shows. It counts what its controls report.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/Dialog.h"
#include "ui/DialogSkin.h"
#include "ui/NumberEdit.h"
#include "ui/SizeInfoStatic.h"
#include "ui/SkinButton.h"
#include "ui/StaticTrans.h"
#include "ui/StaticWithBkgBMP.h"
#include "ui/TransCheckBox.h"
#include "ui/TransGroupBox.h"
#include "ui/TransparentSlider.h"

namespace mvltest {

class CControlsDialog : public CDialog {
public:
    enum : WORD {
        kGroup = 200, kLabel, kSigned, kTenths, kSlider, kCheck, kBmpLabel, kSize,
        kToggle, kRound, kDisabled, kPlain, kReset = CNumberEdit::kResetButtonId
    };
    static constexpr UINT kTooltipText = 1063;
    // wParam times: every control changes its look (hover, pressed, texts, sizes) and the whole
    // dialog is painted at once, on the dialog's thread.
    static constexpr UINT kMsgRepaint = WM_APP + 1;

    CControlsDialog(HINSTANCE hLang, bool bRtl);
    INT_PTR Run();

    std::atomic<int> m_nSignedChanges{0};
    std::atomic<int> m_nTenthsChanges{0};
    std::atomic<int> m_nToggleClicks{0};
    std::atomic<int> m_nResets{0};

    CNumberEdit m_signed, m_tenths;
    CStaticTrans m_label;
    Trans_GroupBox m_group;
    CTransparentSlider m_slider;
    CTransCheckBox m_check;
    CStaticWithBkgBMP m_bmpLabel;
    CSizeInfoStatic m_size;
    CxSkinButton m_toggle, m_round, m_disabled, m_plain, m_reset, m_ok, m_cancel;

protected:
    BOOL OnInitDialog() override;

private:
    void RepaintOnce(int i);

    bool m_bRtl;
    CDialogBackground m_background;
};

// A disc of the given colour on white, nSize pixels square (the round button and its mask).
HBITMAP MakeDiscBitmap(int nSize, COLORREF crDisc);

}  // namespace mvltest
