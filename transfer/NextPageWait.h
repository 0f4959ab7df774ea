// The wait for the document feeder's next page at the end of a transfer: the device callback
// counts finished pages (plus 10000 once the job has ended), the transfer side counts the
// pages it handed over, and the wait ends when the device is ahead, has ended, reports an
// error or the deadline passes. Portable: time, sleeping and the device come in as hooks.
#pragma once

#include <cstdint>
#include <functional>

// The real limit for a page to arrive.
constexpr uint32_t kNextPageTimeoutMs = 120000;
constexpr uint32_t kNextPagePollMs = 100;

struct SNextPageHooks {
    std::function<uint32_t()> tick;          // milliseconds, may wrap
    std::function<void(uint32_t)> sleep;
    std::function<int()> deviceError;        // the device library's last error
    std::function<int()> devicePages;        // the callback's page counter
    std::function<void()> manualDuplexWait;  // empty unless manual duplex is in effect
};

struct SNextPageResult {
    bool bMore = false;    // a further page waits
    bool bFailed = false;  // time-out or device error: the transfer reports failure
    int nError = 0;        // the device error seen at the failure
};

// nPagesTransferred counts the page just ended. With bCancel there is no further page at once.
SNextPageResult WaitForNextPage(int nPagesTransferred, bool bCancel, uint32_t nTimeoutMs,
                                const SNextPageHooks& hooks);
