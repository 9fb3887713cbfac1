#pragma once
// Dynamic time warping of two feature sequences: the symmetric step pattern
// (a diagonal step costs twice the local distance, a horizontal or vertical
// step once, the first cell twice), so every path weighs na + nb in all and
// the result is the cheapest path's cost divided by na + nb. The path stays
// within a band around the line from the first to the last cell (a
// Sakoe-Chiba band that follows the two lengths' ratio), and sequences whose
// lengths differ by more than a factor of kDtwMaxLengthRatio are not compared.
// The local distance is the Euclidean distance of two frames.

#include <cstdint>
#include <limits>
#include <vector>

namespace larkspur {

inline constexpr float kDtwNoPath = std::numeric_limits<float>::infinity();
inline constexpr float kDtwMaxLengthRatio = 2.0f;

// The band's half width in cells, for sequences of na and nb frames.
int DtwBandRadius(int na, int nb);
// Whether cell (i, j) (0-based) lies in the band.
bool DtwInBand(int i, int j, int na, int nb, int radius);

// Two rows of cumulative costs, sized once for the longest sequences.
class DtwWorkspace {
public:
    explicit DtwWorkspace(int maxFrames);
    int maxFrames() const { return m_maxFrames; }

private:
    friend float DtwDistance(const float*, int, const float*, int, int, float, DtwWorkspace&);
    int m_maxFrames;
    std::vector<float> m_previous;
    std::vector<float> m_current;
};

// a and b hold na and nb frames of dims values each. Returns the normalised
// path cost, or kDtwNoPath when there is no path, a sequence is empty or longer
// than the workspace, or the result would exceed giveUpAbove (pass kDtwNoPath
// for no limit); it stops as soon as that is certain. Allocates nothing.
float DtwDistance(const float* a, int na, const float* b, int nb, int dims, float giveUpAbove,
                  DtwWorkspace& workspace);

// Euclidean distance of two frames.
float FrameDistance(const float* x, const float* y, int dims);

} // namespace larkspur
