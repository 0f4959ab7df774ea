// The product profile: one INI per model in the Windows directory, named after this library,
// and the feature flags drawn from it. Read again on every use; only the flags are kept.
#pragma once

#include <windows.h>

#include <string>

constexpr int kProfileValueChars = 260;

// Flags once set stay set for the life of the process; re-reading only sets them again.
extern BOOL g_bIsPlatformL;
extern BOOL g_bIsPlatformL_RGB;
extern BOOL g_bIsPlatformL_RGB_ZT4410QRS;
extern BOOL g_bIsPlatformK;
extern BOOL g_bIsVireo;
extern BOOL g_bIsTevoA3;
extern BOOL g_bIsTevoA3Plus;
extern BOOL g_bHasOFD;  // default on
extern BOOL g_bAutoDuplexSaveasPDF;
extern BOOL g_bQX5031;
extern BOOL g_bHasPDFDOC;
extern BOOL g_bKRV;
extern BOOL g_bHasAutoCrop;
extern BOOL g_bHasA3;
extern BOOL g_bHasHorizontal;
extern BOOL g_bHasMergeScan;

extern wchar_t g_szFilePrefix[kProfileValueChars + 1];
extern wchar_t g_szModelName[kProfileValueChars + 1];

// The profile path for a library at sModulePath: the Windows directory, the library's file name
// without its last five characters, ".ini". sModelName receives the folder holding the library.
std::wstring ProfilePathForModule(const std::wstring& sModulePath, std::wstring* pModelName);

// The full path of the module this code is linked into (the data source itself).
std::wstring OwnModulePath();

// The profile of this library; also refreshes g_szModelName.
std::wstring GetProfilePath();

// A value of the profile (empty when absent), at most 260 characters.
std::wstring ReadProfileString(const wchar_t* pszSection, const wchar_t* pszKey);
// A key of section "TWAIN" formed with the model folder name: "Key(%s)".
std::wstring ReadModelKey(const wchar_t* pszKeyBase);
// "Key(%s)" for the current model folder.
std::wstring ModelKeyName(const wchar_t* pszKeyBase);

// "File Prefix" of section "TWAIN", also kept in g_szFilePrefix.
std::wstring ReadFilePrefix();

// A flag is on only when the value is exactly "TRUE"; default-on flags are off only for "FALSE".
inline bool IsProfileTrue(const std::wstring& sValue) { return sValue == L"TRUE"; }
inline bool IsProfileFalse(const std::wstring& sValue) { return sValue == L"FALSE"; }

// The flags read while an application opens the source: "IsKRV", then the platform keys.
void ReadOpenDsFlags();
// The flags the scanning dialog reads when it initialises its settings.
void ReadDialogFlags();
// The flags the basic settings page reads when it initialises: "HasAutoCrop", "HasA3",
// "HasHorizontal" and "HasMergeScan" of the model (the last cleared first).
void ReadPageFlags();
// A per-model flag of section "TWAIN" with its default ("HasADF", "HasManualDuplex" ...).
bool ReadModelFlag(const wchar_t* pszKeyBase, bool bDefault);

// Values derived from the flags each time they are asked for.
BOOL DuplexCapAvailable();
int DefaultGammaTenths();
int DefaultThreshold();
int DefaultScanSizeIndex();
