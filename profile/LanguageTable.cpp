#include "profile/LanguageTable.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <initializer_list>

namespace {

struct SLanguage {
    const wchar_t* pszName;
    const wchar_t* pszCode;
};

constexpr std::array<SLanguage, kLanguageCount> kLanguages = {{
    {L"Simplified_Chinese", L"zhcn"}, {L"English", L"enus"},   {L"Japanese", L"ja"},   {L"Russian", L"ru"},
    {L"Portuguese", L"pt"},           {L"Spanish", L"esmx"},   {L"French", L"fr"},     {L"Polish", L"pl"},
    {L"German", L"de"},               {L"Italian", L"it"},     {L"Arabic", L"ar"},     {L"Turkish", L"tr"},
    {L"Danish", L"enus"},             {L"Finnish", L"enus"},   {L"Dutch", L"enus"},    {L"Czech", L"cs"},
    {L"Norwegian", L"no"},            {L"Swedish", L"sv"},     {L"Slovak", L"enus"},   {L"Hungarian", L"hu"},
    {L"Traditional_Chinese", L"zhtw"}, {L"Hebrew", L"he"},     {L"Korean", L"ko"},     {L"Romanian", L"ro"},
    {L"Bulgarian", L"bu"},            {L"Thai", L"th"},        {L"Greek", L"el"},
}};

bool InList(uint32_t n, std::initializer_list<uint32_t> list)
{
    return std::find(list.begin(), list.end(), n) != list.end();
}

}  // namespace

const wchar_t* LanguageNameAt(int nIndex)
{
    return nIndex >= 0 && nIndex < kLanguageCount ? kLanguages[nIndex].pszName : nullptr;
}

const wchar_t* LanguageCodeAt(int nIndex)
{
    return nIndex >= 0 && nIndex < kLanguageCount ? kLanguages[nIndex].pszCode : L"enus";
}

int LanguageIndexFromName(const wchar_t* pszName)
{
    if (!pszName)
        return -1;
    static const int kSelectable[] = {0, 20, 1, 3, 9, 6, 10, 5, 16, 17, 2, 8, 11, 7, 21, 4, 22, 23, 24, 15, 26, 25, 19};
    for (int nIndex : kSelectable)
        if (std::wcscmp(pszName, kLanguages[nIndex].pszName) == 0)
            return nIndex;
    return -1;
}

int LanguageIndexFromLcid(uint32_t nLcid)
{
    const uint32_t nPrimary = nLcid & 0x3FF, nSub = nLcid >> 10;
    switch (nPrimary) {
    case 0x04:  // Chinese: Simplified in the mainland and Singapore, Traditional elsewhere listed
        if (InList(nLcid, {0x0804, 0x1004}))
            return 0;
        if (InList(nLcid, {0x0404, 0x0C04, 0x1404}))
            return 20;
        return kLanguageEnglish;
    case 0x11: return nLcid == 0x0411 ? 2 : kLanguageEnglish;
    case 0x19: return nLcid == 0x0419 ? 3 : kLanguageEnglish;
    case 0x16: return InList(nLcid, {0x0416, 0x0816}) ? 4 : kLanguageEnglish;
    case 0x0A: return nSub >= 1 && nSub <= 0x15 ? 5 : kLanguageEnglish;
    case 0x0C: return nSub >= 1 && nSub <= 6 ? 6 : kLanguageEnglish;
    case 0x15: return nLcid == 0x0415 ? 7 : kLanguageEnglish;
    case 0x07: return nSub >= 1 && nSub <= 5 ? 8 : kLanguageEnglish;
    case 0x10: return InList(nLcid, {0x0410, 0x0810}) ? 9 : kLanguageEnglish;
    case 0x01: return nSub >= 1 && nSub <= 0x10 ? 10 : kLanguageEnglish;
    case 0x1F: return nLcid == 0x041F ? 11 : kLanguageEnglish;
    case 0x06: return nLcid == 0x0406 ? 12 : kLanguageEnglish;
    case 0x0B: return nLcid == 0x040B ? 13 : kLanguageEnglish;
    case 0x13: return InList(nLcid, {0x0413, 0x0813}) ? 14 : kLanguageEnglish;
    case 0x05: return nLcid == 0x0405 ? 15 : kLanguageEnglish;
    case 0x14: return InList(nLcid, {0x0414, 0x0814}) ? 16 : kLanguageEnglish;
    case 0x1D: return InList(nLcid, {0x041D, 0x081D}) ? 17 : kLanguageEnglish;
    case 0x1B: return nLcid == 0x041B ? 18 : kLanguageEnglish;
    case 0x0E: return nLcid == 0x040E ? 19 : kLanguageEnglish;
    case 0x0D: return nLcid == 0x040D ? 21 : kLanguageEnglish;
    case 0x12: return nLcid == 0x0412 ? 22 : kLanguageEnglish;
    case 0x18: return nLcid == 0x0418 ? 23 : kLanguageEnglish;
    case 0x02: return nLcid == 0x0402 ? 24 : kLanguageEnglish;
    case 0x1E: return nLcid == 0x041E ? 25 : kLanguageEnglish;
    case 0x08: return nLcid == 0x0408 ? 26 : kLanguageEnglish;
    default: return kLanguageEnglish;
    }
}

SLanguageChars LanguageCharsAt(int nIndex)
{
    SLanguageChars c;
    switch (nIndex) {
    case 3:  // Russian
        c.wcDecimal = L',';
        c.byPreviewKey = 177;
        c.byScanKey = 179;
        break;
    case 5:  // Spanish
        c.byPreviewKey = 0x56;
        c.byScanKey = 0x45;
        break;
    case 6:   // French
    case 8:   // German
    case 11:  // Turkish
        c.wcDecimal = L',';
        break;
    case 9:  // Italian
        c.wcDecimal = L',';
        c.byPreviewKey = 0x41;
        break;
    case 10:  // Arabic
        c.byPreviewKey = 0x3F;
        c.byScanKey = 0x3F;
        break;
    case 16:  // Norwegian
    case 17:  // Swedish
        c.wcDecimal = L',';
        c.byPreviewKey = 0x46;
        break;
    default:
        break;
    }
    return c;
}

bool IsRightToLeftCode(const wchar_t* pszCode)
{
    return pszCode && (std::wcscmp(pszCode, L"he") == 0 || std::wcscmp(pszCode, L"ar") == 0);
}
