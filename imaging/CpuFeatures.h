// Which vector instructions the running processor offers; the page loops pick their version
// once at run time, so one build serves every x86-64 machine.
#pragma once

inline bool HasAvx2()
{
#if (defined(__x86_64__) || defined(__i386__)) && defined(MVL_IMAGING_AVX2)
    static const bool s_bAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return s_bAvx2;
#else
    return false;
#endif
}
