#include "device/ScanParamRecord.h"

#include <cstring>

namespace {

class CByteWriter {
public:
    explicit CByteWriter(ScanParamBytes& bytes) : m_bytes(bytes) {}
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[m_nPos++] = static_cast<uint8_t>(v >> (8 * i));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I32s(const int32_t (&v)[4])
    {
        for (int32_t x : v)
            I32(x);
    }
    void Chars(const char (&s)[kAddressBytes])
    {
        std::memcpy(&m_bytes[m_nPos], s, kAddressBytes);
        m_nPos += kAddressBytes;
    }
    std::size_t Pos() const { return m_nPos; }

private:
    ScanParamBytes& m_bytes;
    std::size_t m_nPos = 0;
};

class CByteReader {
public:
    explicit CByteReader(const uint8_t* pData) : m_pData(pData) {}
    uint32_t U32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(m_pData[m_nPos++]) << (8 * i);
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    void I32s(int32_t (&v)[4])
    {
        for (int32_t& x : v)
            x = I32();
    }
    void Chars(char (&s)[kAddressBytes])
    {
        std::memcpy(s, m_pData + m_nPos, kAddressBytes);
        s[kAddressBytes - 1] = '\0';
        m_nPos += kAddressBytes;
    }

private:
    const uint8_t* m_pData;
    std::size_t m_nPos = 0;
};

}  // namespace

ScanParamBytes ScanParamToBytes(const SScanParamRecord& rec)
{
    ScanParamBytes bytes{};
    CByteWriter w(bytes);
    w.U32(rec.nConnection);
    w.Chars(rec.szAddress1);
    w.Chars(rec.szAddress2);
    w.I32(rec.nSource);
    w.I32(rec.nColourMode);
    w.I32(rec.nResolutionIndex);
    w.I32(rec.nPaperIndex);
    w.U32(rec.nHorizontal);
    w.I32s(rec.nBrightness);
    w.I32s(rec.nContrast);
    w.I32s(rec.nCurve);
    for (int32_t v : {rec.nGamma, rec.nThreshold, rec.nDescreen, rec.nFading, rec.nRotation,
                      rec.nAutoDeskew, rec.nAutoThreshold, rec.nUnit})
        w.I32(v);
    return bytes;
}

bool ScanParamFromBytes(const uint8_t* pData, std::size_t nBytes, SScanParamRecord& rec)
{
    if (!pData || nBytes != kScanParamRecordBytes)
        return false;
    SScanParamRecord r{};
    CByteReader in(pData);
    r.nConnection = in.U32();
    in.Chars(r.szAddress1);
    in.Chars(r.szAddress2);
    r.nSource = in.I32();
    r.nColourMode = in.I32();
    r.nResolutionIndex = in.I32();
    r.nPaperIndex = in.I32();
    r.nHorizontal = in.U32();
    in.I32s(r.nBrightness);
    in.I32s(r.nContrast);
    in.I32s(r.nCurve);
    for (int32_t* p : {&r.nGamma, &r.nThreshold, &r.nDescreen, &r.nFading, &r.nRotation,
                       &r.nAutoDeskew, &r.nAutoThreshold, &r.nUnit})
        *p = in.I32();
    rec = r;
    return true;
}

std::string DeviceNameOf(const SScanParamRecord& rec)
{
    if (rec.nConnection == 0)
        return "\\\\.\\Usbscan";
    const char* psz = rec.nConnection == 1 ? rec.szAddress1 : rec.szAddress2;
    return std::string(psz, strnlen(psz, kAddressBytes));
}

SScanParamRecord DefaultScanParam(const SProductFlags& flags)
{
    SScanParamRecord rec{};
    rec.nColourMode = kColourRgb;
    rec.nResolutionIndex = 2;
    rec.nUnit = 2;
    rec.nSource = flags.bIsPlatformK ? kSourceFeeder : kSourceFlatbed;
    if (flags.bIsPlatformK || flags.bIsTevoA3)
        rec.nPaperIndex = 0;
    else
        rec.nPaperIndex = flags.bHasA3 ? 7 : 5;
    rec.nGamma = DefaultGammaTenths(flags);
    rec.nThreshold = DefaultThreshold(flags);
    rec.nAutoThreshold = flags.bQX5031 ? 1 : 0;
    return rec;
}

void ApplyProductLimits(SScanParamRecord& rec, const SProductFlags& flags)
{
    if (!flags.bHasHorizontal)
        rec.nHorizontal = 0;
}
