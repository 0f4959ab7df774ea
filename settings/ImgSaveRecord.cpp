#include "settings/ImgSaveRecord.h"

#include "settings/FileIo.h"

#include <algorithm>
#include <vector>

namespace {

void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* p)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void PutText(uint8_t* p, std::u16string_view s)
{
    const std::size_t n = std::min(s.size(), kImgSaveTextUnits - 1);
    for (std::size_t i = 0; i < kImgSaveTextUnits; ++i) {
        const char16_t c = i < n ? s[i] : u'\0';
        p[2 * i] = static_cast<uint8_t>(c & 0xFF);
        p[2 * i + 1] = static_cast<uint8_t>(c >> 8);
    }
}

void GetText(const uint8_t* p, char16_t (&field)[kImgSaveTextUnits])
{
    for (std::size_t i = 0; i < kImgSaveTextUnits; ++i)
        field[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    field[kImgSaveTextUnits - 1] = u'\0';
}

template <typename F>
std::u16string MapAscii(std::u16string s, F f)
{
    std::transform(s.begin(), s.end(), s.begin(), f);
    return s;
}

}  // namespace

std::u16string ImgSaveText(const char16_t (&field)[kImgSaveTextUnits])
{
    return std::u16string(field, std::find(field, field + kImgSaveTextUnits, u'\0'));
}

void SetImgSaveText(char16_t (&field)[kImgSaveTextUnits], std::u16string_view sText)
{
    const std::size_t n = std::min(sText.size(), kImgSaveTextUnits - 1);
    std::copy_n(sText.begin(), n, field);
    std::fill(field + n, field + kImgSaveTextUnits, u'\0');
}

std::u16string LowerAscii(std::u16string s)
{
    return MapAscii(std::move(s), [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
}

std::u16string UpperAscii(std::u16string s)
{
    return MapAscii(std::move(s), [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; });
}

ImgSaveBytes ImgSaveToBytes(const SImgSaveRecord& rec)
{
    ImgSaveBytes bytes{};
    uint8_t* p = bytes.data();
    PutText(p + offsetof(SImgSaveRecord, szFolder), ImgSaveText(rec.szFolder));
    PutText(p + offsetof(SImgSaveRecord, szBaseName), ImgSaveText(rec.szBaseName));
    PutText(p + offsetof(SImgSaveRecord, szFileType), LowerAscii(ImgSaveText(rec.szFileType)));
    PutU32(p + offsetof(SImgSaveRecord, bOpenFile), rec.bOpenFile);
    PutU32(p + offsetof(SImgSaveRecord, bOpenFolder), rec.bOpenFolder);
    PutU32(p + offsetof(SImgSaveRecord, nDestination), rec.nDestination);
    PutText(p + offsetof(SImgSaveRecord, szEmailProgram), ImgSaveText(rec.szEmailProgram));
    PutU32(p + offsetof(SImgSaveRecord, bManualDuplex), rec.bManualDuplex);
    PutU32(p + offsetof(SImgSaveRecord, nReserved), 0);
    PutU32(p + offsetof(SImgSaveRecord, bMergeScan), rec.bMergeScan);
    return bytes;
}

bool ImgSaveFromBytes(const uint8_t* pData, std::size_t nBytes, SImgSaveRecord& rec)
{
    if (!pData || nBytes != kImgSaveRecordBytes)
        return false;
    SImgSaveRecord r{};
    GetText(pData + offsetof(SImgSaveRecord, szFolder), r.szFolder);
    GetText(pData + offsetof(SImgSaveRecord, szBaseName), r.szBaseName);
    GetText(pData + offsetof(SImgSaveRecord, szFileType), r.szFileType);
    r.bOpenFile = GetU32(pData + offsetof(SImgSaveRecord, bOpenFile));
    r.bOpenFolder = GetU32(pData + offsetof(SImgSaveRecord, bOpenFolder));
    r.nDestination = GetU32(pData + offsetof(SImgSaveRecord, nDestination));
    GetText(pData + offsetof(SImgSaveRecord, szEmailProgram), r.szEmailProgram);
    r.bManualDuplex = GetU32(pData + offsetof(SImgSaveRecord, bManualDuplex));
    r.nReserved = GetU32(pData + offsetof(SImgSaveRecord, nReserved));
    r.bMergeScan = GetU32(pData + offsetof(SImgSaveRecord, bMergeScan));
    rec = r;
    return true;
}

SImgSaveRecord DefaultImgSaveRecord(std::u16string_view sFolder)
{
    SImgSaveRecord rec{};
    rec.bOpenFolder = 1;
    rec.nDestination = kSaveToFolder;
    SetImgSaveText(rec.szFolder, sFolder);
    SetImgSaveText(rec.szFileType, u"jpg");
    return rec;
}

ImgSaveReadStatus ReadImgSaveFile(const std::wstring& szPath, SImgSaveRecord& rec)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(szPath, "rb", kImgSaveRecordBytes, bytes)) {
    case FileReadStatus::Ok:
        return ImgSaveFromBytes(bytes.data(), bytes.size(), rec) ? ImgSaveReadStatus::Ok : ImgSaveReadStatus::WrongSize;
    case FileReadStatus::TooLarge:
        return ImgSaveReadStatus::WrongSize;
    default:
        return ImgSaveReadStatus::CannotOpen;
    }
}

bool WriteImgSaveFile(const std::wstring& szPath, const SImgSaveRecord& rec)
{
    const ImgSaveBytes bytes = ImgSaveToBytes(rec);
    return WriteFileAtomically(szPath, bytes);
}
