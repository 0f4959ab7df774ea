// Small process-wide file, path, memory and locale utilities of the transfer, spool and
// dialog code. None keeps state.
#pragma once

#include <windows.h>

#include <string>

// <application data>\Tmpdata\<name>, both folders made when missing; the user's temporary
// folder stands in when application data cannot be found.
std::wstring GetTmpDataFilePath(const wchar_t* pszFileName);

// The next free "YYYY-MM-DD_NNN" name (today's local date) in the folder; TRUE.
BOOL GetDatedFileName(const wchar_t* pszFolder, std::wstring* pName);
// The base itself when the folder holds no name starting with it, else "<base> <n+1>"; TRUE.
BOOL GetNumberedFileName(const wchar_t* pszFolder, const wchar_t* pszBase, std::wstring* pName);

// TRUE when a block the size of the DIB (mode 0: 1 bit, 1: 8 bits, other: 24 bits) can be
// allocated; it is freed at once.
BOOL CheckDibMemory(int nWidth, int nHeight, int nMode);
// Bytes of one 24-bit DIB row.
DWORD DibRowSize(int nWidth);

// TRUE for metric paper defaults: the user's country is outside the Americas.
BOOL IsMetricLocale();
// Replaces the locale query behind IsMetricLocale (tests); null restores GetLocaleInfoW.
void SetLocaleInfoQuery(int(WINAPI* pfnQuery)(LCID, LCTYPE, LPWSTR, int));

// Widens a combo box's drop-down list to its widest item plus a scroll bar and the edges.
void SetComboDropWidth(HWND hCombo);

// "<operation> failed with error <code>: <system text>" for the thread's last error.
void TraceSystemError(const wchar_t* pszOperation);
