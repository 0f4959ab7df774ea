// A tool test against the real data source: twainscan.exe through the source manager stand-in,
// the source installed for this test alone with the simulated scanner beside it.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/MessageDialogWatcher.h"
#include "harness/TraceCapture.h"
#include "harness/TestEnv.h"
#include "tests/twainscan/RealInstall.h"
#include "tests/twainscan/ToolRunner.h"
#include "twainscan/ExitStatus.h"
#include "twainscan/Raster.h"

// The source's scanning dialog in another process, once it is on screen; null before.
inline HWND FindVisibleScanDialog(DWORD dwProcess)
{
    HWND hFound = nullptr;
    for (HWND h = FindWindowExW(nullptr, nullptr, L"Q7100UIFLAG", nullptr); h && !hFound;
         h = FindWindowExW(nullptr, h, L"Q7100UIFLAG", nullptr)) {
        DWORD dwOwner = 0;
        GetWindowThreadProcessId(h, &dwOwner);
        if (dwOwner == dwProcess && IsWindowVisible(h))
            hFound = h;
    }
    return hFound;
}

class RealToolTest : public testing::Test {
protected:
    // Long enough for a page at the resolutions these tests use, short enough that a source
    // stuck in a dialog nobody answers fails the test instead of hanging the run.
    static constexpr unsigned kRunMillis = 60000;

    void SetUp() override
    {
        ASSERT_TRUE(m_install.Installed());
        mvltest::MessageDialogs().Clear();
    }
    void TearDown() override
    {
        // A source that shows an error dialog has something to say even when the exit status
        // looks right; only the tests that provoke failures allow it.
        for (const mvltest::SMessageDialog& dialog : mvltest::MessageDialogs().Seen()) {
            std::printf("  message dialog %d: %s\n", dialog.nMessageCtrl, mvltest::Narrow(dialog.sText).c_str());
            EXPECT_TRUE(m_bMessagesExpected) << "unexpected message dialog";
        }
        if (HasFailure())
            for (const std::string& s : m_install.SimLog())
                std::printf("  sim: %s\n", s.c_str());
    }
    std::wstring Name() const { return std::wstring(m_install.Name().begin(), m_install.Name().end()); }
    std::wstring File(const char* pszName) const { return (m_dir.Path() / pszName).wstring(); }
    bool Exists(const char* pszName) const { return std::filesystem::exists(m_dir.Path() / pszName); }
    SToolRun Scan(std::vector<std::wstring> args, unsigned nMillis = kRunMillis)
    {
        args.insert(args.begin(), {L"-d", Name()});
        return RunTool(args, nMillis);
    }
    static bool Contains(const std::string& s, const std::string& sPart) { return s.find(sPart) != std::string::npos; }
    static CRaster ReadBmp(const std::wstring& sPath)
    {
        std::ifstream in(std::filesystem::path(sPath), std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        CRaster raster;
        std::string sError;
        EXPECT_TRUE(RasterFromBmpFile(bytes.data(), bytes.size(), &raster, &sError)) << sError;
        return raster;
    }
    // The last scan parameters the device received.
    SSimScanParams LastParams() const
    {
        std::vector<SSimScanParams> all = m_install.DeviceParams();
        return all.empty() ? SSimScanParams{} : all.back();
    }
    // The raster holds exactly the simulator's page for those parameters.
    static testing::AssertionResult IsSimPage(const CRaster& raster, const SSimScanParams& params, int nSheet = 1,
                                              int nSide = 0)
    {
        if (!params.bFound)
            return testing::AssertionFailure() << "the device received no scan parameters";
        std::vector<std::vector<std::uint8_t>> rows = SimPage(params, nSheet, nSide);
        if (rows.size() != static_cast<size_t>(raster.nHeight))
            return testing::AssertionFailure() << raster.nHeight << " rows, the simulator gives " << rows.size();
        const size_t nStride = raster.Stride();
        for (size_t y = 0; y < rows.size(); ++y) {
            if (rows[y].size() != nStride)
                return testing::AssertionFailure() << "row of " << nStride << " bytes, the simulator's has " << rows[y].size();
            if (!std::equal(rows[y].begin(), rows[y].end(), raster.pixels.begin() + y * nStride))
                return testing::AssertionFailure() << "row " << y << " differs";
        }
        return testing::AssertionSuccess();
    }

    CRealInstall m_install;
    mvltest::CTempDir m_dir;
    bool m_bMessagesExpected = false;
};
