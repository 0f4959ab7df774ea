// The rules of the save dialogs that need no window: the base name a user may type and the
// folder text the dialogs accept. Portable; the dialogs put them on their controls and the file
// system (the default base name is profile/FileNaming.h's NextDatedName).
#pragma once

#include <string>

// White space trimmed at both ends.
std::wstring TrimBlanks(const std::wstring& s);

// \ / : * ? " < > | : not allowed in a file name.
bool HasForbiddenNameChar(const std::wstring& sName);

// The folder's longest text; a longer one cannot take a base name and a type within the paths
// the calling program handles.
constexpr std::size_t kMaxSaveFolderChars = 200;

// The checks of OK in their order, each with the message the user sees; the folder's existence
// and the write test follow on the file system.
enum class ESaveTextCheck { Ok, EmptyName, ForbiddenName, EmptyFolder, FolderTooLong, FolderUnusable };
// sName as trimmed; a folder starting with "." or "\" is relative or a share, never a folder of
// this machine that the calling program can be given.
ESaveTextCheck CheckSaveTexts(const std::wstring& sName, const std::wstring& sFolder);
// The language string of a failed check (1126, 1125, 1124, 1127, 1128); 0 for Ok.
unsigned MessageIdOf(ESaveTextCheck check);

// The folder with one trailing backslash.
std::wstring WithTrailingBackslash(const std::wstring& sFolder);
// folder + name + "." + type, or + ".pdf" for the official-document PDF type.
std::wstring SaveTargetPath(const std::wstring& sFolder, const std::wstring& sName, const std::wstring& sType);
