// What the system has room for: free bytes on the drive of the Windows directory and on any
// folder's drive, and the available virtual memory, as the space checks before a scan and
// before each further feeder page take them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// Free bytes on the drive of the Windows directory (0 when unknown).
uint64_t SystemFreeBytes();
// Free bytes on the drive of sPath (0 when unknown).
uint64_t FreeBytesOf(const std::wstring& sPath);
// Available virtual memory; empty when the memory status cannot be read. pStatus receives it all.
std::optional<uint64_t> AvailVirtualBytes(MEMORYSTATUSEX* pStatus);
