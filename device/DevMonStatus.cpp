#include "device/DevMonStatus.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<int, 28> kRawToStatus = {
    0,   -1,  200, -21, -4,  0,   -7,  -73, -72, -12, -1,  -1,  -210, -74,
    -9,  -75, -76, -77, -78, -79, -80, -81, -82, -83, -1,  -1,  -84,  0,
};

int LookUp(std::initializer_list<std::pair<int, int>> table, int nStatus, int nOther)
{
    for (const auto& [status, id] : table)
        if (status == nStatus)
            return id;
    return nOther;
}

}  // namespace

int MapDrvCode(long long nRaw)
{
    if (nRaw < 0 || nRaw >= static_cast<long long>(kRawToStatus.size()))
        return DEVMON_STATUS_FAIL;
    return kRawToStatus[static_cast<std::size_t>(nRaw)];
}

int ProductDefaultMessageId(bool bIsPlatformK) { return bIsPlatformK ? 1154 : 1101; }

int DevErrorMessageId(int nCategory, int nStatus, bool bIsPlatformK)
{
    const int nDefault = ProductDefaultMessageId(bIsPlatformK);
    switch (nCategory) {
    case kErrOpen:
        return nStatus == -21 ? 1104 : nDefault;
    case kErrStartOrFeeder:
        return LookUp({{-73, 1139}, {-72, 1143}, {-21, 1104}, {-7, 1140}}, nStatus, 1103);
    case kErrSetParameter:
        return nStatus == -78 ? 1152 : 1103;
    case kErrRead:
        if (nStatus == -210 || nStatus == -4)
            return nDefault;
        return LookUp({{-100, 1105}, {-84, 1105}, {-82, 1162}, {-81, 1160}, {-80, 1155}, {-79, 1153},
                       {-78, 1152}, {-77, 1151}, {-76, 1149}, {-73, 1139}, {-72, 1143}, {-21, 1104},
                       {-7, 1140}},
                      nStatus, 1103);
    case kErrCategory21:
        return nStatus == -85 ? 1186 : 1185;
    default:
        return 1103;
    }
}

bool ShouldShowDevError(int nCategory, int nStatus) { return nStatus < 0 || nCategory == kErrAlways; }
