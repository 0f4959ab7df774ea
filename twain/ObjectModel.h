// The small object model the source is assembled from: objects that know their run-time
// class and can be created from it, so that the assembly never names concrete classes.
#pragma once

#include <new>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();

    // Null when the class is not dynamically creatable or memory is exhausted.
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return nullptr; }
};

#define DECLARE_DYNCREATE(cls)                                   \
public:                                                          \
    static const CRuntimeClass class##cls;                       \
    static CObject* CreateObject();                              \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNCREATE(cls)                                                   \
    CObject* cls::CreateObject() { return new (std::nothrow) cls; }                \
    const CRuntimeClass cls::class##cls{#cls, &cls::CreateObject};                 \
    const CRuntimeClass* cls::GetRuntimeClass() const { return &class##cls; }

#define RUNTIME_CLASS(cls) (&cls::class##cls)
