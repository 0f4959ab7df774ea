// The advanced page as the adjustment dialogs see it, for tests: a record, a colour test page
// as the preview, and that page re-processed through the effect library after each change,
// as the scanning dialog re-processes its preview from the kept original.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "imaging/ImgEffectBinding.h"
#include "ui/AdjustDialogHost.h"

namespace mvltest {

class CAdjustTestHost {
public:
    // A 64 x 64 page: red rising to the right, green downward, blue 128; the record's defaults
    // for colour with gamma 1.0, so that only what a test sets changes the page.
    CAdjustTestHost();

    SAdjustHost Host(const SProductFlags& flags = {});
    SScanParamRecord& Record() { return m_rec; }
    // A page of rgb bytes (rows of 3 x nWidth), or none at all.
    void SetPage(std::vector<uint8_t> rgb, int nWidth, int nHeight);
    void SetNoPreview() { m_bNoPreview = true; }

    int Marked() const { return m_nMarked; }
    int Reprocessed() const { return m_nReprocessed; }
    // Mean of channel c (0 red, 1 green, 2 blue) of the page, and of the preview as last re-processed.
    double PageMean(int c) const;
    double ShownMean(int c) const;

private:
    void Reprocess();
    static double Mean(const std::vector<uint8_t>& rgb, int c);

    SScanParamRecord m_rec{};
    std::vector<uint8_t> m_page;
    std::vector<uint8_t> m_shown;
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bNoPreview = false;
    CImgEffectBinding m_fx;
    std::atomic<int> m_nMarked{0};
    std::atomic<int> m_nReprocessed{0};
    mutable std::mutex m_mutex;
};

}  // namespace mvltest
