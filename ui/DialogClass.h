// A window class that is a copy of the standard dialog class under another name, so that
// templates naming it (CLASS "...") create ordinary dialogs other programs can find by class.
// Registered while anyone holds it; the last holder unregisters it, so that a library
// unloaded and loaded again registers its own procedure afresh.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CDialogClassCopy {
public:
    // The registration for (name, module); null when the class could not be registered.
    static std::shared_ptr<CDialogClassCopy> Acquire(const std::wstring& sName, HINSTANCE hModule);
    ~CDialogClassCopy();
    CDialogClassCopy(const CDialogClassCopy&) = delete;
    CDialogClassCopy& operator=(const CDialogClassCopy&) = delete;

    const std::wstring& Name() const { return m_sName; }

private:
    struct SKey {};

public:
    // Only Acquire can make the key.
    CDialogClassCopy(SKey, std::wstring sName, HINSTANCE hModule) : m_sName(std::move(sName)), m_hModule(hModule) {}

private:

    std::wstring m_sName;
    HINSTANCE m_hModule;
};
