// The binding through the real effect library under Wine: loading by prefixed and plain name,
// refusals when the library or a function is missing, and the chain on real pixels.
#include "imaging/ImagePipeline.h"
#include "imaging/ImgEffectBinding.h"
#include "profile/Trace.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_lines;

void CaptureA(const char* line) { g_lines.emplace_back(line); }

std::wstring ExeDirectory()
{
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring s = szPath;
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

// A fresh folder under the temporary directory, removed with its files afterwards.
class CTempDir {
public:
    CTempDir()
    {
        wchar_t szTemp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, szTemp);
        m_szPath = std::wstring(szTemp) + L"imgfx" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_szPath.c_str(), nullptr);
    }
    ~CTempDir()
    {
        for (const auto& f : m_files)
            DeleteFileW(f.c_str());
        RemoveDirectoryW(m_szPath.c_str());
    }
    bool CopyIn(const std::wstring& szFrom, const std::wstring& szName)
    {
        m_files.push_back(m_szPath + szName);
        return CopyFileW(szFrom.c_str(), m_files.back().c_str(), FALSE) != 0;
    }
    const std::wstring& Path() const { return m_szPath; }

private:
    std::wstring m_szPath;
    std::vector<std::wstring> m_files;
};

class ImgEffectBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_lines.clear();
        SetTraceSinks(CaptureA, nullptr);
    }
    void TearDown() override { SetTraceSinks(nullptr, nullptr); }
};

}  // namespace

TEST_F(ImgEffectBinding, LoadsThePrefixedLibraryBesideTheSource)
{
    CImgEffectBinding fx(ExeDirectory().c_str(), L"mvl");
    ASSERT_TRUE(fx.IsLoaded());
    EXPECT_EQ(fx.LoadedPath(), ExeDirectory() + L"mvlImgEffect.dll");
    EXPECT_TRUE(g_lines.empty());
    // The directory may come without its trailing backslash.
    std::wstring szDir = ExeDirectory();
    szDir.pop_back();
    CImgEffectBinding fx2(szDir.c_str(), L"mvl");
    EXPECT_TRUE(fx2.IsLoaded());
    // Linked into this program, the binding's own module is the program itself.
    EXPECT_EQ(CImgEffectBinding::OwnModuleDirectory(), ExeDirectory());
}

TEST_F(ImgEffectBinding, FallsBackToThePlainName)
{
    CTempDir dir;
    ASSERT_TRUE(dir.CopyIn(ExeDirectory() + L"mvlImgEffect.dll", L"ImgEffect.dll"));
    {
        CImgEffectBinding fx(dir.Path().c_str(), L"abc");
        ASSERT_TRUE(fx.IsLoaded());
        EXPECT_EQ(fx.LoadedPath(), dir.Path() + L"ImgEffect.dll");
        CImgEffectBinding noPrefix(dir.Path().c_str(), nullptr);
        EXPECT_TRUE(noPrefix.IsLoaded());
        // Without a full folder nothing is looked up, even where the current directory has it.
        wchar_t szCwd[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, szCwd);
        SetCurrentDirectoryW(dir.Path().c_str());
        CImgEffectBinding none(nullptr, L"abc"), relative(L".", L"abc");
        SetCurrentDirectoryW(szCwd);
        EXPECT_FALSE(none.IsLoaded());
        EXPECT_FALSE(relative.IsLoaded());
    }  // released here, so the folder can be removed
}

TEST_F(ImgEffectBinding, MissingLibraryTracesAndEveryWrapperRefusesWithFour)
{
    CImgEffectBinding fx(L"C:\\no\\such\\folder\\", L"mvl");
    EXPECT_FALSE(fx.IsLoaded());
    EXPECT_EQ(g_lines, (std::vector<std::string>{"load ImgEffect.dll fail!"}));
    _ImageDesc desc{1, 3, 1, 24, 0, 0};
    uint8_t px[3] = {1, 2, 3};
    const int32_t four[4] = {};
    int32_t table[256] = {};
    _HistogramData hist{};
    EXPECT_EQ(fx.ChangeGamma(&desc, px, 2.0f), 4);
    EXPECT_EQ(fx.Change_BrightAndConsent(&desc, px, four, four), 4);
    EXPECT_EQ(fx.ColorCurse_Ajust(&desc, px, four), 4);
    EXPECT_EQ(fx.Theashold_Preview(&desc, px, 1), 4);
    EXPECT_EQ(fx.Halftone_Preview(&desc, px), 4);
    EXPECT_EQ(fx.ChangeToGray_Preview(&desc, px), 4);
    EXPECT_EQ(fx.Curve_BrightAndConsent(1, 1, table), 4);
    EXPECT_EQ(fx.GetHistogramData(&hist, &desc, px), 4);
    EXPECT_EQ(fx.CorrectFading(&desc, px, 1), 4);
    EXPECT_EQ(fx.Descreen(&desc, px), 4);
    EXPECT_EQ(fx.RotationImg(90, &desc, px, &desc, px), 4);
    fx.SetGrayPreviewFlag(1);  // nothing to call, nothing happens
    EXPECT_EQ(px[0], 1);
    // The chain stops at its first call and reports the refusal.
    _ImageAdjustments adj;
    adj.m_nImageType = 1;
    EXPECT_EQ(ApplyImageEffects(fx, desc, px, adj, false), 4);
}

TEST_F(ImgEffectBinding, MissingFunctionRefusesWithFiveOthersPassThrough)
{
    CImgEffectBinding fx(ExeDirectory().c_str(), L"stub");
    ASSERT_TRUE(fx.IsLoaded());
    _ImageDesc desc{1, 3, 1, 24, 0, 0};
    uint8_t px[3] = {1, 2, 3};
    const int32_t four[4] = {};
    EXPECT_EQ(fx.ChangeGamma(&desc, px, 2.0f), 77);
    EXPECT_EQ(fx.Descreen(&desc, px), 5);
    EXPECT_EQ(fx.ColorCurse_Ajust(&desc, px, four), 5);
    EXPECT_EQ(fx.Change_BrightAndConsent(&desc, px, four, four), 5);
    EXPECT_EQ(fx.RotationImg(90, &desc, px, &desc, px), 5);
    fx.SetGrayPreviewFlag(1);
}

TEST_F(ImgEffectBinding, RealLibraryRotatesAndAdjusts)
{
    CImgEffectBinding fx(ExeDirectory().c_str(), L"mvl");
    ASSERT_TRUE(fx.IsLoaded());
    _ImageDesc src{2, 9, 3, 24, 0, 0}, dst{3, 6, 2, 24, 0, 0};
    std::vector<uint8_t> in(18), out(18);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(fx.RotationImg(90, &src, in.data(), &dst, out.data()), 0);
    // The right edge (pixel 2 of rows 0 and 1) becomes the top row.
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6), (std::vector<uint8_t>{6, 7, 8, 15, 16, 17}));
    EXPECT_EQ(fx.RotationImg(45, &src, in.data(), &dst, out.data()), IMGEFFECT_BAD_ANGLE);

    // Colour chain with an inverting master curve and nothing else.
    _ImageAdjustments adj;
    adj.m_nCurve[0] = 4;
    uint8_t px[6] = {0, 10, 255, 128, 128, 128};
    _ImageDesc desc{1, 6, 2, 24, 0, 0};
    EXPECT_EQ(ApplyImageEffects(fx, desc, px, adj, false), 0);
    EXPECT_EQ(std::vector<uint8_t>(px, px + 6), (std::vector<uint8_t>{255, 246, 1, 128, 128, 128}));

    // Black and white: grey, then threshold 183 after remapping 72.
    adj = _ImageAdjustments{};
    adj.m_nImageType = 0;
    adj.m_nThreshold = 72;
    uint8_t bw[6] = {183, 183, 183, 182, 182, 182};
    EXPECT_EQ(ApplyImageEffects(fx, desc, bw, adj, true), 0);
    EXPECT_EQ(std::vector<uint8_t>(bw, bw + 6), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0}));

    int32_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = i;
    EXPECT_EQ(fx.Curve_BrightAndConsent(100, 0, table), 0);
    EXPECT_EQ(table[0], 127);
    EXPECT_EQ(table[200], 255);
    _HistogramData hist{};
    EXPECT_EQ(fx.GetHistogramData(&hist, &desc, px), 0);
    EXPECT_EQ(hist.m_nPixels, 2);
}
