#include "ui/ToneCurveDlg.h"

#include <algorithm>
#include <vector>

#include "ui/AdjustDialogIds.h"
#include "ui/AdjustDialogRules.h"
#include "ui/DialogSkin.h"
#include "ui/GdiHandles.h"

namespace {

constexpr UINT kBackground = 10435;
constexpr UINT kTitle = 1066;
constexpr UINT kPresetStrings[] = {1082, 1083, 1084, 1085, 1086};
constexpr int kPresets = 5;

}  // namespace

CDlg_Curve::CDlg_Curve(HINSTANCE hResModule, SAdjustHost host)
    : CAdjustDialog(IDD, hResModule, std::move(host), kBackground, kTitle)
{
    m_frame.SetPainter([this](HDC hDC, const RECT& rc) { DrawCurves(hDC, rc); });
    Map().OnCommand(IDC_ADJ_PRESET, [this] { OnPresetChanged(); }, CBN_SELCHANGE);
}

void CDlg_Curve::OnOpen()
{
    HINSTANCE hRes = ResourceModule();
    SetDlgStrings(m_hWnd, hRes, {{IDC_ADJ_PRESET_LABEL, 1081}});
    m_frame.SubclassDlgItem(IDC_ADJ_FRAME, m_hWnd);
    HWND hList = GetDlgItem(IDC_ADJ_PRESET);
    ::SendMessageW(hList, CB_RESETCONTENT, 0, 0);
    for (UINT nId : kPresetStrings)
        ::SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadDlgString(hRes, nId).c_str()));
    ShowPreset();
}

void CDlg_Curve::ShowPreset()
{
    int nPreset = Record().nCurve[Channel()];
    ::SendMessageW(GetDlgItem(IDC_ADJ_PRESET), CB_SETCURSEL, nPreset >= 0 && nPreset < kPresets ? nPreset : 0, 0);
    m_frame.Redraw();
}

void CDlg_Curve::OnChannelChanged()
{
    ShowPreset();
}

void CDlg_Curve::OnPresetChanged()
{
    int nSel = static_cast<int>(::SendMessageW(GetDlgItem(IDC_ADJ_PRESET), CB_GETCURSEL, 0, 0));
    if (nSel < 0 || nSel == Record().nCurve[Channel()])
        return;
    Record().nCurve[Channel()] = nSel;
    m_frame.Redraw();
    NotifyChanged();
}

void CDlg_Curve::OnReset()
{
    int32_t(&curves)[4] = Record().nCurve;
    bool bAnySet = std::any_of(std::begin(curves), std::end(curves), [](int32_t n) { return n != 0; });
    std::fill(std::begin(curves), std::end(curves), 0);
    SelectChannel(0);
    if (bAnySet)
        NotifyChanged();
}

void CDlg_Curve::DrawCurves(HDC hDC, const RECT& rc) const
{
    // Larger values upward, one pixel inside the frame's left and bottom edges.
    const int nWidth = rc.right - rc.left - 2;
    const int nHeight = rc.bottom - rc.top - 2;
    if (nWidth <= 0 || nHeight <= 0)
        return;
    std::vector<POINT> points(256);
    for (int c : CurveDrawOrder(Channel())) {
        const int nPreset = Record().nCurve[c];
        for (int x = 0; x < 256; ++x)
            points[x] = {rc.left + 1 + x * nWidth / 255,
                         rc.top + nHeight - ToneCurveDisplayValue(nPreset, x) * nHeight / 255};
        CPenHandle hPen(::CreatePen(PS_SOLID, 1, kCurveColours[c]));
        CSelection pen(hDC, hPen.Get());
        ::Polyline(hDC, points.data(), static_cast<int>(points.size()));
    }
}
