#include "skin/skin_check.h"

#include "platform/text.h"
#include "skin/region.h"
#include "skin/skin_apply.h"
#include "skin/skin_params.h"
#include "skin/skin_windows.h"

#include <algorithm>
#include <array>
#include <set>
#include <span>
#include <string_view>

namespace launcher {
namespace {

using namespace std::string_view_literals;

constexpr std::array kPlacementKeys{"Left"sv,   "Top"sv,     "Width"sv,
                                    "Height"sv, "Visible"sv, "Enabled"sv};
constexpr std::array kProgressKeys{"CForeFace"sv, "CForeGrad"sv, "CBackFace"sv, "CBackGrad"sv,
                                   "Orientation"sv};
constexpr std::array kLabelKeys{"Size"sv, "Color"sv, "Bold"sv, "Italic"sv, "Underline"sv};
// Kept in skins for a control the launcher does not have.
constexpr std::array kLangFolderKeys{"FColor"sv, "BColor"sv, "FSize"sv};
constexpr std::array kFlagKeys{"Visible"sv, "Enabled"sv, "Bold"sv, "Italic"sv, "Underline"sv};

enum class ParameterKind { Placement, Progress, Label, LangFolder };

std::vector<std::string_view> keys_of(ParameterKind kind) {
    std::vector<std::string_view> keys(kPlacementKeys.begin(), kPlacementKeys.end());
    const auto add = [&keys](auto extra) { keys.insert(keys.end(), extra.begin(), extra.end()); };
    if (kind == ParameterKind::Progress)
        add(kProgressKeys);
    else if (kind == ParameterKind::Label)
        add(kLabelKeys);
    else if (kind == ParameterKind::LangFolder)
        add(kLangFolderKeys);
    return keys;
}

ParameterKind kind_of(std::string_view member) {
    if (member.starts_with("Progress_"))
        return ParameterKind::Progress;
    if (member.starts_with("Text_"))
        return ParameterKind::Label;
    if (member == "Box_LangFolder")
        return ParameterKind::LangFolder;
    return ParameterKind::Placement;
}

// Letters that differ between two keys, to suggest the key that was meant.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string suggestion(std::string_view key, const std::vector<std::string_view>& keys) {
    for (const std::string_view known : keys)
        if (platform::to_lower(key) == platform::to_lower(known))
            return "; keys are matched letter case included: did you mean \"" + std::string(known) +
                   "\"?";
    for (const std::string_view known : keys)
        if (edit_distance(key, known) <= 2)
            return "; did you mean \"" + std::string(known) + "\"?";
    return {};
}

std::string key_list(const std::vector<std::string_view>& keys) {
    std::string list;
    for (const std::string_view key : keys)
        list += (list.empty() ? "" : ", ") + std::string(key);
    return list;
}

class Checker {
public:
    std::vector<SkinWarning> warnings;

    void warn(SkinWindow window, std::string_view member, std::string_view field,
              std::string text) {
        warnings.push_back({window, std::string(member), std::string(field), std::move(text)});
    }

    void parameters(SkinWindow window, std::string_view member, const StringList& lines) {
        const std::vector<std::string_view> keys = keys_of(kind_of(member));
        std::set<std::string> seen;
        for (const std::string& line : lines) {
            const std::string trimmed = platform::trim(line);
            if (trimmed.empty())
                continue;
            const auto equals = trimmed.find('=');
            if (equals == std::string::npos) {
                warn(window, member, "parameters",
                     "the line \"" + trimmed + "\" has no \"=\" and is not read");
                continue;
            }
            const std::string key = platform::trim(std::string_view(trimmed).substr(0, equals));
            const std::string value = platform::trim(std::string_view(trimmed).substr(equals + 1));
            if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
                warn(window, member, "parameters",
                     "\"" + key + "\" is not a parameter of " + std::string(member) +
                         " and is not read (it reads " + key_list(keys) + ")" +
                         suggestion(key, keys));
                continue;
            }
            if (!seen.insert(key).second) {
                warn(window, member, "parameters",
                     key + " is given more than once; the first line counts");
                continue;
            }
            check_value(window, member, key, value);
        }
    }

    void check_value(SkinWindow window, std::string_view member, const std::string& key,
                     const std::string& value) {
        const std::string line = key + "=" + value;
        if (std::find(kFlagKeys.begin(), kFlagKeys.end(), key) != kFlagKeys.end()) {
            if (value == "true" || value == "false")
                return;
            if (platform::to_lower(value) == "true")
                warn(window, member, "parameters",
                     line + " is read as false: a flag is true only when written \"true\" in "
                            "lower case");
            else
                warn(window, member, "parameters", line + " is read as false: write true or false");
            return;
        }
        if (!TryParseParamInt(value))
            warn(window, member, "parameters",
                 line + " is not a number and is read as 0 (numbers are decimal, or "
                        "hexadecimal after $ or 0x)");
    }

    // A control's place against its window's size; a control without a size
    // counts by its top-left corner.
    void inside(SkinWindow window, std::string_view member, const Rect& place, std::int32_t width,
                std::int32_t height) {
        const Rect area{0, 0, width, height};
        bool apart = false;
        if (place.empty()) {
            if (area.contains(place.left, place.top))
                return;
            apart = true;
        } else {
            if (place.intersect(area) == place)
                return;
            apart = place.intersect(area).empty();
        }
        warn(window, member, "parameters",
             std::string(member) + " at " + std::to_string(place.left) + ", " +
                 std::to_string(place.top) + " (" + std::to_string(place.width()) + " x " +
                 std::to_string(place.height()) + ")" +
                 (apart ? " lies outside" : " reaches outside") + " the " + std::to_string(width) +
                 " x " + std::to_string(height) + " window");
    }

    void unreadable(SkinWindow window, const SkippedImages& skipped) {
        for (const std::string& entry : skipped.Entries())
            warn(window, {}, {}, "an image does not decode and is left out: " + entry);
    }
};

std::int32_t param32(const StringList& parameters, std::string_view key) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        GetParamInt(parameters, key), -(std::int64_t{1} << 30), std::int64_t{1} << 30));
}

// Where a control sits by its parameters; `image` gives a button its size.
Rect placed(const StringList& parameters, const Bitmap* image = nullptr) {
    const std::int32_t left = param32(parameters, "Left");
    const std::int32_t top = param32(parameters, "Top");
    std::int32_t width = std::max(param32(parameters, "Width"), 0);
    std::int32_t height = std::max(param32(parameters, "Height"), 0);
    if (image && !image->empty()) {
        width = image->width();
        height = image->height();
    }
    return {left, top, left + width, top + height};
}

void check_outline(Checker& check, const TqorBackGround& background) {
    const platform::Bytes& bytes = background.region.bytes();
    if (bytes.empty())
        return;
    if (const auto problem = RgnDataProblem(bytes)) {
        check.warn(SkinWindow::Main, "BackGroundImage", "region",
                   "the outline is not region data (" + *problem +
                       "); the window stays rectangular");
        return;
    }
    const Region outline = *RegionFromRgnData(bytes);
    if (outline.IsEmpty()) {
        check.warn(SkinWindow::Main, "BackGroundImage", "region",
                   "the outline holds no pixel; the window stays rectangular");
        return;
    }
    const Bitmap& image = background.image;
    const Rect bounds = outline.Bounds();
    if (!image.empty() && (bounds.right != image.width() || bounds.bottom != image.height()))
        check.warn(SkinWindow::Main, "BackGroundImage", "region",
                   "the outline spans " + std::to_string(bounds.right) + " x " +
                       std::to_string(bounds.bottom) + " pixels, but the background is " +
                       std::to_string(image.width()) + " x " + std::to_string(image.height()) +
                       (bounds.right > image.width() || bounds.bottom > image.height()
                            ? ": the window is cut to the background's size"
                            : ": part of the background is never shown"));
}

std::string where(const Rect& place) {
    return std::to_string(place.left) + ", " + std::to_string(place.top) + " (" +
           std::to_string(place.width()) + " x " + std::to_string(place.height()) + ")";
}

// A control as the window shows it: its name and where it sits.
struct ShownControl {
    std::string_view name;
    Rect place;
    const TqorButton* button = nullptr; // for buttons
};

// Buttons that share pixels: where they meet, only the one on top takes the
// click, and which one that is depends on the window's toolkit.
void check_overlapping_buttons(Checker& check, const std::vector<ShownControl>& buttons) {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        for (std::size_t j = i + 1; j < buttons.size(); ++j)
            if (!buttons[i].place.intersect(buttons[j].place).empty())
                check.warn(SkinWindow::Main, buttons[j].name, "parameters",
                           std::string(buttons[j].name) + " at " + where(buttons[j].place) +
                               " overlaps " + std::string(buttons[i].name) + " at " +
                               where(buttons[i].place) +
                               ": where they meet only one of them can be clicked");
}

// A button takes the size of the image it shows, so an image larger than the
// normal one grows the button while it shows: past the window's edge (cut
// off there) or over other controls (hiding them, and taking their clicks).
void check_state_images(Checker& check, std::string_view name, const TqorButton& button,
                        const Rect& normal, const std::vector<ShownControl>& controls,
                        const Rect& window_area) {
    struct State {
        std::string_view field;
        std::string_view shown;
        const Bitmap& image;
    };
    const State states[] = {{"over", "hover image", button.over},
                            {"down", "pressed image", button.down},
                            {"up", "released image", button.up},
                            {"disabled", "disabled image", button.disabled}};
    for (const State& state : states) {
        if (state.image.empty())
            continue;
        const Rect place{normal.left, normal.top, normal.left + state.image.width(),
                         normal.top + state.image.height()};
        const std::string image = "the " + std::string(state.shown) + " (" +
                                  std::to_string(state.image.width()) + " x " +
                                  std::to_string(state.image.height()) + ")";
        // A normal image already outside is warned of as the button's place.
        if (place.intersect(window_area) != place && normal.intersect(window_area) == normal)
            check.warn(SkinWindow::Main, name, state.field,
                       image + " of " + std::string(name) + " at " + std::to_string(place.left) +
                           ", " + std::to_string(place.top) + " reaches outside the " +
                           std::to_string(window_area.width()) + " x " +
                           std::to_string(window_area.height()) + " window and is cut off there");
        for (const ShownControl& other : controls)
            if (other.name != name && !place.intersect(other.place).empty() &&
                normal.intersect(other.place).empty())
                check.warn(SkinWindow::Main, name, state.field,
                           image + " of " + std::string(name) + " covers " +
                               std::string(other.name) + " at " + where(other.place) +
                               " while it shows");
    }
}

void check_main(Checker& check, const TqorMainWindow& skin) {
    const SkinWindow window = SkinWindow::Main;
    const Bitmap& background = skin.BackGroundImage.image;
    if (background.empty())
        check.warn(window, "BackGroundImage", "image",
                   "the main window has no background image; the launcher stops with \"Sorry! "
                   "Not found the config\"");
    else if (background.width() > kMaxMainWindowWidth || background.height() > kMaxMainWindowHeight)
        check.warn(window, "BackGroundImage", "image",
                   "the main window is " + std::to_string(background.width()) + " x " +
                       std::to_string(background.height()) + ", larger than " +
                       std::to_string(kMaxMainWindowWidth) + " x " +
                       std::to_string(kMaxMainWindowHeight) +
                       ": it does not fit on smaller screens");
    check_outline(check, skin.BackGroundImage);

    struct Button {
        std::string_view name;
        const TqorButton& skin;
    };
    const Button buttons[] = {
        {"Button_StartGame", skin.Button_StartGame},         {"Button_Cancel", skin.Button_Cancel},
        {"Button_CheckAllFiles", skin.Button_CheckAllFiles}, {"Button_Close", skin.Button_Close},
        {"Button_Minimize", skin.Button_Minimize},           {"Button_Config", skin.Button_Config}};
    struct Placed {
        std::string_view name;
        const StringList& parameters;
    };
    const Placed others[] = {{"Progress_OneFile", skin.Progress_OneFile.parameters},
                             {"Progress_Total", skin.Progress_Total.parameters},
                             {"Text_Title", skin.Text_Title.parameters},
                             {"Text_Status", skin.Text_Status.parameters},
                             {"Text_StatusTotal", skin.Text_StatusTotal.parameters},
                             {"Box_LangFolder", skin.Box_LangFolder.parameters},
                             {"Text_LangBoxDescription", skin.Text_LangBoxDescription.parameters},
                             {"Gauge_OneFile", skin.Gauge_OneFile.parameters},
                             {"Gauge_Total", skin.Gauge_Total.parameters},
                             {"WebPanel", skin.WebPanel.parameters}};

    for (const Button& button : buttons)
        check.parameters(window, button.name, button.skin.parameters);
    for (const Placed& member : others)
        check.parameters(window, member.name, member.parameters);
    if (background.empty())
        return;
    std::vector<ShownControl> shown_buttons;
    for (const Button& button : buttons) {
        // The full-check button is shown by the update whatever the skin says.
        const bool shown = GetParamBool(button.skin.parameters, "Visible") ||
                           button.name == "Button_CheckAllFiles";
        if (shown && !button.skin.parameters.empty()) {
            const Rect place = placed(button.skin.parameters, &button.skin.common);
            check.inside(window, button.name, place, background.width(), background.height());
            shown_buttons.push_back({button.name, place, &button.skin});
        }
    }
    std::vector<ShownControl> shown = shown_buttons;
    for (const Placed& member : others)
        if (member.name != "Box_LangFolder" && GetParamBool(member.parameters, "Visible")) {
            const Rect place = placed(member.parameters);
            check.inside(window, member.name, place, background.width(), background.height());
            shown.push_back({member.name, place});
        }
    check_overlapping_buttons(check, shown_buttons);
    const Rect window_area{0, 0, background.width(), background.height()};
    for (const ShownControl& button : shown_buttons)
        check_state_images(check, button.name, *button.button, button.place, shown, window_area);
    // The main window has no language-folder box (Box_LangFolder is read and
    // applied to nothing), so its caption would stand beside nothing.
    if (GetParamBool(skin.Text_LangBoxDescription.parameters, "Visible"))
        check.warn(window, "Text_LangBoxDescription", "parameters",
                   "Text_LangBoxDescription is visible, but it captions a language-folder box "
                   "the main window does not have: its text (language string 25) stands beside "
                   "nothing; write Visible=false");
}

void check_settings(Checker& check, const TqorConfigWindow& skin) {
    const SkinWindow window = SkinWindow::Settings;
    const Bitmap& background = skin.BackGroundImage.image;
    if (background.width() > kSettingsWindowWidth || background.height() > kSettingsWindowHeight)
        check.warn(window, "BackGroundImage", "image",
                   "the settings background is " + std::to_string(background.width()) + " x " +
                       std::to_string(background.height()) + ", but the settings window is " +
                       std::to_string(kSettingsWindowWidth) + " x " +
                       std::to_string(kSettingsWindowHeight) + " and shows only its top-left part");
    struct Placed {
        std::string_view name;
        const StringList& parameters;
    };
    const Placed members[] = {{"Text_Title", skin.Text_Title.parameters},
                              {"Text_Language", skin.Text_Language.parameters},
                              {"Text_Autoclose", skin.Text_Autoclose.parameters},
                              {"Text_Proxy", skin.Text_Proxy.parameters},
                              {"Text_DriveType", skin.Text_DriveType.parameters},
                              {"Text_CheckType", skin.Text_CheckType.parameters},
                              {"Box_Language", skin.Box_Language.parameters},
                              {"Check_Autoclose", skin.Check_Autoclose.parameters},
                              {"Box_Proxy", skin.Box_Proxy.parameters},
                              {"Box_DriveType", skin.Box_DriveType.parameters},
                              {"Box_CheckType", skin.Box_CheckType.parameters},
                              {"Button_Ok", skin.Button_Ok.parameters}};
    for (const Placed& member : members) {
        check.parameters(window, member.name, member.parameters);
        if (GetParamBool(member.parameters, "Visible"))
            check.inside(window, member.name, placed(member.parameters), kSettingsWindowWidth,
                         kSettingsWindowHeight);
    }
    // Each caption names the control beside it; shown alone it names nothing.
    const struct {
        std::string_view caption;
        const StringList& caption_parameters;
        std::string_view control;
        const StringList& control_parameters;
    } captions[] = {
        {"Text_Language", skin.Text_Language.parameters, "Box_Language",
         skin.Box_Language.parameters},
        {"Text_Autoclose", skin.Text_Autoclose.parameters, "Check_Autoclose",
         skin.Check_Autoclose.parameters},
        {"Text_Proxy", skin.Text_Proxy.parameters, "Box_Proxy", skin.Box_Proxy.parameters},
        {"Text_DriveType", skin.Text_DriveType.parameters, "Box_DriveType",
         skin.Box_DriveType.parameters},
        {"Text_CheckType", skin.Text_CheckType.parameters, "Box_CheckType",
         skin.Box_CheckType.parameters},
    };
    for (const auto& pair : captions)
        if (GetParamBool(pair.caption_parameters, "Visible") &&
            !GetParamBool(pair.control_parameters, "Visible"))
            check.warn(window, pair.caption, "parameters",
                       std::string(pair.caption) + " is visible, but its control " +
                           std::string(pair.control) +
                           " is not: the caption stands beside nothing");
    if (!background.empty() && !SettingsWindowRegion(background))
        check.warn(window, "BackGroundImage", "image",
                   "the settings background is all one colour, the colour of its top-left "
                   "pixel, which is the colour cut out of the window: nothing would be left, so "
                   "the window keeps its whole rectangle, opaque");
}

} // namespace

std::vector<SkinWarning> CheckSkin(const TqorMainWindow& main_window,
                                   const TqorConfigWindow& settings_window) {
    Checker check;
    check_main(check, main_window);
    check.unreadable(SkinWindow::Main, main_window.UnreadableImages);
    check_settings(check, settings_window);
    check.unreadable(SkinWindow::Settings, settings_window.UnreadableImages);
    return std::move(check.warnings);
}

} // namespace launcher
