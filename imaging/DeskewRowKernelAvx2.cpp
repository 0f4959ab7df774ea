// The deskew edge pass's row work built for AVX2; chosen only when the processor has it.
#if defined(MVL_IMAGING_AVX2)
#define MVL_DESKEW_ROW_BODIES
#endif
#include "imaging/DeskewRowKernel.h"

CDeskewRowKernels DeskewRowKernelsAvx2()
{
#if defined(MVL_IMAGING_AVX2)
    return {&EdgeRowBody, &DilatedSumsBody, &PointBitsBody, &RowSumBody, &DarkRowBody};
#else
    return DeskewRowKernelsPlain();
#endif
}
