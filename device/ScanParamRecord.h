// The scan-parameter record: everything that decides a scan. Its byte image (616 bytes,
// little-endian, no gaps) is what the settings files store, so the layout never changes.
#pragma once

#include "device/ProductFlags.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kAddressBytes = 256;
constexpr std::size_t kScanParamRecordBytes = 616;

enum EScanSource : int32_t { kSourceFlatbed = 0, kSourceFeeder = 1, kSourceFeederDuplex = 2 };
enum EColourMode : int32_t { kColourBw = 0, kColourGrey = 1, kColourRgb = 2 };
enum ERotation : int32_t { kRotateNone = 0, kRotate90 = 1, kRotate270 = 2, kRotate180 = 3 };

struct SScanParamRecord {
    uint32_t nConnection;               // 0 USB, 1 network address 1, 2 network address 2
    char szAddress1[kAddressBytes];
    char szAddress2[kAddressBytes];
    int32_t nSource;
    int32_t nColourMode;
    int32_t nResolutionIndex;
    int32_t nPaperIndex;
    uint32_t nHorizontal;
    int32_t nBrightness[4];             // master, red, green, blue
    int32_t nContrast[4];
    int32_t nCurve[4];
    int32_t nGamma;                     // tenths
    int32_t nThreshold;
    int32_t nDescreen;
    int32_t nFading;
    int32_t nRotation;
    int32_t nAutoDeskew;
    int32_t nAutoThreshold;
    int32_t nUnit;                      // 0 inches, 1 millimetres, 2 pixels
};

// The in-memory struct mirrors the stored layout; serialization below does not rely on it,
// but a drift here would mean the two disagree about which field is which.
static_assert(offsetof(SScanParamRecord, szAddress1) == 4);
static_assert(offsetof(SScanParamRecord, szAddress2) == 260);
static_assert(offsetof(SScanParamRecord, nSource) == 516);
static_assert(offsetof(SScanParamRecord, nColourMode) == 520);
static_assert(offsetof(SScanParamRecord, nResolutionIndex) == 524);
static_assert(offsetof(SScanParamRecord, nPaperIndex) == 528);
static_assert(offsetof(SScanParamRecord, nHorizontal) == 532);
static_assert(offsetof(SScanParamRecord, nBrightness) == 536);
static_assert(offsetof(SScanParamRecord, nContrast) == 552);
static_assert(offsetof(SScanParamRecord, nCurve) == 568);
static_assert(offsetof(SScanParamRecord, nGamma) == 584);
static_assert(offsetof(SScanParamRecord, nThreshold) == 588);
static_assert(offsetof(SScanParamRecord, nDescreen) == 592);
static_assert(offsetof(SScanParamRecord, nFading) == 596);
static_assert(offsetof(SScanParamRecord, nRotation) == 600);
static_assert(offsetof(SScanParamRecord, nAutoDeskew) == 604);
static_assert(offsetof(SScanParamRecord, nAutoThreshold) == 608);
static_assert(offsetof(SScanParamRecord, nUnit) == 612);
static_assert(sizeof(SScanParamRecord) == kScanParamRecordBytes);

using ScanParamBytes = std::array<uint8_t, kScanParamRecordBytes>;

// The stored byte image, little-endian whatever the host.
ScanParamBytes ScanParamToBytes(const SScanParamRecord& rec);

// Reads a stored image. Anything but exactly 616 bytes is refused (false, rec untouched).
// Both addresses come back zero-terminated even when the stored bytes were not.
bool ScanParamFromBytes(const uint8_t* pData, std::size_t nBytes, SScanParamRecord& rec);

// The name the device is opened with: "\\.\Usbscan" for USB, else the record's address 1
// (a scanner found by the network search) or address 2 (a host typed by the user).
std::string DeviceNameOf(const SScanParamRecord& rec);

// The record used when no stored one exists.
SScanParamRecord DefaultScanParam(const SProductFlags& flags);

// A product without horizontal feeding never scans horizontally.
void ApplyProductLimits(SScanParamRecord& rec, const SProductFlags& flags);
