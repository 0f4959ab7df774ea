// The save-settings record of file-output mode: where the calling program delivers the scanned
// images (a folder or e-mail), under which base name, as which file type, and what it opens after
// the scan. The calling program reads it from "imgSaveSettings.dat", 2104 bytes exactly as laid
// out here (little-endian, texts UTF-16 of 260 units ending in a zero, no header), so the layout
// never changes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr std::size_t kImgSaveTextUnits = 260;
constexpr std::size_t kImgSaveRecordBytes = 2104;

enum EImgSaveDestination : uint32_t { kSaveToFolder = 0, kSaveToEmail = 1 };

struct SImgSaveRecord {
    char16_t szFolder[kImgSaveTextUnits];
    char16_t szBaseName[kImgSaveTextUnits];
    char16_t szFileType[kImgSaveTextUnits];  // "bmp", "jpg", "tif", "pdf", "png", "ofd", "PDF(公文)"
    uint32_t bOpenFile;                      // open the image file after scanning
    uint32_t bOpenFolder;                    // open the image folder after scanning
    uint32_t nDestination;                   // EImgSaveDestination
    char16_t szEmailProgram[kImgSaveTextUnits];
    uint32_t bManualDuplex;
    uint32_t nReserved;                      // always written as 0
    uint32_t bMergeScan;
};

// The struct mirrors the stored layout; the byte image below does not rely on it, but a drift
// here would mean the two disagree about which field is which.
static_assert(offsetof(SImgSaveRecord, szBaseName) == 520);
static_assert(offsetof(SImgSaveRecord, szFileType) == 1040);
static_assert(offsetof(SImgSaveRecord, bOpenFile) == 1560);
static_assert(offsetof(SImgSaveRecord, bOpenFolder) == 1564);
static_assert(offsetof(SImgSaveRecord, nDestination) == 1568);
static_assert(offsetof(SImgSaveRecord, szEmailProgram) == 1572);
static_assert(offsetof(SImgSaveRecord, bManualDuplex) == 2092);
static_assert(offsetof(SImgSaveRecord, nReserved) == 2096);
static_assert(offsetof(SImgSaveRecord, bMergeScan) == 2100);
static_assert(sizeof(SImgSaveRecord) == kImgSaveRecordBytes);

using ImgSaveBytes = std::array<uint8_t, kImgSaveRecordBytes>;

// The stored image: the file type in lower case, the reserved field 0, every text ending in a
// zero even when the record's did not.
ImgSaveBytes ImgSaveToBytes(const SImgSaveRecord& rec);
// Anything but exactly 2104 bytes is refused whole (false, rec untouched): a record cut short
// or grown is not the calling program's, and half of one would mix two settings.
bool ImgSaveFromBytes(const uint8_t* pData, std::size_t nBytes, SImgSaveRecord& rec);

// What a first run uses: open the folder after scanning, deliver to the folder, type "jpg".
SImgSaveRecord DefaultImgSaveRecord(std::u16string_view sFolder);

// A text field as a string (up to its first zero), and set (cut to 259 units).
std::u16string ImgSaveText(const char16_t (&field)[kImgSaveTextUnits]);
void SetImgSaveText(char16_t (&field)[kImgSaveTextUnits], std::u16string_view sText);

// ASCII letters only: the types are ASCII, and "PDF(公文)" keeps its Chinese part.
std::u16string LowerAscii(std::u16string s);
std::u16string UpperAscii(std::u16string s);

// The file: read whole (nothing, when it is missing, unreadable or of another size) and written
// atomically (a temporary file beside it replaces it, so a crash keeps the previous record).
enum class ImgSaveReadStatus { Ok, CannotOpen, WrongSize };
ImgSaveReadStatus ReadImgSaveFile(const std::wstring& szPath, SImgSaveRecord& rec);
bool WriteImgSaveFile(const std::wstring& szPath, const SImgSaveRecord& rec);
