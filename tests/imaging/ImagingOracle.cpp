#include "imaging/ImagingOracle.h"

#include "imaging/AutoCrop.h"
#include "imaging/Rotate.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace oracle {

void RgbToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    for (int32_t y = 0; y < nHeight; ++y)
        for (int32_t x = 0; x < nWidth; ++x) {
            const uint8_t* p = pSrc + (size_t(y) * nWidth + x) * 3;
            uint8_t v = p[0];
            if (p[1] < v) v = p[1];
            if (p[2] < v) v = p[2];
            pDst[size_t(y) * nWidth + x] = v;
        }
}

void BwToGray(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    const size_t nRow = (size_t(nWidth) + 7) / 8;
    for (int32_t y = 0; y < nHeight; ++y)
        for (int32_t x = 0; x < nWidth; ++x)
            pDst[size_t(y) * nWidth + x] = (pSrc[y * nRow + x / 8] >> (7 - x % 8)) & 1;
}

void GrayToBW(const uint8_t* pSrc, uint8_t* pDst, int32_t nWidth, int32_t nHeight)
{
    size_t nOut = 0;
    for (int32_t y = 0; y < nHeight; ++y) {
        uint8_t acc = 0;
        for (int32_t x = 0; x < nWidth; ++x) {
            acc = uint8_t(acc | (pSrc[size_t(y) * nWidth + x] << (7 - x % 8)));
            if (x % 8 == 7) {
                pDst[nOut++] = acc;
                acc = 0;
            }
        }
        if (nWidth % 8 != 0) {
            pDst[nOut++] = acc;
            acc = 0;
        }
    }
}

// ---------------------------------------------------------------- crop

int AutoCrop(const uint8_t* pSrc, uint8_t* pDst, CAutoCropParam* pParam)
{
    if (!pParam || !pSrc || !pDst || pParam->nResolution <= 0 || pParam->nPixelType < 0 || pParam->nPixelType > 2 ||
        pParam->nWidth <= 0 || pParam->nHeight <= 0)
        return 0;
    const int32_t W = pParam->nWidth, H = pParam->nHeight, type = pParam->nPixelType;
    int32_t T = 0, N = 0, M1 = 0, M2 = 0;
    switch (pParam->nResolution) {
    case 75: T = 220; N = 15; break;
    case 150: T = 200; N = 15; break;
    case 300: T = 150; N = 30; M1 = 400; M2 = 50; break;
    case 600: T = 150; N = 160; M1 = 400; M2 = 80; break;
    case 1200: T = 150; N = 160; M1 = 400; M2 = 80; break;
    default: break;
    }
    std::vector<uint8_t> work;
    const uint8_t* G = pSrc;
    if (type != 1) {
        work.resize(size_t(W) * H);
        if (type == 0) BwToGray(pSrc, work.data(), W, H);
        else RgbToGray(pSrc, work.data(), W, H);
        G = work.data();
    }
    auto at = [&](int32_t x, int32_t y) { return G[size_t(y) * W + x]; };

    int32_t firstRow = H, lastRow = 0;
    for (int32_t y = 50; y < H - 50; ++y) {
        int32_t count = 0;
        for (int32_t x = 50; x < W - 50; ++x)
            for (int32_t k = -15; k <= 15; ++k)
                if (at(x, y + k) <= T) { ++count; break; }
        if (count >= N) {
            if (y < firstRow) firstRow = y;
            if (y > lastRow) lastRow = y;
        }
    }
    int32_t firstCol = W, lastCol = 0;
    for (int32_t x = 50; x < W - 50; ++x) {
        int32_t count = 0;
        for (int32_t y = 50; y < H - 50; ++y)
            for (int32_t k = -15; k <= 15; ++k)
                if (at(x + k, y) <= T) { ++count; break; }
        if (count >= N) {
            if (x < firstCol) firstCol = x;
            if (x > lastCol) lastCol = x;
        }
    }
    int32_t top = firstRow - M1 < 1 ? firstRow : firstRow - M1;
    int32_t bottom = lastRow + M1 >= H ? lastRow : lastRow + M1;
    int32_t left = firstCol - M1 < 1 ? firstCol : firstCol - M1;
    int32_t right = lastCol + M1 >= W ? lastCol : lastCol + M1;

    int32_t newTop = top, newBottom = bottom;
    for (int32_t y = top; y < top + M1; ++y) {
        if (y < 0 || y >= H) continue;  // the widened band can reach past the page
        int32_t count = 0;
        for (int32_t x = left; x < right; ++x) count += at(x, y) <= 250;
        if (count < N) ++newTop;
    }
    for (int32_t y = bottom; y > bottom - M1; --y) {
        if (y < 0 || y >= H) continue;
        int32_t count = 0;
        for (int32_t x = left; x < right; ++x) count += at(x, y) <= 250;
        if (count < N) --newBottom;
    }
    top = newTop;
    bottom = newBottom;
    int32_t newLeft = left, newRight = right;
    for (int32_t x = left; x < left + M1; ++x) {
        if (x < 0 || x >= W) continue;
        int32_t count = 0;
        for (int32_t y = top; y < bottom; ++y)
            if (y >= 0 && y < H) count += at(x, y) <= 250;
        if (count < N) ++newLeft;
    }
    for (int32_t x = right; x > right - M1; --x) {
        if (x < 0 || x >= W) continue;
        int32_t count = 0;
        for (int32_t y = top; y < bottom; ++y)
            if (y >= 0 && y < H) count += at(x, y) <= 250;
        if (count < N) --newRight;
    }
    left = newLeft;
    right = newRight;
    if (top - M2 >= 1) top -= M2;
    if (bottom + M2 < H) bottom += M2;
    if (left - M2 >= 1) left -= M2;
    if (right + M2 < W) right += M2;
    if (firstRow == H || firstCol == W || top == H || left == W || bottom == 0 || right == 0 || bottom <= top || right <= left)
        return 0;

    size_t nOut = 0;
    for (int32_t y = top; y < bottom; ++y) {
        if (type == 1) {
            for (int32_t x = left; x < right; ++x) pDst[nOut++] = pSrc[size_t(y) * W + x];
        } else if (type == 2) {
            for (int32_t b = 3 * left; b < 3 * right; ++b) pDst[nOut++] = pSrc[size_t(y) * 3 * W + b];
        } else {
            uint8_t acc = 0;
            int32_t n = 0;
            for (int32_t x = left; x < right; ++x, ++n) {
                acc = uint8_t(acc | (at(x, y) << (7 - n % 8)));
                if (n % 8 == 7) { pDst[nOut++] = acc; acc = 0; }
            }
            if (n % 8 != 0) { pDst[nOut++] = acc; acc = 0; }
        }
    }
    pParam->nOutWidth = right - left;
    pParam->nOutHeight = bottom - top;
    return 1;
}

// ---------------------------------------------------------------- deskew

std::vector<int32_t> CosTable()
{
    std::vector<int32_t> t(360);
    for (int i = 0; i < 360; ++i) t[i] = int32_t(std::floor(100000.0 * std::cos((i + 1) * std::numbers::pi / 180.0)));
    return t;
}

std::vector<int32_t> SinTable()
{
    std::vector<int32_t> t(360);
    for (int i = 0; i < 360; ++i) t[i] = int32_t(std::floor(100000.0 * std::sin((i + 1) * std::numbers::pi / 180.0)));
    return t;
}

float AutoDeskew(const uint8_t* G, int32_t W, int32_t H, int32_t type, int32_t res)
{
    if (!G || W <= 100 || H <= 100 || res <= 0 || type < 0 || type > 2)
        return 0;
    auto at = [&](int32_t x, int32_t y) { return G[size_t(y) * W + x]; };
    double sum = 0;
    for (int32_t y = 50; y < H - 50; ++y) {
        int64_t rowSum = 0;
        for (int32_t x = 50; x < W - 50; ++x) rowSum += at(x, y);
        sum += double(rowSum) / (W - 100);
    }
    const double m = sum / (H - 100);
    int32_t T = 0, N = 15;
    switch (res) {
    case 75: T = m >= 20 ? int32_t(m - 50) : int32_t(m); N = 15; break;
    case 150: T = m >= 40 ? int32_t(m - 70) : int32_t(m); N = 25; break;
    case 300: T = m >= 50 ? int32_t(m - 80) : int32_t(m); N = 30; break;
    case 600: T = m >= 60 ? int32_t(m - 90) : int32_t(m); N = 60; break;
    case 1200: T = m >= 80 ? int32_t(m - 80) : int32_t(m); N = 15; break;
    default: T = 0; N = 15; break;
    }
    int64_t darkTotal = 0;
    int32_t top = H, bottom = 0;
    for (int32_t y = 50; y < H - 50; ++y) {
        int32_t count = 0;
        for (int32_t x = 50; x < W - 50; ++x)
            if (at(x, y) <= T) ++count;
        darkTotal += count;
        if (count >= N) {
            if (top == H) top = y;
            bottom = y;
        }
    }
    if (double(W) * H * 0.001 >= double(darkTotal) || top == H)
        return 0;
    (void)bottom;  // the last content row is only traced
    int64_t contentTotal = 0;
    for (int32_t x = 50; x < W - 50; ++x)
        for (int32_t y = 50; y < H - 50; ++y)
            if (at(x, y) <= T) ++contentTotal;

    std::vector<uint8_t> E(size_t(W) * H, 0), X(size_t(W) * H, 0);
    auto lv = [](int v) { return v < 129 ? v : 255; };
    for (int32_t y = 52; y < H - 52; ++y)
        for (int32_t x = 52; x < W - 52; ++x) {
            const int a = lv(at(x - 2, y - 2)), b = lv(at(x - 2, y + 2)), c = lv(at(x + 2, y - 2)),
                      d = lv(at(x + 2, y + 2));
            if (a + b + c + d < 765) E[size_t(y) * W + x] = uint8_t((std::abs(a + b - c - d) + std::abs(a + c - b - d)) / 2);
        }
    for (int32_t y = 53; y < H - 52; ++y)
        for (int32_t x = 53; x < W - 52; ++x) {
            uint8_t v = 0;
            for (int32_t dy = -2; dy <= 2; ++dy)
                for (int32_t dx = -2; dx <= 2; ++dx)
                    if (E[size_t(y + dy) * W + x + dx] > v) v = E[size_t(y + dy) * W + x + dx];
            X[size_t(y) * W + x] = v;
        }
    const int thr = type == 0 ? 1 : 145;
    std::vector<int32_t> ptY, ptX;
    for (int32_t y = 53; y < H - 52; ++y)
        for (int32_t x = 53; x < W - 52; ++x) {
            int v = 0;
            for (int32_t dx = -2; dx <= 2; ++dx) v += X[size_t(y) * W + x + dx] - X[size_t(y + 1) * W + x + dx];
            if (std::abs(v) >= thr) { ptY.push_back(y); ptX.push_back(x); }
        }

    const int32_t D = int32_t(std::sqrt(double(W) * W + double(H) * H));
    const std::vector<int32_t> cosT = CosTable(), sinT = SinTable();
    std::vector<int32_t> acc(size_t(D + 1) * 360, 0);
    int32_t maxCount = 0;
    for (size_t p = 0; p < ptY.size(); ++p)
        for (int32_t i = 0; i < 360; ++i) {
            // 64 bits: the 32-bit sum would wrap on very large pages
            const int64_t rho = (int64_t(ptY[p]) * cosT[i] + int64_t(ptX[p] + 1) * sinT[i]) / 100000;
            if (rho > 0 && rho <= D) {
                int32_t& cell = acc[size_t(rho) * 360 + i];
                ++cell;
                if (cell > maxCount) maxCount = cell;
            }
        }
    std::vector<int32_t> listed;
    if (maxCount > 0)
        for (int32_t rho = 0; rho <= D; ++rho)
            for (int32_t i = 0; i < 360; ++i)
                if (acc[size_t(rho) * 360 + i] == maxCount) listed.push_back(i);
    double angle = listed.empty() ? 0 : listed.back() + 1;
    int32_t lo = 1000, hi = -1000;
    for (int32_t s : listed) {
        const int32_t f = s >= 180 ? s - 180 : s;
        if (f < lo) lo = f;
        if (f > hi) hi = f;
    }
    if (!listed.empty() && hi - lo > 4) angle = 0;
    if (angle > 90 && angle <= 180) angle = 180 - angle;
    else if (angle > 180 && angle <= 270) angle = 270 - angle;
    else if (angle > 270 && angle <= 360) angle = angle - 360;
    if (std::fabs(angle) >= 15) angle = 0;
    if (angle > 40) {
        if (angle > 90 && angle < 130) angle -= 90;
        else if (angle > 50 && angle < 90) angle = -(90 - angle);
        else if (angle > 330 && angle < 360) angle = -(360 - angle);
    }
    if (angle == 90 || angle == 360 || double(W) * H * 0.001 >= double(contentTotal))
        return 0;
    return float(angle);
}

// ---------------------------------------------------------------- rotation

std::vector<uint8_t> NormalRotate(const uint8_t* pSrc, CRotateParam* pParam)
{
    if (!pParam || !pSrc || pParam->nWidth <= 0 || pParam->nHeight <= 0 || pParam->nPixelType < 0 ||
        pParam->nPixelType > 2 || !std::isfinite(pParam->fAngle))
        return {};
    const int32_t W = pParam->nWidth, H = pParam->nHeight, type = pParam->nPixelType;
    const float theta = pParam->fAngle * 3.1415927f / 180;
    const float c = std::cos(theta), s = std::sin(theta);
    if (!std::isfinite(c) || !std::isfinite(s))
        return {};
    const int32_t ch = type == 2 ? 3 : 1;
    std::vector<uint8_t> out(size_t(W) * H * ch);
    const int32_t h2 = H / 2, w2 = W / 2;
    for (int32_t i = 0; i < H; ++i)
        for (int32_t j = 0; j < W; ++j) {
            float r = (i - h2) * c + (w2 - j) * s + h2;
            float q = (i - h2) * s + (j - w2) * c + w2;
            int32_t r0 = int32_t(r), q0 = int32_t(q);
            float fr = r - r0, fq = q - q0;
            for (int32_t k = 0; k < ch; ++k) {
                uint8_t v;
                if (0 < r0 && r0 < H - 2 && 0 < q0 && q0 < W - 2) {
                    auto S = [&](int32_t rr, int32_t qq) { return pSrc[(size_t(rr) * W + qq) * ch + k]; };
                    float top = S(r0, q0) + fq * (S(r0, q0 + 1) - S(r0, q0));
                    float bottom = S(r0 + 1, q0) + fq * (S(r0 + 1, q0 + 1) - S(r0 + 1, q0));
                    v = uint8_t(int32_t(top + fr * (bottom - top)));
                } else {
                    v = type == 0 ? 1 : 255;
                }
                out[(size_t(i) * W + j) * ch + k] = v;
            }
        }
    if (type == 0) {
        std::vector<uint8_t> packed(((size_t(W) + 7) / 8) * H);
        GrayToBW(out.data(), packed.data(), W, H);
        out.swap(packed);
    }
    pParam->nOutWidth = W;
    pParam->nOutHeight = H;
    return out;
}

}  // namespace oracle
