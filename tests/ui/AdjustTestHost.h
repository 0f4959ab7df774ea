// The advanced page as the adjustment dialogs see it, for tests: a record, a colour test page
// as the preview, and that page re-processed through the effect library after each change,
// as the scanning dialog re-processes its preview from the kept original.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "imaging/ImgEffectBinding.h"
#include "imaging/RecordAdjustments.h"
#include "ui/AdjustDialogHost.h"

namespace mvltest {

class CAdjustTestHost {
public:
    // A 64 x 64 page: red rising to the right, green downward, blue 128; the record's defaults
    // for colour with gamma 1.0, so that only what a test sets changes the page.
    CAdjustTestHost() : m_fx(CImgEffectBinding::OwnModuleDirectory().c_str(), L"mvl")
    {
        m_rec = DefaultScanParam(SProductFlags{});
        m_rec.nGamma = 10;
        std::vector<uint8_t> rgb;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                rgb.insert(rgb.end(), {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128});
        SetPage(std::move(rgb), 64, 64);
    }

    SAdjustHost Host(const SProductFlags& flags = {})
    {
        SAdjustHost host{&m_rec, flags, L"mvl"};
        host.fnMarkCustom = [this] { ++m_nMarked; };
        host.fnReprocessPreview = [this] { Reprocess(); };
        host.fnPreviewImage = [this] { return SAdjustPreview{m_page.data(), m_nWidth, m_nHeight, 3 * m_nWidth, 24}; };
        return host;
    }
    SScanParamRecord& Record() { return m_rec; }
    // A page of rgb bytes (rows of 3 x nWidth); an empty one is no preview at all.
    void SetPage(std::vector<uint8_t> rgb, int nWidth, int nHeight)
    {
        std::lock_guard lock(m_mutex);
        m_page = std::move(rgb);
        m_shown = m_page;
        m_nWidth = nWidth;
        m_nHeight = nHeight;
    }

    int Marked() const { return m_nMarked; }
    int Reprocessed() const { return m_nReprocessed; }
    // Mean of channel c (0 red, 1 green, 2 blue) of the page, and of the preview as last re-processed.
    double PageMean(int c) const { return Mean(m_page, c); }
    double ShownMean(int c) const { return Mean(m_shown, c); }

private:
    void Reprocess()
    {
        {
            std::lock_guard lock(m_mutex);
            m_shown = m_page;
            _ImageDesc desc{m_nHeight, 3 * m_nWidth, m_nWidth, 24, 0, 0};
            ApplyImageEffects(m_fx, desc, m_shown.data(), AdjustmentsFromRecord(m_rec), false);
        }
        ++m_nReprocessed;
    }
    double Mean(const std::vector<uint8_t>& rgb, int c) const
    {
        std::lock_guard lock(m_mutex);
        double dSum = 0;
        for (size_t i = static_cast<size_t>(c); i < rgb.size(); i += 3)
            dSum += rgb[i];
        return rgb.empty() ? 0 : dSum / static_cast<double>(rgb.size() / 3);
    }

    SScanParamRecord m_rec{};
    std::vector<uint8_t> m_page;
    std::vector<uint8_t> m_shown;
    int m_nWidth = 0;
    int m_nHeight = 0;
    CImgEffectBinding m_fx;
    std::atomic<int> m_nMarked{0};
    std::atomic<int> m_nReprocessed{0};
    mutable std::mutex m_mutex;
};

}  // namespace mvltest
