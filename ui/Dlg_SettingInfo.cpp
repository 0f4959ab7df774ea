#include "ui/Dlg_SettingInfo.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>

#include "profile/Resources.h"
#include "ui/MainDialogIds.h"
#include "ui/SettingTexts.h"

namespace {

enum ERow { kSource, kMode, kResolution, kArea, kRotation, kDescreen, kFading, kBrightness, kContrast, kGamma,
            kThreshold, kCurve };
const UINT kRowLabels[IDC_SUMMARY_ROWS] = {1025, 1027, 1031, 1037, 1057, 1049, 1052, 1072, 1073, 1075, 1076, 1066};

std::wstring Printf(const wchar_t* pszFormat, ...)
{
    wchar_t sz[256] = L"";
    va_list args;
    va_start(args, pszFormat);
    std::vswprintf(sz, 256, pszFormat, args);
    va_end(args);
    return sz;
}

// Brightness or contrast: the four channels in colour, the master value in grey.
std::wstring ChannelValues(const int32_t (&n)[4], bool bColour)
{
    return bColour ? Printf(L"RGB:%d  R:%d  G:%d   B:%d", n[0], n[1], n[2], n[3]) : Printf(L"RGB:%d ", n[0]);
}

}  // namespace

CDlg_SettingInfo::CDlg_SettingInfo(HINSTANCE hResModule) : CSkinnedDialog(IDD, hResModule, false)
{
    Map().OnCommand(IDOK, [this] { EndDialog(IDOK); });
}

void CDlg_SettingInfo::SetSettings(const SScanParamRecord& rec, const SInchRect& area, int nDpi)
{
    m_rec = rec;
    m_area = area;
    m_nDpi = nDpi;
}

std::wstring CDlg_SettingInfo::RowValue(int nRow) const
{
    const bool bColour = m_rec.nColourMode == kColourRgb, bBw = m_rec.nColourMode == kColourBw;
    switch (nRow) {
    case kSource:
        return SourceName(m_rec.nSource);
    case kMode:
        return ColourModeName(m_rec.nColourMode);
    case kResolution:
        return ResolutionText(m_nDpi);
    case kArea:
        return PaperName(m_rec.nSource, m_rec.nPaperIndex);
    case kRotation:
        return RotationName(m_rec.nRotation);
    case kDescreen:
        return bBw ? L"" : DescreenName(m_rec.nDescreen);
    case kFading:
        return bColour ? FadingName(m_rec.nFading) : L"";
    case kBrightness:
        return bBw ? L"" : ChannelValues(m_rec.nBrightness, bColour);
    case kContrast:
        return bBw ? L"" : ChannelValues(m_rec.nContrast, bColour);
    case kGamma:
        return Printf(L"%.1f", m_rec.nGamma / 10.0);
    case kThreshold:
        return bBw ? Printf(L"%d", m_rec.nThreshold) : L"";
    case kCurve: {
        if (bBw)
            return L"";
        const std::wstring sMaster = CurveName(m_rec.nCurve[0]);
        if (!bColour)
            return L"RGB:" + sMaster + L" ";
        return L"RGB:" + sMaster + L" \nR:" + CurveName(m_rec.nCurve[1]) + L" \nG:" + CurveName(m_rec.nCurve[2]) +
               L" \nB:" + CurveName(m_rec.nCurve[3]);
    }
    default:
        return L"";
    }
}

BOOL CDlg_SettingInfo::OnInitDialog()
{
    SetBackground(10442);
    SetWindowText(LoadLangString(1021));
    CWnd(GetDlgItem(IDOK)).SetWindowText(LoadLangString(1017));
    for (int i = 0; i < IDC_SUMMARY_ROWS; ++i) {
        CWnd(GetDlgItem(IDC_SUMMARY_LABEL_FIRST + i)).SetWindowText(LoadLangString(kRowLabels[i]));
        CWnd(GetDlgItem(IDC_SUMMARY_VALUE_FIRST + i)).SetWindowText(RowValue(i));
    }
    LayOut();
    CenterWindowOn(m_hWnd, ::GetParent(m_hWnd));
    return TRUE;
}

void CDlg_SettingInfo::LayOut()
{
    // One line's pitch from the template's first two rows; a value of n lines takes n pitches.
    auto rectOf = [this](int nId) {
        return CWnd(GetDlgItem(nId)).GetWindowRectIn(m_hWnd);
    };
    const RECT rcFirst = rectOf(IDC_SUMMARY_LABEL_FIRST);
    const int nPitch = rectOf(IDC_SUMMARY_LABEL_FIRST + 1).top - rcFirst.top;
    const int nLineHeight = rcFirst.bottom - rcFirst.top;
    int y = rcFirst.top;
    for (int i = 0; i < IDC_SUMMARY_ROWS; ++i) {
        HWND hLabel = GetDlgItem(IDC_SUMMARY_LABEL_FIRST + i), hValue = GetDlgItem(IDC_SUMMARY_VALUE_FIRST + i);
        const std::wstring sValue = RowValue(i);
        const bool bShown = !sValue.empty();
        ::ShowWindow(hLabel, bShown ? SW_SHOW : SW_HIDE);
        ::ShowWindow(hValue, bShown ? SW_SHOW : SW_HIDE);
        if (!bShown)
            continue;
        const int nLines = 1 + static_cast<int>(std::count(sValue.begin(), sValue.end(), L'\n'));
        const RECT rcLabel = rectOf(IDC_SUMMARY_LABEL_FIRST + i), rcValue = rectOf(IDC_SUMMARY_VALUE_FIRST + i);
        ::SetWindowPos(hLabel, nullptr, rcLabel.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SetWindowPos(hValue, nullptr, rcValue.left, y, rcValue.right - rcValue.left,
                       nLineHeight + (nLines - 1) * nPitch, SWP_NOZORDER);
        y += nLines * nPitch;
    }
    // The Close button follows the last row shown; the dialog ends below it.
    HWND hClose = GetDlgItem(IDOK);
    RECT rcClose = rectOf(IDOK);
    const int nShift = (rcClose.top - (y + nPitch)) > 0 ? rcClose.top - (y + nPitch) : 0;
    ::SetWindowPos(hClose, nullptr, rcClose.left, rcClose.top - nShift, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT rcWnd = GetWindowRect();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rcWnd.right - rcWnd.left, rcWnd.bottom - rcWnd.top - nShift,
                   SWP_NOMOVE | SWP_NOZORDER);
}
