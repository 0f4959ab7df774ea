// The language libraries themselves: resources only, every string the dialogs ask for,
// the dialog templates, bitmaps and cursors, in each language.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness/TestEnv.h"
#include "ui/ScanDialogIds.h"

namespace fs = std::filesystem;

namespace {

// The string ids the dialogs and messages load.
const UINT kStringIds[] = {
    1002, 1003, 1004, 1010, 1011, 1012, 1014, 1017, 1019, 1020, 1021, 1025, 1026, 1027, 1028, 1029, 1030, 1031,
    1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1041, 1042, 1043, 1045, 1046, 1048, 1049, 1050, 1051, 1052,
    1053, 1054, 1055, 1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 1068, 1069, 1070,
    1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081, 1082, 1083, 1084, 1085, 1086, 1088, 1090,
    1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098, 1100, 1101, 1103, 1104, 1105, 1107, 1108, 1110, 1111, 1112,
    1113, 1114, 1115, 1116, 1117, 1118, 1119, 1120, 1121, 1122, 1123, 1124, 1125, 1126, 1127, 1128, 1129, 1130,
    1132, 1133, 1134, 1135, 1136, 1137, 1138, 1139, 1140, 1141, 1143, 1144, 1145, 1146, 1148, 1149, 1150, 1151,
    1152, 1153, 1154, 1155, 1156, 1157, 1158, 1159, 1160, 1162, 1166, 1169, 1170, 1171, 1172, 1173, 1174, 1175,
    1176, 1177, 1178, 1179, 1180, 1181, 1182, 1183, 1184, 1185, 1186, 1187, 1188, 1401, 1402};

class CResourceLib {
public:
    explicit CResourceLib(const wchar_t* pszCode)
    {
        wchar_t szExe[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, szExe, MAX_PATH);
        m_path = fs::path(szExe).parent_path() / (std::wstring(L"mvltwrc") + pszCode + L".dll");
        m_h = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~CResourceLib()
    {
        if (m_h)
            FreeLibrary(m_h);
    }
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

}  // namespace

class LangRes : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(LangRes, HasEveryStringTemplateBitmapAndCursor)
{
    CResourceLib lib(GetParam());
    ASSERT_NE(nullptr, lib.Get()) << lib.Path();
    for (UINT nId : kStringIds)
        EXPECT_FALSE(Text(lib.Get(), nId).empty()) << nId;
    for (UINT nId : {10257u, 1004u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(5))) << nId;  // RT_DIALOG
    for (UINT nId : {1001u, 1002u, 1014u, 10413u, 10431u, 10439u, 10456u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(2))) << nId;  // RT_BITMAP
    for (UINT nId : {10333u, 10334u, 10353u, 10382u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(12))) << nId;  // RT_GROUP_CURSOR
}

TEST_P(LangRes, MainDialogTemplatesCreate)
{
    CResourceLib lib(GetParam());
    ASSERT_NE(nullptr, lib.Get());
    WNDCLASSW wc{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"#32770", &wc));
    // Registered for the resource module, where the templates look for it.
    wc.lpszClassName = L"Q7100UIFLAG";
    wc.hInstance = lib.Get();
    ASSERT_NE(0, RegisterClassW(&wc)) << GetLastError();
    for (UINT nId : {10257u, 1004u}) {
        HWND hDlg = CreateDialogParamW(lib.Get(), MAKEINTRESOURCEW(nId), nullptr,
                                       [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(nullptr, hDlg) << nId << " error " << GetLastError();
        EXPECT_NE(nullptr, GetDlgItem(hDlg, 20006));
        EXPECT_NE(nullptr, GetDlgItem(hDlg, 10301));
        EXPECT_NE(nullptr, GetDlgItem(hDlg, 10303));
        const bool bRtl = std::wstring(GetParam()) == L"ar";
        EXPECT_EQ(bRtl, (GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) << nId;
        DestroyWindow(hDlg);
    }
    UnregisterClassW(L"Q7100UIFLAG", lib.Get());
}

TEST_P(LangRes, ScanTimeAndMessageDialogTemplatesCreateWithTheirControls)
{
    CResourceLib lib(GetParam());
    ASSERT_NE(nullptr, lib.Get());
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    struct SCase {
        UINT nTemplate;
        std::vector<int> ctrls;
    };
    const SCase cases[] = {
        {10376, {10306, IDOK}},
        {10377, {10307, IDOK}},
        {10378, {10308, IDOK, IDCANCEL}},
        {10448, {IDC_PROGRESS_WAIT, IDC_PROGRESS_BAR, IDC_PROGRESS_PERCENT, IDC_PROGRESS_PAGE_CAPTION,
                 IDC_PROGRESS_PAGE_COUNT, IDCANCEL}},
        {10449, {IDC_DUPLEX_TEXT, IDCANCEL}},
        {21006, {IDC_MERGE_CAPTION, IDC_MERGE_COUNT, IDC_MERGE_TEXT, IDOK, IDCANCEL}},
    };
    const bool bRtl = std::wstring(GetParam()) == L"ar";
    for (const SCase& c : cases) {
        HWND hDlg = CreateDialogParamW(lib.Get(), MAKEINTRESOURCEW(c.nTemplate), nullptr,
                                       [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(nullptr, hDlg) << c.nTemplate << " error " << GetLastError();
        for (int nCtrl : c.ctrls)
            EXPECT_NE(nullptr, GetDlgItem(hDlg, nCtrl)) << c.nTemplate << " control " << nCtrl;
        EXPECT_EQ(bRtl, (GetWindowLongW(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0) << c.nTemplate;
        DestroyWindow(hDlg);
    }
    // Their backgrounds, both orientations.
    for (UINT nId : {10438u, 10439u, 10440u, 10451u, 10455u, 10456u, 10457u})
        EXPECT_NE(nullptr, FindResourceW(lib.Get(), MAKEINTRESOURCEW(nId), MAKEINTRESOURCEW(2))) << nId;
}

INSTANTIATE_TEST_SUITE_P(Languages, LangRes, ::testing::Values(L"enus", L"fr", L"ar"));

TEST(LangResText, LanguagesSpeakTheirOwn)
{
    CResourceLib en(L"enus"), fr(L"fr"), ar(L"ar");
    ASSERT_TRUE(en.Get() && fr.Get() && ar.Get());
    EXPECT_EQ(L"Cancel", Text(en.Get(), 1092));
    EXPECT_EQ(L"Annuler", Text(fr.Get(), 1092));
    EXPECT_EQ(L"\u0625\u0644\u063a\u0627\u0621", Text(ar.Get(), 1092));
    // Quotes and backslashes of the forbidden-character message survive the resource compiler.
    EXPECT_NE(std::wstring::npos, Text(en.Get(), 1125).find(L"\\ / : * ? \" < > |"));
    EXPECT_EQ(L"90\u00b0 Clockwise", Text(en.Get(), 1060));
}
