// Loading a library without letting anybody else's file take its place. A bare name is looked
// up in the application's folder, the current directory and every folder on PATH, so whoever
// can write a file into one of them would have it run in the host program. Every library is
// therefore loaded by its full path, and what it needs in turn comes from its own folder and
// the system folder only.
#pragma once

#include <windows.h>

#include <string>

// A full path: a drive and a root ("C:\...") or a network share ("\\server\..."); nothing
// relative to the current directory or the current drive.
bool IsFullPath(const std::wstring& sPath);

// Loads the library at sFullPath; null (ERROR_BAD_PATHNAME) for anything but a full path.
HMODULE LoadLibraryByFullPath(const std::wstring& sFullPath);

// Loads a library of the given standard name from the program's own folder or the system
// folder, never from the current directory or PATH. For the one library that has no path of
// its own: the TWAIN source manager, which every TWAIN application loads by its name.
HMODULE LoadSystemLibrary(const wchar_t* pszName);
