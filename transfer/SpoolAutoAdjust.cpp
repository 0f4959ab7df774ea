// Automatic deskew and crop of a spooled page: the whole page goes through a work buffer, and
// the result is written back over the spool.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "transfer/ScanJob.h"
#include "imaging/AutoCrop.h"
#include "imaging/Deskew.h"
#include "imaging/ImgEffectBinding.h"
#include "imaging/PixelConvert.h"
#include "imaging/Rotate.h"
#include "profile/ProductProfile.h"
#include "profile/Trace.h"
#include "transfer/DibLayout.h"
#include "transfer/Image.h"
#include "transfer/ScanSpool.h"
#include "transfer/TransferFlags.h"

namespace {

// The whole spool mapped, released with the object.
class CWholeSpool {
public:
    explicit CWholeSpool(CImage& image) : m_image(image)
    {
        if (Data_MapFile* p = image.MapFile())
            m_pBase = image.GetDataHandle(0, p->Size(), &m_pData);
    }
    ~CWholeSpool()
    {
        if (m_pBase)
            m_image.ReleaseDataHandle(m_pBase);
    }
    CWholeSpool(const CWholeSpool&) = delete;
    CWholeSpool& operator=(const CWholeSpool&) = delete;
    uint8_t* Data() const { return m_pBase ? m_pData : nullptr; }
    size_t Size() const { return m_image.MapFile() ? m_image.MapFile()->Size() : 0; }

private:
    CImage& m_image;
    void* m_pBase = nullptr;
    uint8_t* m_pData = nullptr;
};

int BitsFor(int nPixelType) { return nPixelType == 0 ? 1 : nPixelType == 1 ? 8 : 24; }

}  // namespace

void AutoRotate(CScanJob& job, int nPixelType, int nResolution)
{
    if (nResolution == 1200) {
        TraceA("分辨率为1200时，不纠偏");
        return;
    }
    TraceA("AutoRotate<---------");
    const int32_t nWidth = static_cast<int32_t>(job.Width());
    const int32_t nHeight = static_cast<int32_t>(job.Height());
    CWholeSpool spool(ScanImage());
    const size_t nPage = size_t(SpoolRowBytes(nWidth, BitsFor(nPixelType))) * nHeight;
    if (!spool.Data() || nPage > spool.Size()) {
        TraceA("NULL == hTmp");
        return;
    }
    try {
        std::vector<uint8_t> work(spool.Data(), spool.Data() + nPage);
        std::vector<uint8_t> grey(size_t(nWidth) * nHeight, 0);
        CImgEffectBinding fx(CImgEffectBinding::OwnModuleDirectory().c_str(), g_szFilePrefix);
        if (nPixelType == 0)
            BwToGray(&fx, work.data(), grey.data(), nWidth, nHeight);
        else if (nPixelType == 1)
            std::memcpy(grey.data(), work.data(), grey.size());
        else
            RgbToGray(&fx, work.data(), grey.data(), nWidth, nHeight);
        float fAngle = auto_deskew(&fx, grey.data(), nWidth, nHeight, nPixelType, nResolution);
        TraceA("纠偏角度 f = %0.6f", fAngle);
        if (fAngle != 0.0f) {
            CRotateParam param{nPixelType, nResolution, nWidth, nHeight, 0, 0, fAngle};
            const CPageBytes out = normal_rotate(&fx, nPixelType == 0 ? grey.data() : work.data(), &param);
            TraceA("newImageWidth = %d, newImageHeight = %d", param.nOutWidth, param.nOutHeight);
            if (!out.empty())
                std::memcpy(spool.Data(), out.data(), std::min(out.size(), nPage));
        } else {
            TraceA("不在纠偏范围内，不需要纠偏");
        }
    } catch (const std::bad_alloc&) {
        TraceA("AutoRotate: out of memory");
    }
    TraceA("AutoRotate--------->");
}

int AutoCrop(CScanJob& job, int nPixelType, int nResolution)
{
    TraceA("AutoCrop<---------");
    const int32_t nWidth = static_cast<int32_t>(job.Width());
    const int32_t nHeight = static_cast<int32_t>(job.Height());
    CWholeSpool spool(ScanImage());
    if (!spool.Data()) {
        TraceA("NULL == hTmp");
        return 0;
    }
    std::vector<uint8_t> out;
    try {
        out.assign(spool.Size(), 0);
    } catch (const std::bad_alloc&) {
        TraceA("pOutput == NULL");
        return 0;
    }
    CImgEffectBinding fx(CImgEffectBinding::OwnModuleDirectory().c_str(), g_szFilePrefix);
    CAutoCropParam param{nPixelType, nResolution, nWidth, nHeight, 0, 0};
    int nCropped = auto_crop(&fx, spool.Data(), out.data(), &param);
    if (nCropped && param.nOutWidth > 0 && param.nOutHeight > 0) {
        std::memcpy(spool.Data(), out.data(), out.size());
        job.SetSize(static_cast<uint32_t>(param.nOutWidth), static_cast<uint32_t>(param.nOutHeight));
    }
    TraceA("AutoCrop--------->");
    return nCropped;
}
