// Owners of GDI handles, so that no paint path can leak one: objects deleted, memory device
// contexts deleted, window device contexts released and selections undone at scope end.
#pragma once

#include <windows.h>

#include <utility>

// An object from CreateSolidBrush, CreateFont, CreatePen, CreateCompatibleBitmap, LoadImage
// (bitmaps) or a region creator; deleted with the owner.
template <class THandle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(THandle h) : m_h(h) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_h, nullptr));
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    void Reset(THandle h = nullptr)
    {
        if (m_h)
            ::DeleteObject(m_h);
        m_h = h;
    }
    // Gives the handle away (to SetWindowRgn, which owns it afterwards).
    THandle Release() { return std::exchange(m_h, nullptr); }
    THandle Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    THandle m_h = nullptr;
};

using CBitmapHandle = CGdiObject<HBITMAP>;
using CBrushHandle = CGdiObject<HBRUSH>;
using CFontHandle = CGdiObject<HFONT>;
using CPenHandle = CGdiObject<HPEN>;
using CRegionHandle = CGdiObject<HRGN>;

// A memory device context compatible with hRef (the screen when null).
class CMemoryDC {
public:
    explicit CMemoryDC(HDC hRef) : m_hDC(::CreateCompatibleDC(hRef)) {}
    ~CMemoryDC()
    {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC Get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HDC m_hDC;
};

// The device context of a window's client area, released with the owner.
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// An object selected into a device context for a scope.
class CSelection {
public:
    CSelection(HDC hDC, HGDIOBJ hObj) : m_hDC(hDC), m_hOld(hDC && hObj ? ::SelectObject(hDC, hObj) : nullptr) {}
    ~CSelection()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// The layout of a device context for a scope: bitmaps blitted into a mirrored context keep
// their orientation (the right-to-left art is drawn mirrored already).
class CBitmapOrientationKept {
public:
    explicit CBitmapOrientationKept(HDC hDC) : m_hDC(hDC), m_dwLayout(::GetLayout(hDC))
    {
        if (m_dwLayout != GDI_ERROR && (m_dwLayout & LAYOUT_RTL))
            ::SetLayout(hDC, m_dwLayout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    }
    ~CBitmapOrientationKept()
    {
        if (m_dwLayout != GDI_ERROR && (m_dwLayout & LAYOUT_RTL))
            ::SetLayout(m_hDC, m_dwLayout);
    }
    CBitmapOrientationKept(const CBitmapOrientationKept&) = delete;
    CBitmapOrientationKept& operator=(const CBitmapOrientationKept&) = delete;

private:
    HDC m_hDC;
    DWORD m_dwLayout;
};
