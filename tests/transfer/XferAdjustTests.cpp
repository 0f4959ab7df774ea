// The user's image adjustments reach the page: the data source sends them to the device, which
// applies them; a scan from the dialog must equal the effect library applied to the page the
// device gives without them, unless the application switched the adjustments off.
#include <gtest/gtest.h>

#include "AcquisitionFixture.h"
#include "imaging/ImgEffectBinding.h"
#include "imaging/RecordAdjustments.h"
#include "twain/TwainTypes.h"

using namespace xfertest;

namespace {

constexpr int kA6 = 2, k75Dpi = 0;

// The unadjusted page (grey rows for black and white) with the library's adjustment chain run
// over it, black and white packed as the device packs it.
CRows Adjusted(const std::wstring& sLibDir, SDeviceParams params, const SScanParamRecord& rec)
{
    const bool bBw = params.nMode == 0;
    if (bBw)
        params.nMode = 1;
    CRows rows = ExpectedPage(params);
    CImgEffectBinding fx(sLibDir.c_str(), L"mvl");
    if (!fx.IsLoaded() || rows.empty())
        return {};
    const int nRowBytes = static_cast<int>(rows[0].size()), nBits = params.nMode == 1 ? 8 : 24;
    std::vector<uint8_t> page;
    for (const auto& row : rows)
        page.insert(page.end(), row.begin(), row.end());
    const _ImageDesc desc{static_cast<int32_t>(rows.size()), nRowBytes, nRowBytes * 8 / nBits, nBits, 0, 0};
    ApplyImageEffects(fx, desc, page.data(), AdjustmentsFromRecord(rec), false);
    for (size_t y = 0; y < rows.size(); ++y) {
        const uint8_t* pRow = page.data() + y * nRowBytes;
        rows[y].assign(pRow, pRow + nRowBytes);
        if (bBw) {
            std::vector<uint8_t> bits((nRowBytes + 7) / 8);
            for (int x = 0; x < nRowBytes; ++x)
                bits[x / 8] |= pRow[x] >= 128 ? 0x80 >> (x % 8) : 0;
            rows[y] = std::move(bits);
        }
    }
    return rows;
}

}  // namespace

TEST(XferAdjust, ScanCarriesTheSettingsAdjustmentsUnlessSwitchedOff)
{
    struct SCase {
        const char* pszName;
        int nMode;
        bool bSwitchedOff;
        void (*pfnSet)(SScanParamRecord&);
    };
    const SCase cases[] = {
        {"colour", 2, false,
         [](SScanParamRecord& r) {
             r.nBrightness[0] = 15, r.nBrightness[3] = -20, r.nContrast[0] = 25, r.nContrast[1] = 10;
             r.nCurve[2] = 1, r.nGamma = 14, r.nFading = 1, r.nDescreen = 1;
         }},
        {"grey", 1, false, [](SScanParamRecord& r) { r.nGamma = 22, r.nContrast[0] = -30, r.nCurve[0] = 2; }},
        {"black and white", 0, false, [](SScanParamRecord& r) { r.nThreshold = 100, r.nPaperIndex = 0; }},  // A4: the grey ramp
        {"halftone", 0, false, [](SScanParamRecord& r) { r.nAutoThreshold = 1; }},
        {"switched off", 2, true, [](SScanParamRecord& r) { r.nBrightness[0] = 40, r.nGamma = 20; }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CAcquisition acq;
        SScanParamRecord rec = TestRecord(0, c.nMode, k75Dpi, kA6);
        c.pfnSet(rec);
        ASSERT_TRUE(acq.StoreSetting(rec));
        ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
        if (c.bSwitchedOff) {
            ASSERT_TRUE(acq.SetU16(CAP_NO_SCAN_PARAM_ADJ_FLAG, 1));
        }
        ASSERT_EQ(acq.ScanFromDialog(), TWRC_SUCCESS);
        TW_UINT16 rc = 0;
        CRows got = NativeRows(acq, &rc);
        ASSERT_EQ(rc, TWRC_XFERDONE);
        const SDeviceParams params = acq.LastDeviceParams();
        SDeviceParams untouched = params;  // the setting's threshold reaches the device with the geometry too
        untouched.nThreshold = TestRecord(0, c.nMode, k75Dpi, kA6).nThreshold;
        const CRows plain = ExpectedPage(untouched);
        if (c.bSwitchedOff) {
            EXPECT_EQ(acq.SimCount("CALL ScanDrv_SetScanParameterAdj"), 0);
            EXPECT_TRUE(got == plain);
        } else {
            const CRows want = Adjusted(acq.Src().ModelDir(), params, rec);
            ASSERT_FALSE(want.empty());
            EXPECT_TRUE(got == want);
            EXPECT_FALSE(got == plain);
            EXPECT_GE(acq.SimCount(" gamma=" + std::to_string(rec.nGamma) + " "), 1);
        }
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}
