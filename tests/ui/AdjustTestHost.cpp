#include "ui/AdjustTestHost.h"

#include "imaging/RecordAdjustments.h"

namespace mvltest {

CAdjustTestHost::CAdjustTestHost() : m_fx(CImgEffectBinding::OwnModuleDirectory().c_str(), L"mvl")
{
    m_rec = DefaultScanParam(SProductFlags{});
    m_rec.nGamma = 10;  // nothing else changes the page
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            rgb.insert(rgb.end(), {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128});
    SetPage(std::move(rgb), 64, 64);
}

void CAdjustTestHost::SetPage(std::vector<uint8_t> rgb, int nWidth, int nHeight)
{
    std::lock_guard lock(m_mutex);
    m_page = std::move(rgb);
    m_shown = m_page;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
}

SAdjustHost CAdjustTestHost::Host(const SProductFlags& flags)
{
    SAdjustHost host;
    host.pRecord = &m_rec;
    host.flags = flags;
    host.sEffectPrefix = L"mvl";
    host.fnMarkCustom = [this] { ++m_nMarked; };
    host.fnReprocessPreview = [this] { Reprocess(); };
    host.fnPreviewImage = [this] {
        if (m_bNoPreview)
            return SAdjustPreview{};
        return SAdjustPreview{m_page.data(), m_nWidth, m_nHeight, 3 * m_nWidth, 24};
    };
    return host;
}

void CAdjustTestHost::Reprocess()
{
    {
        std::lock_guard lock(m_mutex);
        m_shown = m_page;
        _ImageDesc desc{m_nHeight, 3 * m_nWidth, m_nWidth, 24, 0, 0};
        ApplyImageEffects(m_fx, desc, m_shown.data(), AdjustmentsFromRecord(m_rec), false);
    }
    ++m_nReprocessed;
}

double CAdjustTestHost::Mean(const std::vector<uint8_t>& rgb, int c)
{
    double dSum = 0;
    for (size_t i = static_cast<size_t>(c); i < rgb.size(); i += 3)
        dSum += rgb[i];
    return rgb.empty() ? 0 : dSum / static_cast<double>(rgb.size() / 3);
}

double CAdjustTestHost::PageMean(int c) const
{
    std::lock_guard lock(m_mutex);
    return Mean(m_page, c);
}

double CAdjustTestHost::ShownMean(int c) const
{
    std::lock_guard lock(m_mutex);
    return Mean(m_shown, c);
}

}  // namespace mvltest
