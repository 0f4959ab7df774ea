#include "ui/AdjustDialog.h"

#include <commctrl.h>

#include "imaging/ImgEffectBinding.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustDialogRules.h"
#include "ui/DialogSkin.h"

namespace {

constexpr UINT kTextClose = 1017;
constexpr UINT kTextReset = 1074;
constexpr UINT kTextChannel = 1067;

bool IsEnterKey(const MSG& msg)
{
    bool bKey = (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_RETURN;
    return bKey || (msg.message == WM_CHAR && msg.wParam == L'\r');
}

}  // namespace

CAdjustDialog::CAdjustDialog(UINT nIdTemplate, HINSTANCE hResModule, SAdjustHost host, UINT nBackground, UINT nTitle)
    : CSkinnedDialog(nIdTemplate, hResModule, false), m_host(std::move(host)), m_nBackground(nBackground), m_nTitle(nTitle)
{
    Map().OnCommand(IDCANCEL, [this] { EndDialog(IDCANCEL); });
    Map().OnCommand(IDC_ADJ_RESET, [this] { OnReset(); });
    Map().OnCommand(IDC_ADJ_CHANNEL, [this] {
        int nSel = static_cast<int>(::SendMessageW(GetDlgItem(IDC_ADJ_CHANNEL), CB_GETCURSEL, 0, 0));
        if (nSel >= 0 && nSel != m_nChannel) {
            m_nChannel = nSel;
            OnChannelChanged();
        }
    }, CBN_SELCHANGE);
    Map().OnRaw(WM_HSCROLL, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        auto hSlider = reinterpret_cast<HWND>(lParam);
        if (!hSlider || ::GetParent(hSlider) != m_hWnd)
            return false;
        OnSlider(hSlider, static_cast<int>(::SendMessageW(hSlider, TBM_GETPOS, 0, 0)));
        lResult = 0;
        return true;
    });
    Map().OnMessage(CNumberEdit::kMsgValueChanged, [this](WPARAM wParam, LPARAM) -> LRESULT {
        auto hField = reinterpret_cast<HWND>(wParam);
        auto* pField = dynamic_cast<CNumberEdit*>(CWnd::FromHandlePermanent(hField));
        if (pField && pField->Value())
            OnNumberChanged(hField, *pField->Value());
        return 0;
    });
    // Fields and lists keep the system's colours when disabled; only labels are transparent.
    Map().OnRaw(WM_CTLCOLORSTATIC, [this](WPARAM, LPARAM lParam, LRESULT& lResult) {
        wchar_t szClass[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(lParam), szClass, 16);
        if (_wcsicmp(szClass, L"Edit") != 0 && _wcsicmp(szClass, L"ComboBox") != 0)
            return false;
        lResult = Default();
        return true;
    });
    Map().OnRaw(WM_DESTROY, [this](WPARAM, LPARAM, LRESULT&) {
        m_pEffects.reset();
        return false;
    });
}

CAdjustDialog::~CAdjustDialog()
{
    if (m_hWnd)
        DestroyWindow();
}

INT_PTR CAdjustDialog::Show(HWND hParent)
{
    if (!m_host.pRecord)
        return -1;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    return DoModal(hParent && ::IsWindow(hParent) ? hParent : nullptr);
}

BOOL CAdjustDialog::PreTranslateMessage(MSG* pMsg)
{
    bool bOurs = m_hWnd && pMsg && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd));
    if (bOurs && IsEnterKey(*pMsg)) {
        // The number field takes Enter to check its number; anywhere else Enter does nothing.
        if (dynamic_cast<CNumberEdit*>(CWnd::FromHandlePermanent(pMsg->hwnd)))
            return CDialog::PreTranslateMessage(pMsg);
        if (pMsg->message == WM_KEYDOWN)
            OnOK();
    }
    return CSkinnedDialog::PreTranslateMessage(pMsg);
}

BOOL CAdjustDialog::OnInitDialog()
{
    HINSTANCE hRes = ResourceModule();
    SetBackground(m_nBackground);
    SetWindowText(LoadDlgString(hRes, m_nTitle));
    AttachTextButton(m_btnClose, m_hWnd, IDCANCEL);
    SetDlgStrings(m_hWnd, hRes, {{IDCANCEL, kTextClose}});
    if (GetDlgItem(IDC_ADJ_RESET)) {
        AttachTextButton(m_btnReset, m_hWnd, IDC_ADJ_RESET);
        SetDlgStrings(m_hWnd, hRes, {{IDC_ADJ_RESET, kTextReset}});
    }
    if (GetDlgItem(IDC_ADJ_CHANNEL_LABEL))
        SetDlgStrings(m_hWnd, hRes, {{IDC_ADJ_CHANNEL_LABEL, kTextChannel}});
    FillChannels();
    m_pEffects = std::make_unique<CImgEffectBinding>(CImgEffectBinding::OwnModuleDirectory().c_str(),
                                                     m_host.sEffectPrefix.c_str());
    OnOpen();
    CenterWindowOn(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
    return TRUE;
}

void CAdjustDialog::FillChannels()
{
    m_nChannel = 0;
    HWND hList = GetDlgItem(IDC_ADJ_CHANNEL);
    if (!hList)
        return;
    ::SendMessageW(hList, CB_RESETCONTENT, 0, 0);
    for (int c = 0; c < ChannelEntryCount(Record().nColourMode); ++c)
        ::SendMessageW(hList, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(LoadDlgString(ResourceModule(), kChannelStringIds[c]).c_str()));
    ::SendMessageW(hList, CB_SETCURSEL, 0, 0);
}

void CAdjustDialog::SelectChannel(int nChannel)
{
    HWND hList = GetDlgItem(IDC_ADJ_CHANNEL);
    int nCount = hList ? static_cast<int>(::SendMessageW(hList, CB_GETCOUNT, 0, 0)) : 0;
    m_nChannel = nChannel >= 0 && nChannel < nCount ? nChannel : 0;
    if (hList)
        ::SendMessageW(hList, CB_SETCURSEL, static_cast<WPARAM>(m_nChannel), 0);
    OnChannelChanged();
}

void CAdjustDialog::NotifyChanged(bool bMarkCustom)
{
    if (bMarkCustom && m_host.fnMarkCustom)
        m_host.fnMarkCustom();
    if (m_host.fnReprocessPreview)
        m_host.fnReprocessPreview();
}

void CAdjustDialog::InitSlider(CTransparentSlider& slider, int nId, int nMin, int nMax, int nValue)
{
    slider.SubclassDlgItem(nId, m_hWnd);
    // Minimum and maximum separately: a negative minimum does not survive MAKELPARAM.
    ::SendMessageW(slider, TBM_SETRANGEMIN, FALSE, nMin);
    ::SendMessageW(slider, TBM_SETRANGEMAX, FALSE, nMax);
    ::SendMessageW(slider, TBM_SETPAGESIZE, 0, (nMax - nMin) / 10 > 0 ? (nMax - nMin) / 10 : 1);
    // A new range leaves the thumb where the old one put it until the position changes.
    ::SendMessageW(slider, TBM_SETPOS, FALSE, nValue == nMin ? nMax : nMin);
    SetSliderPos(slider, nValue);
}

void CAdjustDialog::SetSliderPos(const CTransparentSlider& slider, int nValue)
{
    ::SendMessageW(slider, TBM_SETPOS, TRUE, nValue);
}

void CAdjustDialog::InitNumberField(CNumberEdit& field, int nId, int nMode, int nMin, int nMax, int nChars, int nValue)
{
    field.SubclassDlgItem(nId, m_hWnd);
    field.SetMode(nMode);
    field.SetRange(nMin, nMax);
    ::SendMessageW(field, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
    field.SetValue(nValue);
}
