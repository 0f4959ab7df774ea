// The native half of an atomic write.
#include "settings/FileIo.h"

#include "settings/WideUtf8.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

bool CommitFileToDisk(std::FILE* pFile)
{
    return pFile && ::fsync(::fileno(pFile)) == 0;
}

bool ReplaceFileAtomically(const std::wstring& szFrom, const std::wstring& szTo)
{
    const std::filesystem::path from = WideToPath(szFrom), to = WideToPath(szTo);
    if (from.empty() || to.empty())
        return false;
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec)
        return false;
    // The rename itself lives in the folder; flush it so it survives a power cut.
    const std::filesystem::path folder = to.has_parent_path() ? to.parent_path() : std::filesystem::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}
