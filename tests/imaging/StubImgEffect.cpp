// An effect library that lacks all but one function, for the binding's missing-function path.
#include <cstdint>

extern "C" __declspec(dllexport) int ChangeGamma(void*, uint8_t*, float fGamma)
{
    return fGamma == 2.0f ? 77 : 78;
}
