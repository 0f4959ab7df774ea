// The language libraries, every one of them: resources only, every English string in every
// language, every template creating with the controls of the English one (mirrored for right to
// left), every control's text fitting its control, and the bitmaps and cursors. Strings and
// templates are enumerated from the English library, so new ones are checked without listing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ui/DialogDriver.h"
#include "ui/SaveDialogIds.h"
#include "ui/ScanDialogIds.h"

namespace fs = std::filesystem;

namespace {

const wchar_t* const kCodes[] = {L"zhcn", L"enus", L"ja", L"ru", L"pt", L"esmx", L"fr", L"pl", L"de", L"it", L"ar", L"tr",
                                 L"cs",   L"no",   L"sv", L"hu", L"zhtw", L"he", L"ko", L"ro", L"bu", L"th", L"el"};

class CResourceLib {
public:
    explicit CResourceLib(const std::wstring& sCode)
    {
        wchar_t szExe[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, szExe, MAX_PATH);
        m_path = fs::path(szExe).parent_path() / (L"mvltwrc" + sCode + L".dll");
        m_h = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~CResourceLib()
    {
        if (m_h)
            FreeLibrary(m_h);
    }
    CResourceLib(const CResourceLib&) = delete;
    CResourceLib& operator=(const CResourceLib&) = delete;
    HMODULE Get() const { return m_h; }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
    HMODULE m_h = nullptr;
};

std::wstring Text(HMODULE h, UINT nId)
{
    const wchar_t* p = nullptr;
    int n = LoadStringW(h, nId, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 && p ? std::wstring(p, n) : std::wstring();
}

std::vector<UINT> ResourceIds(HMODULE h, LPCWSTR pType)
{
    std::vector<UINT> ids;
    EnumResourceNamesW(h, pType, [](HMODULE, LPCWSTR, LPWSTR pName, LONG_PTR p) -> BOOL {
        if (IS_INTRESOURCE(pName))
            reinterpret_cast<std::vector<UINT>*>(p)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(pName)));
        return TRUE;
    }, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// Every string of the English library: a string table block n holds the ids 16 (n - 1) to 16 n - 1.
std::vector<UINT> EnglishStringIds()
{
    CResourceLib en(L"enus");
    std::vector<UINT> ids;
    for (UINT nBlock : ResourceIds(en.Get(), MAKEINTRESOURCEW(6)))  // RT_STRING
        for (UINT n = (nBlock - 1) * 16; n < nBlock * 16; ++n)
            if (!Text(en.Get(), n).empty())
                ids.push_back(n);
    return ids;
}

bool IsRightToLeft(const std::wstring& sCode)
{
    return sCode == L"ar" || sCode == L"he";
}

// Creates the language's templates the way the dialogs do: the scanning dialog's class
// registered for the resource module, the common controls ready.
class CTemplates {
public:
    explicit CTemplates(HMODULE h) : m_h(h)
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        GetClassInfoW(nullptr, L"#32770", &wc);
        wc.lpszClassName = L"Q7100UIFLAG";
        wc.hInstance = h;
        m_bClass = RegisterClassW(&wc) != 0;
    }
    ~CTemplates()
    {
        if (m_hHost)
            DestroyWindow(m_hHost);
        if (m_bClass)
            UnregisterClassW(L"Q7100UIFLAG", m_h);
    }
    // Pages (child templates) are made inside a hidden host window, dialogs on their own.
    HWND Create(UINT nId)
    {
        auto proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
        HWND hDlg = CreateDialogParamW(m_h, MAKEINTRESOURCEW(nId), nullptr, proc, 0);
        if (hDlg || GetLastError() != ERROR_TLW_WITH_WSCHILD)
            return hDlg;
        if (!m_hHost)
            m_hHost = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        return CreateDialogParamW(m_h, MAKEINTRESOURCEW(nId), m_hHost, proc, 0);
    }

private:
    HMODULE m_h;
    bool m_bClass = false;
    HWND m_hHost = nullptr;
};

std::vector<HWND> Children(HWND hDlg)
{
    std::vector<HWND> v;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        v.push_back(h);
    return v;
}

std::wstring ClassOf(HWND h)
{
    wchar_t sz[64] = L"";
    GetClassNameW(h, sz, 64);
    return sz;
}

// Room the control leaves its text (0: the control shows no text of its own), and whether the
// text wraps onto further lines.
struct SRoom {
    int nWidth = 0;
    bool bWraps = false;
};

SRoom RoomFor(HWND hCtrl)
{
    RECT rc{};
    GetClientRect(hCtrl, &rc);
    const LONG nStyle = GetWindowLongW(hCtrl, GWL_STYLE);
    const std::wstring sClass = ClassOf(hCtrl);
    if (_wcsicmp(sClass.c_str(), L"Button") == 0) {
        const LONG nType = nStyle & BS_TYPEMASK;
        const bool bMulti = (nStyle & BS_MULTILINE) != 0;
        if (nType == BS_GROUPBOX)
            return {rc.right - 16, false};
        if (nType == BS_CHECKBOX || nType == BS_AUTOCHECKBOX || nType == BS_RADIOBUTTON || nType == BS_AUTORADIOBUTTON ||
            nType == BS_3STATE || nType == BS_AUTO3STATE)
            return {rc.right - GetSystemMetrics(SM_CXMENUCHECK) - 4, bMulti};
        if (nType == BS_PUSHBUTTON || nType == BS_DEFPUSHBUTTON || nType == BS_OWNERDRAW)
            return {rc.right - 6, bMulti};
        return {};
    }
    if (_wcsicmp(sClass.c_str(), L"Static") == 0) {
        const LONG nType = nStyle & SS_TYPEMASK;
        if (nType == SS_LEFT || nType == SS_CENTER || nType == SS_RIGHT)
            return {rc.right, true};
        if (nType == SS_LEFTNOWORDWRAP || nType == SS_SIMPLE)
            return {rc.right, false};
    }
    return {};
}

// Empty when the text fits the control as the control would draw it with its own font,
// else what it needs and what it has.
std::wstring Misfit(HWND hCtrl, const std::wstring& sText)
{
    const SRoom room = RoomFor(hCtrl);
    if (room.nWidth == 0 || sText.empty())
        return L"";
    RECT rcCtrl{};
    GetClientRect(hCtrl, &rcCtrl);
    HDC hdc = GetDC(hCtrl);
    HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(hCtrl, WM_GETFONT, 0, 0)));
    RECT rc{0, 0, room.nWidth, 0};
    DrawTextW(hdc, sText.c_str(), -1, &rc, DT_CALCRECT | (room.bWraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(hdc, hOld);
    ReleaseDC(hCtrl, hdc);
    if (rc.right <= room.nWidth && rc.bottom <= rcCtrl.bottom)
        return L"";
    return L"needs " + std::to_wstring(rc.right) + L"x" + std::to_wstring(rc.bottom) + L", has " +
           std::to_wstring(room.nWidth) + L"x" + std::to_wstring(rcCtrl.bottom);
}

// One language of each script (Latin, Cyrillic, Greek, CJK, Thai, right to left): the gallery
// shows every template in these.
bool InGallery(const std::wstring& sCode)
{
    for (const wchar_t* p : {L"enus", L"ru", L"el", L"zhcn", L"th", L"ar"})
        if (sCode == p)
            return true;
    return false;
}

// The template as the language draws it, as gallery picture template-<id>-<code>.png: a dialog
// shown on its own, a page in its host window sized to it.
bool ShootTemplate(HWND hDlg, UINT nId, const std::wstring& sCode)
{
    HWND hHost = (GetWindowLongW(hDlg, GWL_STYLE) & WS_CHILD) ? GetParent(hDlg) : nullptr;
    RECT rc{};
    GetWindowRect(hDlg, &rc);
    if (hHost) {
        SetWindowPos(hHost, HWND_TOPMOST, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
        SetWindowPos(hDlg, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    } else {
        SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    const bool bSaved = mvltest::SaveGalleryShot(hDlg, ("template-" + std::to_string(nId)).c_str(), sCode.c_str());
    ShowWindow(hHost ? hHost : hDlg, SW_HIDE);
    return bSaved;
}

std::string Narrow(const std::wstring& s)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

class LangRes : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(LangRes, EveryEnglishStringResolvesAndMostAreTranslated)
{
    CResourceLib lib(GetParam()), en(L"enus");
    ASSERT_NE(nullptr, lib.Get()) << lib.Path();
    const std::vector<UINT> ids = EnglishStringIds();
    ASSERT_GT(ids.size(), 150u);
    size_t nTranslated = 0;
    for (UINT nId : ids) {
        const std::wstring s = Text(lib.Get(), nId);
        EXPECT_FALSE(s.empty()) << nId;
        nTranslated += s != Text(en.Get(), nId);
    }
    if (std::wstring(GetParam()) != L"enus") {
        EXPECT_GT(nTranslated, ids.size() / 2);
    }
    // Only resources: no code to run in the host.
    auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(reinterpret_cast<ULONG_PTR>(lib.Get()) & ~ULONG_PTR(3));
    auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(pDos) + pDos->e_lfanew);
    EXPECT_EQ(0u, pNt->OptionalHeader.AddressOfEntryPoint);
}

TEST_P(LangRes, EveryTemplateCreatesLikeEnglishMirroredForRightToLeft)
{
    CResourceLib lib(GetParam()), en(L"enus");
    ASSERT_TRUE(lib.Get() && en.Get());
    CTemplates mine(lib.Get()), english(en.Get());
    const std::vector<UINT> dialogs = ResourceIds(en.Get(), MAKEINTRESOURCEW(5));  // RT_DIALOG
    ASSERT_GE(dialogs.size(), 8u);
    for (UINT nId : dialogs) {
        HWND hDlg = mine.Create(nId), hEn = english.Create(nId);
        ASSERT_TRUE(hDlg && hEn) << nId << " error " << GetLastError();
        EXPECT_EQ(IsRightToLeft(GetParam()), (GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) << nId;
        std::vector<int> ids, enIds;
        for (HWND h : Children(hDlg))
            ids.push_back(GetDlgCtrlID(h));
        for (HWND h : Children(hEn))
            enIds.push_back(GetDlgCtrlID(h));
        EXPECT_EQ(enIds, ids) << nId;
        DestroyWindow(hDlg);
        DestroyWindow(hEn);
    }
    for (UINT nId : {1001u, 1002u, 1014u, 10413u, 10431u, 10438u, 10439u, 10440u, 10451u, 10455u, 10456u, 10457u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(2))) << nId;  // RT_BITMAP
    for (UINT nId : {10333u, 10334u, 10353u, 10382u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(12))) << nId;  // RT_GROUP_CURSOR
}

// Each control's text as the template gives it (already in the language), and every message
// sentence in the message dialogs' text boxes, measured with the control's font. The templates
// of one language per script also go into the gallery, to be looked at.
TEST_P(LangRes, EveryControlTextFits)
{
    CResourceLib lib(GetParam());
    ASSERT_NE(nullptr, lib.Get());
    CTemplates templates(lib.Get());
    std::vector<std::string> misfits;
    for (UINT nId : ResourceIds(lib.Get(), MAKEINTRESOURCEW(5))) {
        HWND hDlg = templates.Create(nId);
        ASSERT_NE(nullptr, hDlg) << nId;
        if (InGallery(GetParam())) {
            EXPECT_TRUE(ShootTemplate(hDlg, nId, GetParam())) << nId;
        }
        for (HWND h : Children(hDlg)) {
            wchar_t sz[1024] = L"";
            GetWindowTextW(h, sz, 1024);
            std::wstring sWhy = Misfit(h, sz);
            if (!sWhy.empty())
                misfits.push_back(std::to_string(nId) + " control " + std::to_string(GetDlgCtrlID(h)) + " \"" + Narrow(sz) +
                                  "\" " + Narrow(sWhy));
        }
        DestroyWindow(hDlg);
    }
    // The message dialogs show any sentence of the table.
    CResourceLib en(L"enus");
    const std::pair<UINT, int> boxes[] = {{10376, 10306}, {10377, 10307}, {10378, 10308}};
    for (auto [nDlg, nCtrl] : boxes) {
        HWND hDlg = templates.Create(nDlg);
        ASSERT_NE(nullptr, hDlg) << nDlg;
        for (UINT nId : EnglishStringIds()) {
            const std::wstring sEn = Text(en.Get(), nId);
            if (sEn.find(L' ') == std::wstring::npos || (sEn.back() != L'.' && sEn.back() != L'?'))
                continue;
            std::wstring sWhy = Misfit(GetDlgItem(hDlg, nCtrl), Text(lib.Get(), nId));
            if (!sWhy.empty())
                misfits.push_back(std::to_string(nDlg) + " message " + std::to_string(nId) + " " + Narrow(sWhy));
        }
        DestroyWindow(hDlg);
    }
    for (const std::string& s : misfits)
        ADD_FAILURE() << s;
}

namespace {

// A page of a help file ("@MSITStore:<file>::/<page>") through the reader of the help viewer
// (its display-name parser and moniker, as hh.exe opens pages); null when it cannot be opened.
IStream* OpenHelpPage(const std::wstring& sName)
{
    static const CLSID kMsItsParser = {0x9d148290, 0xb9c8, 0x11d0, {0xa4, 0xcc, 0x00, 0x00, 0xf8, 0x01, 0x49, 0xf6}};
    IParseDisplayName* pParser = nullptr;
    IBindCtx* pCtx = nullptr;
    IMoniker* pMoniker = nullptr;
    IStream* pStream = nullptr;
    ULONG nEaten = 0;
    if (SUCCEEDED(CoCreateInstance(kMsItsParser, nullptr, CLSCTX_INPROC_SERVER, IID_IParseDisplayName,
                                   reinterpret_cast<void**>(&pParser))) &&
        SUCCEEDED(CreateBindCtx(0, &pCtx)) &&
        SUCCEEDED(pParser->ParseDisplayName(pCtx, const_cast<LPOLESTR>(sName.c_str()), &nEaten, &pMoniker)) &&
        FAILED(pMoniker->BindToStorage(pCtx, nullptr, IID_IStream, reinterpret_cast<void**>(&pStream))))
        pStream = nullptr;
    for (IUnknown* p : {static_cast<IUnknown*>(pMoniker), static_cast<IUnknown*>(pCtx), static_cast<IUnknown*>(pParser)})
        if (p)
            p->Release();
    return pStream;
}

}  // namespace

// Both help files of the language open in Wine's help reader, and their first page names the controls in the language, right to left for ar and he.
TEST_P(LangRes, HelpFilesOpenInTheirLanguage)
{
    CResourceLib lib(GetParam());
    ASSERT_NE(nullptr, lib.Get());
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const wchar_t* pszBook : {L"tw", L"App"}) {
        const fs::path chm = lib.Path().parent_path() / (std::wstring(L"mvl") + pszBook + GetParam() + L".chm");
        for (const wchar_t* pszPage : {L"index.html", L"files.html"}) {
            const std::wstring sUrl = L"@MSITStore:" + chm.wstring() + L"::/" + pszPage;
            IStream* pStream = OpenHelpPage(sUrl);
            const bool bOpened = pStream != nullptr;
            // The page on saving to files belongs to the file-output help only.
            EXPECT_EQ(bOpened, std::wstring(pszPage) == L"index.html" || std::wstring(pszBook) == L"App") << Narrow(sUrl);
            if (!bOpened)
                continue;
            std::string sPage;
            char buf[4096];
            ULONG nRead = 0;
            while (SUCCEEDED(pStream->Read(buf, sizeof(buf), &nRead)) && nRead > 0)
                sPage.append(buf, nRead);
            pStream->Release();
            if (std::wstring(pszPage) != L"index.html")
                continue;
            EXPECT_NE(std::string::npos, sPage.find("<b>" + Narrow(Text(lib.Get(), 1092)) + "</b>")) << Narrow(sUrl);
            EXPECT_NE(std::string::npos, sPage.find(IsRightToLeft(GetParam()) ? "dir=\"rtl\"" : "dir=\"ltr\""));
        }
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Languages, LangRes, ::testing::ValuesIn(kCodes),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) { return Narrow(info.param); });

TEST(LangResEnglish, TemplatesHaveTheControlsTheDialogsUse)
{
    CResourceLib lib(L"enus");
    ASSERT_NE(nullptr, lib.Get());
    CTemplates templates(lib.Get());
    const std::pair<UINT, std::vector<int>> cases[] = {
        {10257, {20006, 10301, 10303}},
        {1004, {20006, 10301, 10303}},
        {10376, {10306, IDOK}},
        {10377, {10307, IDOK}},
        {10378, {10308, IDOK, IDCANCEL}},
        {10448, {IDC_PROGRESS_WAIT, IDC_PROGRESS_BAR, IDC_PROGRESS_PERCENT, IDC_PROGRESS_PAGE_CAPTION, IDC_PROGRESS_PAGE_COUNT,
                 IDCANCEL}},
        {10449, {IDC_DUPLEX_TEXT, IDCANCEL}},
        {21006, {IDC_MERGE_CAPTION, IDC_MERGE_COUNT, IDC_MERGE_TEXT, IDOK, IDCANCEL}},
        {1001, {IDC_FILEDLG_FOLDER, IDC_SAVEDLG_BROWSE, IDC_FILEDLG_NAME, IDC_SAVEDLG_TYPE, IDC_FILEDLG_OPEN_FILE,
                IDC_FILEDLG_OPEN_FOLDER, IDC_SAVEDLG_OK, IDC_SAVEDLG_CANCEL}},
        {1002, {IDC_SAVE_FOLDER_BUTTON, IDC_SAVE_EMAIL_BUTTON, IDC_SAVE_NAME, IDC_SAVE_TYPE, IDC_SAVE_FOLDER,
                IDC_SAVE_DESTINATION}},
        {1005, {IDC_MAILDLG_FOLDER, IDC_SAVEDLG_BROWSE, IDC_MAILDLG_NAME, IDC_MAILDLG_PROGRAM, IDC_MAILDLG_ADD,
                IDC_SAVEDLG_OK, IDC_SAVEDLG_CANCEL}},
        {10266, {IDC_PORT_USB, IDC_PORT_SEARCH, IDC_PORT_LIST, IDC_PORT_REFRESH, IDC_PORT_HOST_RADIO, IDC_PORT_HOST,
                 IDC_PORT_SEARCHING, IDOK, IDCANCEL}},
    };
    for (const auto& [nTemplate, ctrls] : cases) {
        HWND hDlg = templates.Create(nTemplate);
        ASSERT_NE(nullptr, hDlg) << nTemplate << " error " << GetLastError();
        for (int nCtrl : ctrls)
            EXPECT_NE(nullptr, GetDlgItem(hDlg, nCtrl)) << nTemplate << " control " << nCtrl;
        DestroyWindow(hDlg);
    }
}

TEST(LangResText, LanguagesSpeakTheirOwnAlsoInTemplateOnlyTexts)
{
    CResourceLib en(L"enus"), fr(L"fr"), ar(L"ar"), de(L"de");
    ASSERT_TRUE(en.Get() && fr.Get() && ar.Get() && de.Get());
    EXPECT_EQ(L"Cancel", Text(en.Get(), 1092));
    EXPECT_EQ(L"Annuler", Text(fr.Get(), 1092));
    EXPECT_EQ(L"\u0625\u0644\u063a\u0627\u0621", Text(ar.Get(), 1092));
    // Quotes and backslashes of the forbidden-character message survive the resource compiler.
    EXPECT_NE(std::wstring::npos, Text(en.Get(), 1125).find(L"\\ / : * ? \" < > |"));
    EXPECT_NE(std::wstring::npos, Text(de.Get(), 1125).find(L"\\ / : * ? \" < > |"));
    EXPECT_EQ(L"90\u00b0 Clockwise", Text(en.Get(), 1059));
    // The merge-scan dialog sets none of its texts: the template carries the language's.
    CTemplates templates(de.Get());
    HWND hDlg = templates.Create(21006);
    ASSERT_NE(nullptr, hDlg);
    wchar_t sz[256] = L"";
    GetDlgItemTextW(hDlg, IDCANCEL, sz, 256);
    EXPECT_EQ(Text(de.Get(), 1300), sz);
    GetWindowTextW(hDlg, sz, 256);
    EXPECT_EQ(Text(de.Get(), 1187), sz);
    DestroyWindow(hDlg);
}
