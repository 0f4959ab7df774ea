// A tool test: a fake source of its own, a scratch folder, and runs of twainscan against it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/TestEnv.h"
#include "tests/twainscan/FakeInstall.h"
#include "tests/twainscan/FakePage.h"
#include "tests/twainscan/ToolRunner.h"
#include "twainscan/ExitStatus.h"
#include "twainscan/Raster.h"

class ToolTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_fake.Installed()); }
    std::wstring Name() const { return std::wstring(m_fake.Name().begin(), m_fake.Name().end()); }
    std::wstring File(const char* pszName) const { return (m_dir.Path() / pszName).wstring(); }
    // A run against this test's fake source.
    SToolRun Scan(std::vector<std::wstring> args, unsigned nMillis = 60000)
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
    // The tool closed the source on its way out, whatever happened before.
    void ExpectClosed()
    {
        EXPECT_EQ(1, m_fake.CountInLog("close")) << m_fake.Log();
        EXPECT_EQ(m_fake.CountInLog("enable ui="), m_fake.CountInLog("dat=0x0009 msg=0x0501"));
    }

    CFakeInstall m_fake;
    mvltest::CTempDir m_dir;
};
