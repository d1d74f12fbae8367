#pragma once

#include "platform/memory_stream.h"
#include "skin/bitmap.h"
#include "skin/skin_blocks.h"

#include <cstdint>
#include <optional>

namespace launcher {

class Region;
class TImageButton;
class TTextureGauge;
class TGradientProgressBar;

// One member of a window skin is stored as one framed member block whose bytes
// are the member's sub-blocks in a fixed order. LoadFromStream2 reads one
// member block at the stream's position: an empty block leaves the member as
// it is; otherwise the block is cut out by its length first, so the stream
// ends up right after it whatever the sub-blocks hold. A block that ends
// before all its sub-blocks throws platform::StreamReadError. An image that
// does not decode throws InvalidImageError, or, with `skipped` given, is
// recorded there and leaves that bitmap as it was.

// The window background and, for the main window, its outline.
class TqorBackGround {
public:
    Bitmap image;
    // Raw bytes of a Windows RGNDATA region description; emptied by every
    // non-empty background block.
    platform::MemoryStream region;

    void LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped = nullptr);
    // The outline made from `region` (skin_apply.cpp); none when the data do
    // not describe a region.
    std::optional<Region> GetRegion() const;
};

class TqorButton {
public:
    Bitmap common;
    Bitmap over;
    Bitmap disabled;
    Bitmap down;
    Bitmap up;
    StringList parameters;
    // Read and kept; nothing uses it.
    StringList btn_script;
    // Declared by the skin model but never filled: buttons take their place
    // from `parameters`.
    int left = 0;
    int top = 0;

    void LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped = nullptr);
    // Applies the skin to the button (skin_apply.cpp).
    void SaveToForm(TImageButton& target) const;
};

// The fixed settings records below are part of the skin model but nothing
// fills them; controls are always placed from the parameter lists.
struct TqorGaugeData {
    int left = 0, top = 0, width = 0, height = 0;
};
struct TqorWebPanelData {
    int left = 0, top = 0, width = 0, height = 0;
};
struct TqorLangFolderData {
    int left = 0, top = 0, width = 0, height = 0;
    int FColor = 0, BColor = 0, FSize = 0;
};
struct TqorProgressData {
    int left = 0, top = 0, width = 0, height = 0;
    int CForeFace = 0, CForeGrad = 0, CBackFace = 0, CBackGrad = 0, CBorder = 0, Style = 0;
};
struct TqorLabelData {
    int left = 0, top = 0, Color = 0, size = 0;
    bool Bold = false, Italic = false, Underline = false;
};

class TqorGauge {
public:
    Bitmap FTex; // foreground texture
    Bitmap BTex; // background texture
    StringList parameters;
    TqorGaugeData data;

    void LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped = nullptr);
    // Applies the skin to the gauge (skin_apply.cpp).
    void SaveToForm(TTextureGauge& target) const;
};

// Members whose block holds only a parameter list.
class TqorParametersOnly {
public:
    StringList parameters;

    // Holds no image; `skipped` is taken so that every member reads alike.
    void LoadFromStream2(platform::MemoryStream& stream, SkippedImages* skipped = nullptr);
};

class TqorProgress : public TqorParametersOnly {
public:
    TqorProgressData data;

    // Applies the skin to the progress bar (skin_apply.cpp).
    void SaveToForm(TGradientProgressBar& target) const;
};

class TqorLabel : public TqorParametersOnly {
public:
    TqorLabelData data;
};

class TqorWebPanel : public TqorParametersOnly {
public:
    TqorWebPanelData data;
};

class TqorLangFolder : public TqorParametersOnly {
public:
    TqorLangFolderData data;
};

} // namespace launcher
