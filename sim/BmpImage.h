// A picture read from an uncompressed BMP file (24-bit, or 8-bit and 1-bit with a palette),
// kept as top-down red-green-blue rows. The simulated scanner can use it as the page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CBmpImage {
public:
    // Null when the file is missing, cut short or in a form not read here.
    static std::shared_ptr<CBmpImage> Load(const std::string& sPath);
    static std::shared_ptr<CBmpImage> FromBytes(const std::vector<uint8_t>& bytes);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // Resolution stored in the file, 0 when it gives none.
    int Dpi() const { return m_nDpi; }
    // Three bytes (red, green, blue); coordinates are clamped into the picture.
    const uint8_t* Pixel(int x, int y) const;

private:
    int m_nWidth = 0, m_nHeight = 0, m_nDpi = 0;
    std::vector<uint8_t> m_rgb;
};
