// The Windows half of an atomic write.
#include "settings/FileIo.h"

#include <io.h>
#include <windows.h>

bool CommitFileToDisk(std::FILE* pFile)
{
    if (!pFile)
        return false;
    const auto hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(pFile)));
    return hFile != INVALID_HANDLE_VALUE && FlushFileBuffers(hFile) != FALSE;
}

bool ReplaceFileAtomically(const std::wstring& szFrom, const std::wstring& szTo)
{
    return MoveFileExW(szFrom.c_str(), szTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
