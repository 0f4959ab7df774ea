// Status values of the device side and the messages shown for them.
#pragma once

constexpr int DEVMON_STATUS_OK = 0;
constexpr int DEVMON_STATUS_FAIL = -1;
constexpr int STATUS_SCANNING = 100;
constexpr int ScanDrv_STATUS_EOF = 200;

// The status for a raw result code of the device library; -1 outside 0 to 27.
int MapDrvCode(long long nRaw);

// Categories of the error message table.
enum EDevErrorCategory {
    kErrOpen = 0,
    kErrStartOrFeeder = 1,
    kErrSetParameter = 2,
    kErrAlways = 5,
    kErrRead = 6,
    kErrLocate = 13,
    kErrCategory21 = 21,
};

// The string id product default: 1154 on platform K products, else 1101.
int ProductDefaultMessageId(bool bIsPlatformK);
// The string id of the message for (category, status).
int DevErrorMessageId(int nCategory, int nStatus, bool bIsPlatformK);
// A message is shown for a status below zero, and for category 5 always.
bool ShouldShowDevError(int nCategory, int nStatus);
