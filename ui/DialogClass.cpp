#include "ui/DialogClass.h"

#include <vector>

namespace {

struct SRegistration {
    std::wstring sName;
    HINSTANCE hModule;
    std::weak_ptr<CDialogClassCopy> pClass;
};

// Used on the application's thread only, like every window of the library.
std::vector<SRegistration> s_registrations;

}  // namespace

std::shared_ptr<CDialogClassCopy> CDialogClassCopy::Acquire(const std::wstring& sName, HINSTANCE hModule)
{
    std::erase_if(s_registrations, [](const SRegistration& r) { return r.pClass.expired(); });
    for (const SRegistration& r : s_registrations) {
        if (r.sName == sName && r.hModule == hModule)
            return r.pClass.lock();
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(nullptr, L"#32770", &wc))
        return nullptr;
    wc.hInstance = hModule;
    wc.lpszClassName = sName.c_str();
    wc.style &= ~CS_GLOBALCLASS;
    if (!::RegisterClassExW(&wc))
        return nullptr;
    auto pClass = std::make_shared<CDialogClassCopy>(SKey{}, sName, hModule);
    s_registrations.push_back({sName, hModule, pClass});
    return pClass;
}

CDialogClassCopy::~CDialogClassCopy()
{
    ::UnregisterClassW(m_sName.c_str(), m_hModule);
}
