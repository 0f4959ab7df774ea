#include "DialogTemplate.h"

#include <cstring>

namespace mvltest {

namespace {

template <class T>
void Append(std::vector<WORD>& data, const T& value)
{
    size_t nPos = data.size();
    data.resize(nPos + sizeof(T) / sizeof(WORD));
    std::memcpy(&data[nPos], &value, sizeof(T));
}

}  // namespace

CDialogTemplate::CDialogTemplate(DWORD dwStyle, short cx, short cy, const std::wstring& sTitle, const std::wstring& sFont)
{
    DLGTEMPLATE t{};
    t.style = dwStyle | DS_SETFONT;
    t.cx = cx;
    t.cy = cy;
    Append(m_data, t);
    m_nCountPos = offsetof(DLGTEMPLATE, cdit) / sizeof(WORD);
    Word(0);  // no menu
    Word(0);  // standard class
    Text(sTitle);
    Word(8);
    Text(sFont);
}

void CDialogTemplate::Text(const std::wstring& s)
{
    for (wchar_t c : s)
        Word(static_cast<WORD>(c));
    Word(0);
}

void CDialogTemplate::Align()
{
    if (m_data.size() % 2)
        Word(0);
}

void CDialogTemplate::Item(WORD wId, DWORD dwStyle, short x, short y, short cx, short cy)
{
    Align();
    DLGITEMTEMPLATE item{};
    item.style = dwStyle | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = wId;
    Append(m_data, item);
    ++m_data[m_nCountPos];
}

CDialogTemplate& CDialogTemplate::Add(WORD wClassAtom, WORD wId, DWORD dwStyle, short x, short y, short cx, short cy,
                                      const std::wstring& sText)
{
    Item(wId, dwStyle, x, y, cx, cy);
    Word(0xFFFF);
    Word(wClassAtom);
    Text(sText);
    Word(0);  // no creation data
    return *this;
}

CDialogTemplate& CDialogTemplate::Add(const std::wstring& sClass, WORD wId, DWORD dwStyle, short x, short y, short cx,
                                      short cy, const std::wstring& sText)
{
    Item(wId, dwStyle, x, y, cx, cy);
    Text(sClass);
    Text(sText);
    Word(0);
    return *this;
}

CDialogTemplate& CDialogTemplate::ExStyle(DWORD dwExStyle)
{
    std::memcpy(&m_data[offsetof(DLGTEMPLATE, dwExtendedStyle) / sizeof(WORD)], &dwExStyle, sizeof dwExStyle);
    return *this;
}

const DLGTEMPLATE* CDialogTemplate::Get()
{
    return reinterpret_cast<const DLGTEMPLATE*>(m_data.data());
}

}  // namespace mvltest
