#include "ui/SettingTexts.h"

#include <cwchar>
#include <iterator>

#include "device/PaperTables.h"
#include "device/ScanGeometry.h"
#include "profile/Language.h"
#include "profile/Resources.h"

namespace {

// The string of a list entry, or the first entry's for an index outside the list.
template <size_t N>
std::wstring ListEntry(const UINT (&ids)[N], int nIndex)
{
    return LoadLangString(ids[nIndex >= 0 && static_cast<size_t>(nIndex) < N ? nIndex : 0]);
}

}  // namespace

std::wstring SourceName(int nSource)
{
    static const UINT kIds[] = {1026, 1138, 1145};
    return ListEntry(kIds, nSource);
}

std::wstring ColourModeName(int nColourMode)
{
    // Black and white, grey, colour: the record's values 0, 1, 2.
    static const UINT kIds[] = {1030, 1029, 1028};
    return ListEntry(kIds, nColourMode);
}

std::wstring ResolutionText(int nDpi)
{
    if (int nId = ResolutionLabelId(nDpi))
        return LoadLangString(static_cast<UINT>(nId));
    wchar_t sz[32] = L"";
    std::swprintf(sz, 32, L"%d dpi", nDpi);
    return sz;
}

std::wstring PaperName(int nSource, int nPaperIndex)
{
    _PaperInfo info{};
    if (nPaperIndex >= GetMaxSanSizeNum(nSource) || !getPeperInfo(&info, nSource, nPaperIndex))
        return LoadLangString(1045);
    return LoadLangString(static_cast<UINT>(info.nNameId));
}

std::wstring RotationName(int nRotation)
{
    static const UINT kIds[] = {1058, 1059, 1060, 1061};
    return ListEntry(kIds, nRotation);
}

std::wstring DescreenName(int nDescreen)
{
    static const UINT kIds[] = {1051, 1050};
    return ListEntry(kIds, nDescreen);
}

std::wstring FadingName(int nFading)
{
    static const UINT kIds[] = {1053, 1054, 1055, 1056};
    return ListEntry(kIds, nFading);
}

std::wstring CurveName(int nCurve)
{
    static const UINT kIds[] = {1082, 1083, 1084, 1085, 1086};
    return ListEntry(kIds, nCurve);
}

SSummaryLocale CurrentSummaryLocale()
{
    SSummaryLocale locale;
    locale.wcDecimal = g_wcDecimalSep;
    locale.bFrench = g_LangugueID == kLanguageFrench;
    locale.bRussian = g_LangugueID == kLanguageRussian;
    locale.bRightToLeft = g_bHebrew != FALSE;
    locale.sPixelUnit = LoadLangString(1144);
    return locale;
}
