// The deskew edge pass's row work for processors without AVX2.
#define MVL_DESKEW_ROW_BODIES
#include "imaging/DeskewRowKernel.h"

CDeskewRowKernels DeskewRowKernelsPlain()
{
    return {&EdgeRowBody, &DilatedSumsBody, &PointBitsBody, &RowSumBody, &DarkRowBody};
}
