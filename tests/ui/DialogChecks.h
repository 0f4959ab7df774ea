// What a user would see wrong with a dialog of this source: its layout, and the GDI objects
// its drawing leaves behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mvltest {

// GDI objects the process holds now.
int CountGdiObjects();

// What is wrong with a dialog's layout as the user sees it: a control outside the client
// area, two controls overlapping (one inside the other is a group), a text larger than its
// control (also a shortened size read-out), and a right-to-left dialog that is not mirrored
// (or a left-to-right one that is).
std::vector<std::string> LayoutProblems(HWND hDlg, bool bRtl);

}  // namespace mvltest
