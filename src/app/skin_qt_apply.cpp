#include "app/skin_qt_apply.h"

#include "app/skin_label.h"
#include "skin/bitmap.h"
#include "skin/skin_apply.h"
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
    const LabelSkin values = LabelSkinValues(skin.parameters);
    target.move(values.Left, values.Top);
    target.resize(std::max(values.Width, 0), std::max(values.Height, 0));
    target.setVisible(values.Visible);
    target.setEnabled(values.Enabled);
    target.SetSkinBox(target.geometry());
    QFont font = target.font();
    if (values.FontPixels)
        font.setPixelSize(*values.FontPixels);
    font.setBold(values.Bold);
    font.setItalic(values.Italic);
    font.setUnderline(values.Underline);
    target.setFont(font);
    if (values.ColorArgb)
        target.SetFontColor(QColor::fromRgb(*values.ColorArgb));
    target.FitToText();
}

} // namespace launcher::app
