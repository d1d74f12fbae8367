#include "front/readable_colors.h"

#include <algorithm>
#include <cmath>

namespace launcher::front {
namespace {

double linear(int channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(Rgb colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

} // namespace

double ContrastRatio(Rgb first, Rgb second) {
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Rgb ReadableTextColor(Rgb background, Rgb wanted) {
    if (ContrastRatio(background, wanted) >= kReadableContrast)
        return wanted;
    const Rgb black{0, 0, 0};
    const Rgb white{255, 255, 255};
    return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

} // namespace launcher::front
