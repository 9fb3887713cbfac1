#include "engine/DtwAlignment.h"

#include <algorithm>
#include <cmath>

namespace larkspur {

namespace {

// Smallest half width, and the share of the longer sequence it grows to.
constexpr int kMinRadius = 3;
constexpr float kRadiusShare = 0.2f;

// The band's column range in row i.
void bandColumns(int i, int na, int nb, int radius, int& first, int& last)
{
    const double centre = na == 1 ? 0.0 : static_cast<double>(i) * (nb - 1) / (na - 1);
    first = std::max(0, static_cast<int>(std::ceil(centre - radius)));
    last = std::min(nb - 1, static_cast<int>(std::floor(centre + radius)));
}

} // namespace

int DtwBandRadius(int na, int nb)
{
    const int longer = std::max(na, nb);
    return std::max(kMinRadius, static_cast<int>(std::lround(kRadiusShare * static_cast<float>(longer))));
}

bool DtwInBand(int i, int j, int na, int nb, int radius)
{
    int first = 0, last = 0;
    bandColumns(i, na, nb, radius, first, last);
    return j >= first && j <= last;
}

DtwWorkspace::DtwWorkspace(int maxFrames)
    : m_maxFrames(maxFrames)
    , m_previous(static_cast<std::size_t>(maxFrames), kDtwNoPath)
    , m_current(static_cast<std::size_t>(maxFrames), kDtwNoPath)
{
}

namespace {

// The same sum with the length known to the compiler, so it can unroll and
// vectorise it.
// Eight partial sums, added in a fixed order.
template <int Dims>
float laneDistance(const float* x, const float* y)
{
    static_assert(Dims % 8 == 0);
    float lanes[8] = {};
    for (int k = 0; k < Dims; k += 8) {
        for (int l = 0; l < 8; ++l) {
            const float d = x[k + l] - y[k + l];
            lanes[l] += d * d;
        }
    }
    return std::sqrt(((lanes[0] + lanes[4]) + (lanes[1] + lanes[5])) + ((lanes[2] + lanes[6]) + (lanes[3] + lanes[7])));
}

} // namespace

float FrameDistance(const float* x, const float* y, int dims)
{
    if (dims == 32)
        return laneDistance<32>(x, y);
    float sum = 0.0f;
    for (int k = 0; k < dims; ++k) {
        const float d = x[k] - y[k];
        sum += d * d;
    }
    return std::sqrt(sum);
}

float DtwDistance(const float* a, int na, const float* b, int nb, int dims, float giveUpAbove,
                  DtwWorkspace& workspace)
{
    if (na <= 0 || nb <= 0 || na > workspace.m_maxFrames || nb > workspace.m_maxFrames)
        return kDtwNoPath;
    const int shorter = std::min(na, nb);
    const int longer = std::max(na, nb);
    if (static_cast<float>(longer) > kDtwMaxLengthRatio * static_cast<float>(shorter))
        return kDtwNoPath;

    const int radius = DtwBandRadius(na, nb);
    const float total = static_cast<float>(na + nb);
    const float limit = giveUpAbove == kDtwNoPath ? kDtwNoPath : giveUpAbove * total;
    float* previous = workspace.m_previous.data();
    float* current = workspace.m_current.data();

    int prevFirst = 0, prevLast = -1;
    for (int i = 0; i < na; ++i) {
        int first = 0, last = 0;
        bandColumns(i, na, nb, radius, first, last);
        const float* x = a + static_cast<std::size_t>(i) * dims;
        float rowBest = kDtwNoPath;
        for (int j = first; j <= last; ++j) {
            const float d = FrameDistance(x, b + static_cast<std::size_t>(j) * dims, dims);
            float best;
            if (i == 0 && j == 0) {
                best = 2.0f * d;
            } else {
                best = kDtwNoPath;
                const bool upInBand = i > 0 && j >= prevFirst && j <= prevLast;
                const bool diagonalInBand = i > 0 && j > 0 && j - 1 >= prevFirst && j - 1 <= prevLast;
                if (j > first)
                    best = std::min(best, current[j - 1] + d);
                if (upInBand)
                    best = std::min(best, previous[j] + d);
                if (diagonalInBand)
                    best = std::min(best, previous[j - 1] + 2.0f * d);
            }
            current[j] = best;
            rowBest = std::min(rowBest, best);
        }
        if (rowBest == kDtwNoPath || rowBest > limit)
            return kDtwNoPath;  // costs only grow along a path
        std::swap(previous, current);
        prevFirst = first;
        prevLast = last;
    }
    if (prevLast != nb - 1)
        return kDtwNoPath;
    const float cost = previous[nb - 1];
    if (cost == kDtwNoPath || cost > limit)
        return kDtwNoPath;
    return cost / total;
}

} // namespace larkspur
