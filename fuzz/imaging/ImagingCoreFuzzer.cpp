// Small random pages through auto_crop, auto_deskew and normal_rotate. The sizes, pixel type,
// resolution and angle come from the input; each buffer is exactly as large as the page so
// that any read or write outside it is caught by AddressSanitizer. Every result must be the
// literal reference's, byte for byte.
#include "imaging/AutoCrop.h"
#include "imaging/Deskew.h"
#include "imaging/ImagingOracle.h"
#include "imaging/ImagingThreads.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "profile/Trace.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kResolutions[] = {0, 75, 150, 300, 600, 1200, 200, -300};

struct CReader {
    const uint8_t* p;
    size_t n;
    uint32_t Next(uint32_t nBytes)
    {
        uint32_t v = 0;
        for (uint32_t k = 0; k < nBytes; ++k) {
            v = (v << 8) | (n ? *p : 0);
            if (n) ++p, --n;
        }
        return v;
    }
};

void NoTrace(const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool s_bQuiet = (SetTraceSinks(&NoTrace, nullptr), true);
    (void)s_bQuiet;
    CReader in{data, size};
    // Sides up to 1023 but mostly around the 100-pixel margins where the limits lie.
    const int32_t w = int32_t(in.Next(2) % 1024), h = int32_t(in.Next(2) % 1024);
    const int32_t type = int32_t(in.Next(1) % 4) - (in.Next(1) == 255 ? 2 : 0);  // includes -2..3
    const int32_t dpi = kResolutions[in.Next(1) % 8];
    const uint32_t nAngleBits = in.Next(4);
    float angle;
    std::memcpy(&angle, &nAngleBits, sizeof angle);
    SetImagingThreads(1 + int(in.Next(1) % 2));
    if (uint64_t(w) * h > 300000)
        return 0;
    const uint8_t fill = uint8_t(in.Next(1));

    // source in spool layout, then the working grey form
    const size_t nSrc = type == 0 ? BwRowBytes(w) * h : type == 2 ? size_t(w) * h * 3 : size_t(w) * h;
    std::vector<uint8_t> src(nSrc);
    for (size_t i = 0; i < nSrc; ++i) src[i] = in.n ? uint8_t(in.Next(1)) : uint8_t(fill ^ (i * 131 >> 3));
    std::vector<uint8_t> grey(size_t(w) * h);
    if (type == 0) BwToGray(nullptr, src.data(), grey.data(), w, h);
    else if (type == 2) RgbToGray(nullptr, src.data(), grey.data(), w, h);
    else if (type == 1) grey = src;

    std::vector<uint8_t> out(nSrc), outRef(nSrc);
    CAutoCropParam cp{type, dpi, w, h, -1, -1}, cpRef = cp;
    const int nCropped = auto_crop(nullptr, src.data(), out.data(), &cp);
    if (nCropped != oracle::AutoCrop(src.data(), outRef.data(), &cpRef) || cp.nOutWidth != cpRef.nOutWidth ||
        cp.nOutHeight != cpRef.nOutHeight || out != outRef)
        __builtin_trap();
    if (nCropped == 1) {
        const size_t nOut = type == 0 ? BwRowBytes(cp.nOutWidth) * cp.nOutHeight
                                      : size_t(cp.nOutWidth) * cp.nOutHeight * (type == 2 ? 3 : 1);
        if (cp.nOutWidth <= 0 || cp.nOutHeight <= 0 || cp.nOutWidth > w || cp.nOutHeight > h || nOut > nSrc)
            __builtin_trap();
    }
    const float skew = auto_deskew(nullptr, grey.data(), w, h, type, dpi);
    if (!(skew >= -14 && skew <= 14) || skew != float(int(skew)) || skew != oracle::AutoDeskew(grey.data(), w, h, type, dpi))
        __builtin_trap();

    const std::vector<uint8_t>& rotSrc = type == 2 ? src : grey;
    CRotateParam rp{type, dpi, w, h, -1, -1, (nAngleBits & 1) ? skew : angle};
    CRotateParam rpRef = rp;
    const std::vector<uint8_t> turned = oracle::AsBytes(normal_rotate(nullptr, rotSrc.data(), &rp));
    if (turned != oracle::NormalRotate(rotSrc.data(), &rpRef))
        __builtin_trap();
    if (!turned.empty() && turned.size() != (type == 0 ? BwRowBytes(w) * h : nSrc))
        __builtin_trap();
    return 0;
}
