// Which host program opened the source, from its executable's path: the table of programs
// some behaviours are adapted to. Portable; the path comes from the caller.
#pragma once

#include <string>

// One flag per row of the application table (process-wide copy in AppLink.h).
struct SAppFlags {
    bool bOffice = false;           // office programs: fixed layout frame, even scan sizes
    bool bOfficeViewer = false;     // office and viewer programs: sizes in multiples of 4
    bool bMsScanViewer = false;     // the office scanning viewers (name compared in any case)
    bool bPhotoshop = false;        // larger in-memory images, deferred dialog close
    bool bPhotoshopNotCS4 = false;  // dialog made topmost
    bool bPhotoshopCS2 = false;     // placement again after each page and before device errors
    bool bImageEditor1 = false;     // MSG_ENDXFER answers Count 0
    bool bImageEditor2 = false;     // MSG_ENDXFER re-enables the dialog
    bool bAcrobat = false;          // MSG_RESET and late MSG_ENDXFER succeed at once
    bool bClientWindow = false;     // dialog placement
    bool bClientXfer = false;       // memory transfer in a wrong state succeeds
};

// The executable's file name: the path upper-cased, the part after its last backslash.
std::wstring HostExeName(const std::wstring& sModulePath);

// The installation folder name the Photoshop version rules look at: the path without its
// trailing run of characters that occur in "\Photoshop.exe", then its last part, upper-cased.
std::wstring PhotoshopDirName(const std::wstring& sModulePath);

// Applies one MSG_OPENDS to the flags: recomputes the flags that follow every open, sets the
// flags that are only ever set, and touches the Photoshop version flags only for Photoshop.
void ApplyHostApp(SAppFlags& flags, const std::wstring& sModulePath);

// The office programs whose identity query marks the Office flag (ONENOTE.EXE excluded).
bool IsOfficeIdentityHost(const std::wstring& sExeUpper);
