// Small images in the spool layout for the effect tests.
#pragma once

#include "imgeffect/ImgEffectApi.h"

#include <cstdint>
#include <random>
#include <vector>

struct CTestImage {
    _ImageDesc m_desc{};
    std::vector<uint8_t> m_data;

    CTestImage(int nWidth, int nRows, int nBits) : CTestImage(nWidth, nRows, nBits, 0, 0) {}
    // Rows nPadding bytes longer than the pixels need.
    static CTestImage Padded(int nWidth, int nRows, int nBits, int nPadding)
    {
        return CTestImage(nWidth, nRows, nBits, nPadding, 0);
    }
    CTestImage(int nWidth, int nRows, int nBits, std::vector<uint8_t> data) : CTestImage(nWidth, nRows, nBits)
    {
        m_data = std::move(data);
    }
    CTestImage(int nWidth, int nRows, int nBits, int nPadding, int)
    {
        m_desc = {nRows, (nWidth * nBits + 7) / 8 + nPadding, nWidth, nBits, 0, 0};
        m_data.assign(static_cast<size_t>(m_desc.m_nRows) * m_desc.m_nBytesPerRow, 0);
    }

    uint8_t* Row(int y) { return m_data.data() + static_cast<size_t>(y) * m_desc.m_nBytesPerRow; }
    uint8_t* Data() { return m_data.data(); }
    _ImageDesc* Desc() { return &m_desc; }

    // Random pixels; for 1 bit per pixel the unused low bits of each row stay 0.
    void FillRandom(uint32_t nSeed)
    {
        std::mt19937 rng(nSeed);
        for (auto& b : m_data)
            b = static_cast<uint8_t>(rng());
        if (m_desc.m_nBitsPerPixel == 1 && m_desc.m_nWidth % 8 != 0) {
            const uint8_t nMask = static_cast<uint8_t>(0xFF << (8 - m_desc.m_nWidth % 8));
            for (int y = 0; y < m_desc.m_nRows; ++y)
                Row(y)[(m_desc.m_nWidth - 1) / 8] &= nMask;
        }
    }
};
