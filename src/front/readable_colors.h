#pragma once

namespace launcher::front {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The contrast of two colours as screen readability counts it: from 1 (the
// same) to 21 (black on white).
double ContrastRatio(Rgb first, Rgb second);

// The least contrast that keeps text readable.
inline constexpr double kReadableContrast = 4.5;

// `wanted` when it reads well on `background`, else black or white,
// whichever stands out more.
Rgb ReadableTextColor(Rgb background, Rgb wanted);

// The message panel as designed, and the red its messages were meant in.
inline constexpr Rgb kMessagePanelBackground{0x5A, 0x52, 0x4A};
inline constexpr Rgb kMessagePanelWantedText{0xFF, 0x00, 0x00};

} // namespace launcher::front
