#include "device/SystemSpace.h"

#include "device/TestSeams.h"

namespace {

// The folder the free-space figures are taken for: the drive of the Windows directory.
std::wstring WindowsDrive()
{
    wchar_t szDir[MAX_PATH + 1] = L"";
    UINT n = GetWindowsDirectoryW(szDir, MAX_PATH);
    if (n == 0 || n > MAX_PATH)
        return L"C:\\";
    std::wstring s(szDir, n);
    return s.size() >= 3 && s[1] == L':' ? s.substr(0, 3) : s;
}

}  // namespace

uint64_t FreeBytesOf(const std::wstring& sPath)
{
    ULARGE_INTEGER avail{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(sPath.c_str(), &avail, &total, &free))
        return 0;
    return free.QuadPart;
}

uint64_t SystemFreeBytes()
{
    if (std::optional<uint64_t> nSeam = SeamValue(kSeamFreeBytes))
        return *nSeam;
    return FreeBytesOf(WindowsDrive());
}

std::optional<uint64_t> AvailVirtualBytes(MEMORYSTATUSEX* pStatus)
{
    MEMORYSTATUSEX st{};
    st.dwLength = sizeof st;
    if (!GlobalMemoryStatusEx(&st))
        return std::nullopt;
    if (std::optional<uint64_t> nSeam = SeamValue(kSeamAvailVirtual))
        st.ullAvailVirtual = *nSeam;
    if (pStatus)
        *pStatus = st;
    return st.ullAvailVirtual;
}
