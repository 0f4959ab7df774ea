// Small helpers the settings pages share for their standard controls: drop lists filled with
// texts and opened wide enough for the longest one, the selection of a list, and a tooltip
// control whose tools follow the mouse over their controls by themselves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Empties the drop list and adds the texts; the opened list is as wide as its longest text.
void FillDropList(HWND hList, const std::vector<std::wstring>& texts);
// The same with language strings.
void FillDropListIds(HWND hList, const std::vector<UINT>& stringIds);
// The selected index, -1 without one.
int ListSelection(HWND hList);
// Selects nIndex, or nothing when the list has no such entry.
void SelectListEntry(HWND hList, int nIndex);

// Narrows a check box or radio button to its box and text, so that its own background does
// not run on past the text.
void FitButtonToText(HWND hButton);
// Moves the control to nTop (client coordinates of its parent), keeping its left edge.
void MoveControlTo(HWND hCtrl, int nTop);

// A tooltip control owned by the page (it goes with the page), tips at most 300 pixels wide at
// 96 dpi; null when none could be made.
HWND CreatePageToolTip(HWND hPage);
// A tip for a control of the page.
void AddPageToolTip(HWND hTip, HWND hCtrl, const std::wstring& sText);
