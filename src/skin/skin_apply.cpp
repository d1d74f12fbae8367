#include "skin/skin_apply.h"

#include "skin/gradient_progress_bar.h"
#include "skin/image_button.h"
#include "skin/skin_params.h"
#include "skin/texture_gauge.h"

#include <cmath>

#include <climits>

namespace launcher {
namespace {

// Control properties are 32 bits wide: the low half of the 64-bit value.
std::int32_t param_int32(const StringList& parameters, std::string_view key) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(GetParamInt(parameters, key)) & 0xFFFFFFFFu));
}

TColor param_color(const StringList& parameters, std::string_view key) {
    return static_cast<TColor>(param_int32(parameters, key));
}

} // namespace

void ApplyPlacement(const StringList& parameters, SkinControl& target) {
    target.SetLeft(param_int32(parameters, "Left"));
    target.SetTop(param_int32(parameters, "Top"));
    target.SetWidth(param_int32(parameters, "Width"));
    target.SetHeight(param_int32(parameters, "Height"));
    target.SetVisible(GetParamBool(parameters, "Visible"));
    target.SetEnabled(GetParamBool(parameters, "Enabled"));
}

LabelSkin LabelSkinValues(const StringList& parameters) {
    LabelSkin label;
    label.Left = param_int32(parameters, "Left");
    label.Top = param_int32(parameters, "Top");
    label.Width = param_int32(parameters, "Width");
    label.Height = param_int32(parameters, "Height");
    label.Visible = GetParamBool(parameters, "Visible");
    label.Enabled = GetParamBool(parameters, "Enabled");
    const std::int32_t points = param_int32(parameters, "Size");
    if (points > 0)
        label.FontPixels = static_cast<int>(std::lround(points * 96.0 / 72.0));
    else if (points < 0 && points != INT32_MIN)
        label.FontPixels = -points;
    label.Bold = GetParamBool(parameters, "Bold");
    label.Italic = GetParamBool(parameters, "Italic");
    label.Underline = GetParamBool(parameters, "Underline");
    const auto color = static_cast<std::uint32_t>(param_int32(parameters, "Color"));
    if ((color & 0xFF000000u) == 0)
        label.ColorArgb = ArgbFromColorRef(color);
    return label;
}

void TqorButton::SaveToForm(TImageButton& target) const {
    target.AssignImages({common, over, disabled, down, up});
    ApplyPlacement(parameters, target);
    target.RePaint();
}

void TqorGauge::SaveToForm(TTextureGauge& target) const {
    target.SetTextureBack(BTex);
    target.SetTextureFore(FTex);
    ApplyPlacement(parameters, target);
    target.Repaint();
}

void TqorProgress::SaveToForm(TGradientProgressBar& target) const {
    ApplyPlacement(parameters, target);
    target.SetForeColorFace(param_color(parameters, "CForeFace"));
    target.SetForeColorGrad(param_color(parameters, "CForeGrad"));
    target.SetBackColorFace(param_color(parameters, "CBackFace"));
    target.SetBackColorGrad(param_color(parameters, "CBackGrad"));
    target.SetOrientation(GetParamInt(parameters, "Orientation") != 0
                              ? TProgressBarOrientation::pbVertical
                              : TProgressBarOrientation::pbHorizontal);
}

std::optional<Region> TqorBackGround::GetRegion() const {
    platform::MemoryStream data(region.bytes());
    return CreateRegionFromData(data, data.size());
}

std::optional<Region> MainWindowRegion(const TqorBackGround& background) {
    std::optional<Region> outline = background.GetRegion();
    if (outline && outline->IsEmpty())
        return std::nullopt;
    return outline;
}

std::optional<Region> SettingsWindowRegion(const Bitmap& background) {
    if (background.empty())
        return std::nullopt;
    Region outline = CreateColorKeyRegion(background, background.pixel(0, 0));
    if (outline.IsEmpty())
        return std::nullopt;
    return outline;
}

} // namespace launcher
