#include "settings/FileIo.h"

#include "settings/WideUtf8.h"

#include <array>
#include <cwchar>
#include <random>
#include <system_error>

namespace {

std::wstring TempNameBeside(const std::wstring& szPath)
{
    // A random part keeps two processes saving at once from writing into one temporary file.
    std::random_device rd;
    wchar_t szSuffix[24];
    std::swprintf(szSuffix, 24, L".%08x.tmp", static_cast<unsigned>(rd()));
    return szPath + szSuffix;
}

bool WriteAndCommit(const std::wstring& szTemp, std::span<const uint8_t> bytes)
{
    CFilePtr pFile = OpenFileW(szTemp, "wb");
    if (!pFile)
        return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), pFile.get()) != bytes.size())
        return false;
    if (std::fflush(pFile.get()) != 0 || !CommitFileToDisk(pFile.get()))
        return false;
    return std::fclose(pFile.release()) == 0;
}

}  // namespace

CFilePtr OpenFileW(const std::wstring& szPath, const char* szMode)
{
#if defined(_WIN32)
    std::wstring szWideMode(szMode, szMode + std::char_traits<char>::length(szMode));
    return CFilePtr(_wfopen(szPath.c_str(), szWideMode.c_str()));
#else
    const std::filesystem::path path = WideToPath(szPath);
    if (path.empty())
        return nullptr;
    return CFilePtr(std::fopen(path.c_str(), szMode));
#endif
}

FileReadStatus ReadWholeFile(const std::wstring& szPath, const char* szMode, size_t nMaxBytes,
                             std::vector<uint8_t>& bytes)
{
    bytes.clear();
    CFilePtr pFile = OpenFileW(szPath, szMode);
    if (!pFile)
        return FileReadStatus::CannotOpen;
    std::array<uint8_t, 1024> block;
    for (;;) {
        const size_t nRead = std::fread(block.data(), 1, block.size(), pFile.get());
        if (bytes.size() + nRead > nMaxBytes)
            return FileReadStatus::TooLarge;
        bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(nRead));
        if (nRead < block.size())
            return std::ferror(pFile.get()) ? FileReadStatus::IoError : FileReadStatus::Ok;
    }
}

bool WriteFileAtomically(const std::wstring& szPath, std::span<const uint8_t> bytes)
{
    const std::wstring szTemp = TempNameBeside(szPath);
    if (WriteAndCommit(szTemp, bytes) && ReplaceFileAtomically(szTemp, szPath))
        return true;
    RemoveFileW(szTemp);
    return false;
}

bool FileExistsW(const std::wstring& szPath)
{
    std::error_code ec;
    return std::filesystem::exists(WideToPath(szPath), ec);
}

bool RemoveFileW(const std::wstring& szPath)
{
    std::error_code ec;
    return std::filesystem::remove(WideToPath(szPath), ec);
}
