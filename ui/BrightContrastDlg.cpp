#include "ui/BrightContrastDlg.h"

#include <algorithm>
#include <vector>

#include "profile/Trace.h"
#include "ui/AdjustDialogIds.h"
#include "ui/AdjustDialogRules.h"
#include "ui/DialogSkin.h"
#include "ui/GdiHandles.h"

namespace {

constexpr UINT kBackground = 10433;
constexpr UINT kTitle = 1063;
constexpr int kLimit = 100;

}  // namespace

CCImageBrightContrastDlg::CCImageBrightContrastDlg(HINSTANCE hResModule, SAdjustHost host)
    : CAdjustDialog(IDD, hResModule, std::move(host), kBackground, kTitle)
{
    m_frame.SetPainter([this](HDC hDC, const RECT& rc) { DrawCurves(hDC, rc); });
}

int32_t& CCImageBrightContrastDlg::Value(EValue e, int nChannel)
{
    return e == kBrightness ? Record().nBrightness[nChannel] : Record().nContrast[nChannel];
}

void CCImageBrightContrastDlg::OnOpen()
{
    SetDlgStrings(m_hWnd, ResourceModule(), {{IDC_ADJ_BRIGHT_LABEL, 1072}, {IDC_ADJ_CONTRAST_LABEL, 1073}});
    MakeFrameSquare();
    m_frame.SubclassDlgItem(IDC_ADJ_FRAME, m_hWnd);
    const int sliders[2] = {IDC_ADJ_BRIGHT_SLIDER, IDC_ADJ_CONTRAST_SLIDER};
    const int fields[2] = {IDC_ADJ_BRIGHT_EDIT, IDC_ADJ_CONTRAST_EDIT};
    for (EValue e : {kBrightness, kContrast}) {
        int nValue = std::clamp(Value(e, 0), -kLimit, kLimit);
        InitSlider(m_sliders[e], sliders[e], -kLimit, kLimit, nValue);
        InitNumberField(m_fields[e], fields[e], CNumberFieldRule::kSigned, -kLimit, kLimit, 4, nValue);
    }
    ComputeCurves();
}

void CCImageBrightContrastDlg::MakeFrameSquare()
{
    HWND hFrame = GetDlgItem(IDC_ADJ_FRAME);
    if (!hFrame)
        return;
    RECT rc = CWnd(hFrame).GetWindowRectIn(m_hWnd);
    // In a mirrored dialog the mapped left edge is the larger one.
    int nLeft = std::min(rc.left, rc.right);
    int nSide = rc.bottom - rc.top;
    ::MoveWindow(hFrame, nLeft - 3 - 1, rc.top - 3 + 1, nSide + 6, nSide + 6, FALSE);
}

void CCImageBrightContrastDlg::ShowChannel()
{
    for (EValue e : {kBrightness, kContrast}) {
        int nValue = std::clamp(Value(e, Channel()), -kLimit, kLimit);
        SetSliderPos(m_sliders[e], nValue);
        m_fields[e].SetValue(nValue);
    }
    ComputeCurves();
}

void CCImageBrightContrastDlg::OnChannelChanged()
{
    ShowChannel();
}

void CCImageBrightContrastDlg::Take(EValue e, int nValue)
{
    if (nValue == Value(e, Channel()))
        return;
    Value(e, Channel()) = nValue;
    SetSliderPos(m_sliders[e], nValue);
    m_fields[e].SetValue(nValue);
    ComputeCurves();
    NotifyChanged();
}

void CCImageBrightContrastDlg::OnSlider(HWND hSlider, int nPos)
{
    for (EValue e : {kBrightness, kContrast})
        if (hSlider == m_sliders[e].GetSafeHwnd())
            Take(e, nPos);
}

void CCImageBrightContrastDlg::OnNumberChanged(HWND hField, int nValue)
{
    for (EValue e : {kBrightness, kContrast})
        if (hField == m_fields[e].GetSafeHwnd())
            Take(e, nValue);
}

void CCImageBrightContrastDlg::OnReset()
{
    SScanParamRecord& rec = Record();
    bool bAnySet = std::any_of(std::begin(rec.nBrightness), std::end(rec.nBrightness), [](int32_t n) { return n != 0; }) ||
                   std::any_of(std::begin(rec.nContrast), std::end(rec.nContrast), [](int32_t n) { return n != 0; });
    if (bAnySet) {
        std::fill(std::begin(rec.nBrightness), std::end(rec.nBrightness), 0);
        std::fill(std::begin(rec.nContrast), std::end(rec.nContrast), 0);
        NotifyChanged();
    }
    SelectChannel(0);
}

void CCImageBrightContrastDlg::OnOK()
{
    TraceA(" CCImageBrightContrastDlg::OnOK()");
}

void CCImageBrightContrastDlg::ComputeCurves()
{
    for (int c : CurveDrawOrder(Channel())) {
        std::array<int32_t, 256>& table = m_tables[c];
        for (int i = 0; i < 256; ++i)
            table[i] = i;
        Effects().Curve_BrightAndConsent(Value(kBrightness, c), Value(kContrast, c), table.data());
    }
    m_frame.Redraw();
}

void CCImageBrightContrastDlg::DrawCurves(HDC hDC, const RECT& rc) const
{
    int nWidth = rc.right - rc.left;
    int nHeight = rc.bottom - rc.top;
    TraceA("CCImageBrightContrastDlg::Drawline: x= %d, y = %d,Prect.Width() = %d, Prect.Height() = %d",
           static_cast<int>(rc.left), static_cast<int>(rc.top), nWidth, nHeight);
    {
        CPenHandle hBorder(::CreatePen(PS_INSIDEFRAME, 2, RGB(149, 146, 145)));
        CBrushHandle hFill(::CreateSolidBrush(RGB(235, 233, 237)));
        CSelection pen(hDC, hBorder.Get());
        CSelection brush(hDC, hFill.Get());
        ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
    }
    std::vector<POINT> points(256);
    for (int c : CurveDrawOrder(Channel())) {
        for (int i = 0; i < 256; ++i) {
            SPlotPoint pt = BrightContrastCurvePoint(i, m_tables[c][i], nWidth - 1, nHeight - 1);
            points[i] = {rc.left + pt.x, rc.top + pt.y};
        }
        CPenHandle hPen(::CreatePen(PS_SOLID, 1, kCurveColours[c]));
        CSelection pen(hDC, hPen.Get());
        // 256 = 3 x 85 + 1 points: one start point and 85 Bezier segments.
        ::PolyBezier(hDC, points.data(), static_cast<DWORD>(points.size()));
    }
}
