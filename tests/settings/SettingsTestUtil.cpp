#include "SettingsTestUtil.h"

#include "settings/SettingsProfile.h"
#include "settings/WideUtf8.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

std::map<std::wstring, std::wstring> CTestProfile::s_values;

CScratchDir::CScratchDir()
{
    static std::atomic<int> s_nNext{0};
    std::random_device rd;
    const auto* pInfo = testing::UnitTest::GetInstance()->current_test_info();
    std::string szName = "mvl_settings_";
    szName += pInfo ? pInfo->name() : "x";
    szName += "_" + std::to_string(rd() % 1000000) + "_" + std::to_string(s_nNext++);
    m_path = std::filesystem::temp_directory_path() / szName;
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

CScratchDir::~CScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::wstring CScratchDir::Separator() const
{
#if defined(_WIN32)
    return L"\\";
#else
    return L"/";
#endif
}

std::wstring CScratchDir::Wide(const std::string& szRelative) const
{
#if defined(_WIN32)
    std::wstring szBase = m_path.wstring();
#else
    std::wstring szBase = Utf8ToWide(m_path.string());
#endif
    if (szRelative.empty())
        return szBase;
    return szBase + Separator() + Utf8ToWide(szRelative);
}

std::filesystem::path NarrowPath(const std::wstring& szPath)
{
    return WideToPath(szPath);
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::filesystem::path& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::filesystem::path& path, const std::string& szBytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(szBytes.data(), static_cast<std::streamsize>(szBytes.size()));
}

CTestProfile::CTestProfile()
{
    s_values.clear();
    s_values[L"Version"] = L"1.0.0.1";
    SetTwainProfileReader(&CTestProfile::Read);
}

CTestProfile::~CTestProfile()
{
    SetTwainProfileReader(nullptr);
    s_values.clear();
}

void CTestProfile::Set(const std::wstring& szKey, const std::wstring& szValue)
{
    s_values[szKey] = szValue;
}

std::wstring CTestProfile::Read(const wchar_t* szKey)
{
    const auto it = s_values.find(szKey);
    return it == s_values.end() ? std::wstring() : it->second;
}
