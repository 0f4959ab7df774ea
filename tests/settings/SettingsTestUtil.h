// Helpers shared by the settings store tests: a scratch folder per test, wide paths, whole-file
// access and a product profile whose keys the test sets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class CScratchDir {
public:
    CScratchDir();
    ~CScratchDir();
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::wstring Wide(const std::string& szRelative = std::string()) const;  // with separator
    std::wstring Separator() const;

private:
    std::filesystem::path m_path;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
std::string ReadText(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& szBytes);
std::filesystem::path NarrowPath(const std::wstring& szPath);

// The profile the tests see: keys of section "TWAIN"; installs itself as the profile reader.
class CTestProfile {
public:
    CTestProfile();
    ~CTestProfile();
    void Set(const std::wstring& szKey, const std::wstring& szValue);

private:
    static std::wstring Read(const wchar_t* szKey);
    static std::map<std::wstring, std::wstring> s_values;
};
