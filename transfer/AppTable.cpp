#include "transfer/AppTable.h"

#include <algorithm>
#include <cwctype>
#include <initializer_list>

namespace {

std::wstring Upper(std::wstring s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return s;
}

bool IsOneOf(const std::wstring& s, std::initializer_list<const wchar_t*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const wchar_t* p) { return s == p; });
}

}  // namespace

std::wstring HostExeName(const std::wstring& sModulePath)
{
    std::wstring sUpper = Upper(sModulePath);
    size_t nSlash = sUpper.find_last_of(L'\\');
    return nSlash == std::wstring::npos ? sUpper : sUpper.substr(nSlash + 1);
}

std::wstring PhotoshopDirName(const std::wstring& sModulePath)
{
    // Character-set trimming, not suffix removal: "...\Adobe Photoshop CS2\Photoshop.exe" keeps
    // "CS2". Case is ignored, as file names do: a host started as "PHOTOSHOP.EXE" is the same program.
    static const std::wstring kTrim = Upper(L"\\Photoshop.exe");
    const std::wstring sUpper = Upper(sModulePath);
    size_t nEnd = sUpper.find_last_not_of(kTrim);
    std::wstring sDir = nEnd == std::wstring::npos ? std::wstring() : sUpper.substr(0, nEnd + 1);
    size_t nSlash = sDir.find_last_of(L'\\');
    return nSlash == std::wstring::npos ? sDir : sDir.substr(nSlash + 1);
}

bool IsOfficeIdentityHost(const std::wstring& sExeUpper)
{
    return IsOneOf(sExeUpper, {L"POWERPNT.EXE", L"EXCEL.EXE", L"WINWORD.EXE", L"FRONTPG.EXE", L"VISIO.EXE",
                               L"OUTLOOK.EXE", L"MSPUB.EXE", L"MSTORE.EXE"});
}

void ApplyHostApp(SAppFlags& flags, const std::wstring& sModulePath)
{
    const std::wstring sExe = HostExeName(sModulePath);
    if (IsOfficeIdentityHost(sExe) || sExe == L"ONENOTE.EXE")
        flags.bOffice = true;
    flags.bOfficeViewer = IsOneOf(sExe, {L"MSTORE.EXE", L"EXCEL.EXE", L"ACDSEE10.EXE", L"WINWORD.EXE", L"UTWAINEXE.EXE"});
    // The name is upper-cased already, so this row matches in any case.
    flags.bMsScanViewer = IsOneOf(sExe, {L"MSPVIEW.EXE", L"MSPSCAN.EXE"});
    flags.bPhotoshop = sExe == L"PHOTOSHOP.EXE";
    if (flags.bPhotoshop) {
        const std::wstring sDir = PhotoshopDirName(sModulePath);
        flags.bPhotoshopNotCS4 = sDir.find(L"CS4") == std::wstring::npos;
        flags.bPhotoshopCS2 = sDir.find(L"CS2") != std::wstring::npos;
    }
    flags.bClientWindow = sExe == L"TWAINCLIENTU.EXE";
    if (flags.bClientWindow)
        flags.bClientXfer = true;
    if (sExe == L"ACROBAT.EXE")
        flags.bAcrobat = true;
    flags.bImageEditor1 = IsOneOf(sExe, {L"IEDIT.EXE", L"IEDIT_.DAT"});
    flags.bImageEditor2 = sExe == L"IEDIT_.EXE";
}
