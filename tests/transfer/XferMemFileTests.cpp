// Memory and file transfer of a flatbed page, and a duplex feeder batch, through the data
// source without its dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "AcquisitionFixture.h"
#include "tests/twainscan/WicDecode.h"

using namespace xfertest;
namespace fs = std::filesystem;

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Opens, configures and enables; false (with failures recorded) when any step fails.
bool StartFlatbed(CAcquisition& acq, int nType, int nDpi)
{
    EXPECT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    EXPECT_TRUE(acq.Configure(nType, nDpi, 13, 0));
    EXPECT_EQ(acq.Enable(), TWRC_SUCCESS);
    return !::testing::Test::HasFailure();
}

// Runs memory transfers with buffers of nLength until the last strip; the page comes back as
// packed rows, and every byte is counted to show it was delivered once.
std::vector<std::vector<uint8_t>> MemoryPage(CAcquisition& acq, uint32_t nLength, int nBits, uint32_t nWidth,
                                             uint32_t nHeight, bool* pOnce)
{
    const uint32_t nRowBytes = (nWidth * nBits + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(nHeight, std::vector<uint8_t>(nRowBytes));
    std::vector<std::vector<int>> seen(nHeight, std::vector<int>(nRowBytes));
    std::vector<uint8_t> buffer(nLength);
    *pOnce = true;
    for (int nCall = 0; nCall < 10000000; ++nCall) {
        TW_IMAGEMEMXFER mx{};
        mx.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        mx.Memory.Length = nLength;
        mx.Memory.TheMem = buffer.data();
        TW_UINT16 rc = acq.Src().Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mx);
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) {
            ADD_FAILURE() << "memory transfer returned " << rc;
            return rows;
        }
        EXPECT_GE(uint64_t(mx.BytesPerRow) * 8, uint64_t(mx.Columns) * nBits);
        EXPECT_GE(uint64_t(nLength), uint64_t(mx.BytesPerRow) * mx.Rows);
        const uint32_t nByteX = nBits == 1 ? mx.XOffset / 8 : mx.XOffset * (nBits / 8);
        const uint32_t nCopy = std::min<uint32_t>(mx.Columns * nBits / 8 + (nBits == 1 && mx.Columns % 8 ? 1 : 0),
                                                  nRowBytes - std::min(nByteX, nRowBytes));
        for (uint32_t r = 0; r < mx.Rows; ++r) {
            uint32_t y = mx.YOffset + r;
            if (y >= nHeight) {
                ADD_FAILURE() << "row " << y << " beyond the page";
                return rows;
            }
            for (uint32_t x = 0; x < nCopy; ++x) {
                rows[y][nByteX + x] = buffer[size_t(r) * mx.BytesPerRow + x];
                if (++seen[y][nByteX + x] != 1)
                    *pOnce = false;
            }
        }
        if (rc == TWRC_XFERDONE)
            break;
    }
    for (const auto& row : seen)
        for (int n : row)
            if (n != 1)
                *pOnce = false;
    return rows;
}

}  // namespace

TEST(XferMemory, StripsDeliverEveryPixelOnceInEachMode)
{
    struct SCase {
        int nDpi;
        uint32_t nLength;
    };
    // Whole-row strips, and rows split into parts (a 600 dpi colour row is 3720 bytes).
    static constexpr SCase kCases[] = {{75, 64u * 1024u}, {150, 1000u}, {300, 64u * 1024u}, {600, 1000u}};
    for (int nType : {0, 1, 2}) {
        for (const SCase& c : kCases) {
            const uint32_t nLength = c.nLength;
            SCOPED_TRACE(testing::Message() << "pixel type " << nType << ", " << c.nDpi << " dpi, buffer " << nLength);
            CAcquisition acq;
            ASSERT_TRUE(StartFlatbed(acq, nType, c.nDpi));
            TW_IMAGEINFO info{};
            ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            const int nBits = info.BitsPerPixel;
            bool bOnce = false;
            auto rows = MemoryPage(acq, nLength, nBits, info.ImageWidth, info.ImageLength, &bOnce);
            EXPECT_TRUE(bOnce);
            EXPECT_TRUE(rows == ExpectedPage(acq.LastDeviceParams()));
            TW_PENDINGXFERS pending{};
            EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(pending.Count, 0);
            EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
        }
    }
}

TEST(XferFile, BmpFileHoldsThePageByteForByte)
{
    static constexpr int kDpis[] = {75, 300, 600};
    for (int nCase = 0; nCase < 9; ++nCase) {
        const int nType = nCase / 3, nDpi = kDpis[nCase % 3];
        SCOPED_TRACE(testing::Message() << "pixel type " << nType << ", " << nDpi << " dpi");
        CAcquisition acq;
        ASSERT_TRUE(StartFlatbed(acq, nType, nDpi));
        fs::path file = acq.Dir() / L"page.bmp";
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, file.string().c_str(), sizeof setup.FileName - 1);
        setup.Format = 2;  // TWFF_BMP
        ASSERT_EQ(acq.Src().Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(Get32(&bytes[2]), bytes.size());
        const uint32_t nOff = Get32(&bytes[10]);
        EXPECT_EQ(nOff, nType == 0 ? 62u : nType == 1 ? 1078u : 54u);
        const uint8_t* pDib = bytes.data() + 14;
        const uint32_t nWidth = Get32(pDib + 4), nHeight = Get32(pDib + 8);
        const int nBits = nType == 0 ? 1 : nType == 1 ? 8 : 24;
        const uint32_t nRowBytes = (nWidth * nBits + 7) / 8, nStride = (nRowBytes + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 14 + (nOff - 14) + size_t(nStride) * nHeight);
        auto rows = ExpectedPage(acq.LastDeviceParams());
        ASSERT_EQ(rows.size(), nHeight);
        bool bSame = true;
        for (uint32_t y = 0; y < nHeight && bSame; ++y)
            for (uint32_t x = 0; x < nRowBytes && bSame; ++x) {
                uint32_t nSrc = nBits == 24 ? x / 3 * 3 + (2 - x % 3) : x;
                bSame = bytes[nOff + size_t(nHeight - 1 - y) * nStride + x] == rows[y][nSrc];
            }
        EXPECT_TRUE(bSame);
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}

TEST(XferFile, TiffFileIsWhatTheApplicationAskedForInEachMode)
{
    for (int nType : {0, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "pixel type " << nType);
        CAcquisition acq;
        ASSERT_TRUE(StartFlatbed(acq, nType, 75));
        // Through the capability, or through the set-up itself.
        const bool bByCapability = nType != 1;
        if (bByCapability) {
            ASSERT_TRUE(acq.SetU16(ICAP_IMAGEFILEFORMAT, TWFF_TIFF));
        }
        fs::path file = acq.Dir() / L"scan.tif";
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, file.string().c_str(), sizeof setup.FileName - 1);
        setup.Format = bByCapability ? TWFF_BMP : TWFF_TIFF;
        if (bByCapability) {
            // The set-up reports the format in force; the application hands it back unchanged.
            TW_SETUPFILEXFER current{};
            ASSERT_EQ(acq.Src().Control(DAT_SETUPFILEXFER, MSG_GET, &current), TWRC_SUCCESS);
            setup.Format = current.Format;
        }
        ASSERT_EQ(acq.Src().Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
        std::ifstream in(file, std::ios::binary);
        char magic[4] = {};
        in.read(magic, 4);
        EXPECT_EQ(std::string(magic, 4), std::string("II*\0", 4));
        in.close();
        const int nBits = nType == 0 ? 1 : nType == 1 ? 8 : 24;
        CRaster page = DecodeWithWic(file.wstring(), nBits);
        auto rows = ExpectedPage(acq.LastDeviceParams());
        ASSERT_EQ(rows.size(), size_t(page.nHeight));
        bool bSame = true;
        for (size_t y = 0; y < rows.size() && bSame; ++y)
            bSame = rows[y].size() == page.Stride() &&
                    std::equal(rows[y].begin(), rows[y].end(), page.pixels.begin() + y * page.Stride());
        EXPECT_TRUE(bSame);
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
    }
}

TEST(XferFile, UnwritableFileFailsAndStaysInStateSix)
{
    CAcquisition acq;
    ASSERT_TRUE(StartFlatbed(acq, 1, 75));
    fs::path file = acq.Dir() / L"page.bmp";
    TW_SETUPFILEXFER setup{};
    std::strncpy(setup.FileName, file.string().c_str(), sizeof setup.FileName - 1);
    setup.Format = 2;
    ASSERT_EQ(acq.Src().Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    {
        // Another program holds the file: it cannot be written now.
        HANDLE hHeld = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
        EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
        EXPECT_EQ(acq.Src().Status(), TWCC_FILEWRITEERROR);
        CloseHandle(hHeld);
    }
    EXPECT_EQ(fs::file_size(file), 0u);
    // Still state 6 with the page kept: once the file is free the transfer succeeds.
    TW_IMAGEINFO info{};
    EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_GT(fs::file_size(file), 1078u);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferFeeder, DuplexBatchOfFiveSheetsCountsDownToZero)
{
    CAcquisition acq("FeederSheets=5\r\n");
    ASSERT_EQ(acq.Src().Open(), TWRC_SUCCESS);
    ASSERT_TRUE(acq.Configure(1, 75, 13, 2));
    ASSERT_EQ(acq.Enable(), TWRC_SUCCESS);
    for (int nPage = 1; nPage <= 10; ++nPage) {
        SCOPED_TRACE(testing::Message() << "page " << nPage);
        TW_HANDLE hDib = nullptr;
        ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &hDib), TWRC_XFERDONE);
        ASSERT_NE(hDib, nullptr);
        if (nPage == 2 || nPage == 7) {
            // Sheet (n + 1) / 2, the back on even pages.
            const auto* pDib = static_cast<const uint8_t*>(GlobalLock(hDib));
            auto rows = ExpectedPage(acq.LastDeviceParams(), (nPage + 1) / 2, (nPage + 1) % 2);
            const uint32_t nStride = (Get32(pDib + 4) + 3) / 4 * 4;
            const uint32_t nHeight = Get32(pDib + 8);
            ASSERT_EQ(nHeight, rows.size());
            bool bSame = true;
            for (uint32_t y = 0; y < nHeight && bSame; ++y)
                bSame = std::equal(rows[y].begin(), rows[y].end(), pDib + 1064 + size_t(nHeight - 1 - y) * nStride);
            EXPECT_TRUE(bSame);
            GlobalUnlock(hDib);
        }
        GlobalFree(hDib);
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, nPage < 10 ? 1 : 0);
    }
    acq.Pump();
    EXPECT_EQ(acq.Calls(MSG_CLOSEDSREQ), 1);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}

TEST(XferMemory, TopResolutionStripsCarryTheSpoolRows)
{
    // The memory transfer once only counted rows at the top resolution; every row must arrive.
    CAcquisition acq;
    ASSERT_TRUE(StartFlatbed(acq, 0, 1200));
    TW_IMAGEINFO info{};
    ASSERT_EQ(acq.Src().Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 1200);
    bool bOnce = false;
    auto rows = MemoryPage(acq, 64u * 1024u, 1, info.ImageWidth, info.ImageLength, &bOnce);
    EXPECT_TRUE(bOnce);
    EXPECT_TRUE(rows == ExpectedPage(acq.LastDeviceParams()));
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(acq.Src().Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(acq.Disable(), TWRC_SUCCESS);
}
