#include "skin/skin_preview.h"

#include "skin/main_window_controls.h"
#include "skin/skin_apply.h"
#include "skin/skin_layout.h"
#include "skin/skin_params.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace launcher {
namespace {

constexpr std::uint32_t kPanelOutline = argb(0x4C, 0xC3, 0xFF);
constexpr std::uint32_t kControlOutline = argb(0xFF, 0xC8, 0x4C);
constexpr std::uint32_t kTransparent = 0;

// A dashed frame (3 pixels on, 3 off) that stays readable on any background.
void draw_dashed_frame(Bitmap& canvas, const Rect& rect, std::uint32_t pen) {
    if (rect.empty())
        return;
    const auto dash = [&](std::int64_t x, std::int64_t y, std::int64_t along) {
        if (canvas.contains(x, y) && along / 3 % 2 == 0)
            canvas.set_pixel(static_cast<int>(x), static_cast<int>(y), pen);
    };
    for (std::int64_t x = rect.left; x < rect.right; ++x) {
        dash(x, rect.top, x - rect.left);
        dash(x, std::int64_t{rect.bottom} - 1, x - rect.left);
    }
    for (std::int64_t y = rect.top; y < rect.bottom; ++y) {
        dash(rect.left, y, y - rect.top);
        dash(std::int64_t{rect.right} - 1, y, y - rect.top);
    }
}

// Where a label or panel sits by its parameters. Labels size themselves to
// their text; without a size in the skin a small box marks the place.
Rect placed_rect(const StringList& parameters) {
    const auto value = [&](const char* key) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(
            GetParamInt(parameters, key), -(std::int64_t{1} << 20), std::int64_t{1} << 20));
    };
    const std::int32_t left = value("Left"), top = value("Top");
    const std::int32_t width = value("Width") > 0 ? value("Width") : 80;
    const std::int32_t height = value("Height") > 0 ? value("Height") : 14;
    return {left, top, left + width, top + height};
}

void outline_member(Bitmap& canvas, const StringList& parameters, std::uint32_t pen,
                    const PreviewOptions& options) {
    if (GetParamBool(parameters, "Visible") || options.show_hidden)
        draw_dashed_frame(canvas, placed_rect(parameters), pen);
}

// A label's outline in its font colour, opaque.
void outline_label(Bitmap& canvas, const TqorLabel& label, const PreviewOptions& options) {
    const auto color = static_cast<std::uint32_t>(GetParamInt(label.parameters, "Color"));
    outline_member(canvas, label.parameters, ArgbFromColorRef(color), options);
}

template <typename Control>
void draw_control(Bitmap& canvas, Control& control, const PreviewOptions& options) {
    if (!control.Visible() && !options.show_hidden)
        return;
    const bool hidden = !control.Visible();
    if (hidden)
        control.SetVisible(true);
    const Bitmap picture = control.Paint();
    if (!picture.empty())
        canvas.blend(picture, control.Left(), control.Top());
    if (hidden)
        control.SetVisible(false);
}

void set_button_state(TImageButton& button, PreviewButtonState state) {
    switch (state) {
    case PreviewButtonState::Normal:
        break;
    case PreviewButtonState::Over:
        button.SetEnabled(true);
        button.MouseEnter();
        break;
    case PreviewButtonState::Down:
        button.SetEnabled(true);
        button.MouseEnter();
        button.MouseDown(MouseButton::Left, ssLeft, 1, 1);
        break;
    case PreviewButtonState::Disabled:
        button.SetEnabled(false);
        break;
    }
}

void cut_outside(Bitmap& canvas, const std::optional<Region>& outline) {
    if (!outline)
        return;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (!outline->Contains(x, y))
                canvas.set_pixel(x, y, kTransparent);
}

} // namespace

Bitmap RenderMainWindowPreview(const TqorMainWindow& skin, const PreviewOptions& options) {
    const Bitmap& background = skin.BackGroundImage.image;
    if (background.empty())
        throw std::runtime_error("The skin has no main window background");
    Bitmap canvas = WithoutAlpha(background);

    outline_member(canvas, skin.WebPanel.parameters, kPanelOutline, options);
    for (const TqorLabel* label : {&skin.Text_Title, &skin.Text_Status, &skin.Text_StatusTotal,
                                   &skin.Text_LangBoxDescription})
        outline_label(canvas, *label, options);

    MainWindowControls controls;
    controls.ApplySkin(skin);
    const int percent = std::clamp(options.progress_percent, 0, 100);
    for (RangeControl* control : {static_cast<RangeControl*>(&controls.ProgressBar_OneFile),
                                  static_cast<RangeControl*>(&controls.ProgressBar_Total),
                                  static_cast<RangeControl*>(&controls.Gauge_OneFile),
                                  static_cast<RangeControl*>(&controls.Gauge_Total)})
        control->SetPosition(percent);
    draw_control(canvas, controls.ProgressBar_OneFile, options);
    draw_control(canvas, controls.ProgressBar_Total, options);
    draw_control(canvas, controls.Gauge_OneFile, options);
    draw_control(canvas, controls.Gauge_Total, options);
    for (TImageButton* button :
         {&controls.Button_StartGame, &controls.Button_Cancel, &controls.Button_CheckAllFiles,
          &controls.Button_Close, &controls.Button_Minimize, &controls.Button_Config}) {
        set_button_state(*button, options.buttons);
        draw_control(canvas, *button, options);
    }

    cut_outside(canvas, MainWindowRegion(skin.BackGroundImage));
    return canvas;
}

Bitmap RenderSettingsWindowPreview(const TqorConfigWindow& skin, const PreviewOptions& options) {
    Bitmap canvas(kSettingsWindowWidth, kSettingsWindowHeight, kTransparent);
    const Bitmap& background = skin.BackGroundImage.image;
    canvas.draw(WithoutAlpha(background), 0, 0);
    for (const TqorLabel* label : {&skin.Text_Title, &skin.Text_Language, &skin.Text_Autoclose,
                                   &skin.Text_Proxy, &skin.Text_DriveType, &skin.Text_CheckType})
        outline_label(canvas, *label, options);
    for (const TqorWebPanel* box : {&skin.Box_Language, &skin.Check_Autoclose, &skin.Box_Proxy,
                                    &skin.Box_DriveType, &skin.Box_CheckType, &skin.Button_Ok})
        outline_member(canvas, box->parameters, kControlOutline, options);
    // The outline follows the image; beyond it nothing of the window shows.
    // Without an image the window keeps its rectangle.
    cut_outside(canvas, SettingsWindowRegion(background));
    return canvas;
}

} // namespace launcher
