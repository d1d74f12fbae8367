#include "app/skin_qt_apply.h"

#include "app/skin_label.h"
#include "skin/bitmap.h"
#include "skin/skin_params.h"

#include <QWidget>
#include <cmath>
#include <cstdint>

namespace launcher::app {
namespace {

// Property values are 32 bits wide: the low half of the 64-bit number.
int low32(std::int64_t value) {
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

int param(const StringList& parameters, std::string_view key) {
    return low32(GetParamInt(parameters, key));
}

} // namespace

void ApplyWidgetSkin(const StringList& parameters, QWidget& target) {
    target.move(param(parameters, "Left"), param(parameters, "Top"));
    target.resize(std::max(param(parameters, "Width"), 0),
                  std::max(param(parameters, "Height"), 0));
    target.setVisible(GetParamBool(parameters, "Visible"));
    target.setEnabled(GetParamBool(parameters, "Enabled"));
}

void ApplyLabelSkin(const TqorLabel& skin, TLabel& target) {
    const StringList& parameters = skin.parameters;
    ApplyWidgetSkin(parameters, target);
    target.SetSkinBox(target.geometry());
    QFont font = target.font();
    // Sizes are points on a 96-dots-per-inch screen, as the skins are drawn.
    const int points = param(parameters, "Size");
    if (points > 0)
        font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    else if (points < 0) // a negative size is a height in pixels
        font.setPixelSize(-points);
    font.setBold(GetParamBool(parameters, "Bold"));
    font.setItalic(GetParamBool(parameters, "Italic"));
    font.setUnderline(GetParamBool(parameters, "Underline"));
    target.setFont(font);
    const auto color = static_cast<std::uint32_t>(param(parameters, "Color"));
    // Codes with a high byte name system colours: the label keeps its own.
    if ((color & 0xFF000000u) == 0)
        target.SetFontColor(QColor::fromRgb(ArgbFromColorRef(color)));
    target.FitToText();
}

} // namespace launcher::app
