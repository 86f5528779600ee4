#pragma once
// The linear axes of the picture: the range of the data widened to round
// values, the ticks inside it with their labels, and the map onto pixels.
// Any finite range is drawn, from one unit in the last place to the whole
// range of doubles, subnormals included.
#include <string>
#include <vector>

namespace plot {

struct Tick {
    double value;
    std::string label;  // UTF-8, with U+2212 as the minus sign
};

struct Axis {
    double low, high;  // low < high, both finite
    std::vector<Tick> ticks;
};

// Most ticks on one axis.
inline constexpr int most_ticks = 24;

// An axis over the finite values [low, high] with about `target` steps.
// Steps are 1, 2 or 5 times a power of ten, labelled in decimal, while such
// a step is many units in the last place of the values; below that, steps
// are 1, 2, 5, 10 or 20 units in the last place, labelled with the shortest
// text of each value. Whole-number axes take steps of 1 at least.
Axis linear_axis(double low, double high, int target, bool whole_numbers);

// Maps a value of [low, high] onto [from, to] (pixels), also when high - low
// is beyond the largest double.
struct Scale {
    double low, high, from, to;
    double operator()(double value) const;
};

}  // namespace plot
