// What the four image adjustment dialogs share: modal over the page that opens them, the
// record and callbacks of their host (ui/AdjustDialogHost.h), the background, title, Close and
// Reset, the channel list by colour mode, the image effect library for the time the dialog is
// open, and the routing of slider moves and accepted number-field values to the dialog.
// Enter and Escape close nothing; Enter in a number field checks the number.
#pragma once

#include <memory>

#include "imaging/ImageEffects.h"
#include "ui/AdjustDialogHost.h"
#include "ui/NumberEdit.h"
#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/TransparentSlider.h"

class CAdjustDialog : public CSkinnedDialog {
public:
    CAdjustDialog(UINT nIdTemplate, HINSTANCE hResModule, SAdjustHost host, UINT nBackground, UINT nTitle);
    ~CAdjustDialog() override;

    // Modal until Close or the close box; reads the record afresh. -1 without a record or template.
    INT_PTR Show(HWND hParent);
    int Channel() const { return m_nChannel; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // The curves' colours by channel: all channels black, then red, green and blue.
    static constexpr COLORREF kCurveColours[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};

    BOOL OnInitDialog() override;
    // The dialog's own part of the opening, after the common controls are set up.
    virtual void OnOpen() = 0;
    virtual void OnChannelChanged() {}
    virtual void OnReset() {}
    virtual void OnSlider(HWND /*hSlider*/, int /*nPos*/) {}
    virtual void OnNumberChanged(HWND /*hField*/, int /*nValue*/) {}

    SScanParamRecord& Record() { return *m_host.pRecord; }
    const SScanParamRecord& Record() const { return *m_host.pRecord; }
    const SAdjustHost& Host() const { return m_host; }
    // The effect library of this opening; its calls answer 4 when it is missing.
    CImageEffects& Effects() { return *m_pEffects; }
    // Selects and shows a channel of the list (0 when the list does not offer it).
    void SelectChannel(int nChannel);
    // After a change the user made: mark the named setting custom (unless told not to), then
    // have the host re-process the preview.
    void NotifyChanged(bool bMarkCustom = true);

    void InitSlider(CTransparentSlider& slider, int nId, int nMin, int nMax, int nValue);
    static void SetSliderPos(const CTransparentSlider& slider, int nValue);
    void InitNumberField(CNumberEdit& field, int nId, int nMode, int nMin, int nMax, int nChars, int nValue);

private:
    void FillChannels();

    SAdjustHost m_host;
    UINT m_nBackground;
    UINT m_nTitle;
    int m_nChannel = 0;
    std::unique_ptr<CImageEffects> m_pEffects;
    CxSkinButton m_btnClose;
    CxSkinButton m_btnReset;
};
