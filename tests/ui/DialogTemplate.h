// Dialog templates built in memory, so that framework tests need no resource script.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mvltest {

class CDialogTemplate {
public:
    CDialogTemplate(DWORD dwStyle, short cx, short cy, const std::wstring& sTitle,
                    const std::wstring& sFont = L"MS Shell Dlg");
    // A control of a predefined class (0x0080 button, 0x0081 edit, 0x0082 static).
    CDialogTemplate& Add(WORD wClassAtom, WORD wId, DWORD dwStyle, short x, short y, short cx, short cy,
                         const std::wstring& sText = L"");
    // A control of a registered class (a common control).
    CDialogTemplate& Add(const std::wstring& sClass, WORD wId, DWORD dwStyle, short x, short y, short cx, short cy,
                         const std::wstring& sText = L"");
    CDialogTemplate& ExStyle(DWORD dwExStyle);
    const DLGTEMPLATE* Get();

private:
    void Item(WORD wId, DWORD dwStyle, short x, short y, short cx, short cy);
    void Align();
    void Word(WORD w) { m_data.push_back(w); }
    void Text(const std::wstring& s);

    std::vector<WORD> m_data;
    size_t m_nCountPos = 0;
};

}  // namespace mvltest
