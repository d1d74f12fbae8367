#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher::front {

// The settings dialog's captions, from the language table.
enum class SettingsCaption { Title, Language, Autoclose, Proxy, DriveType, CheckType };

// The dialog's controls the player can change.
enum class SettingsControl {
    Box_Language,
    Check_Autoclose,
    Box_Proxy,
    Box_DriveType,
    Box_CheckType
};

// What the settings dialog's behaviour asks of a window toolkit: its
// captions, the state of its controls and its width while it unrolls.
// A list's index -1 means no selection.
class SettingsSurface {
public:
    virtual ~SettingsSurface() = default;

    virtual void SetCaption(SettingsCaption caption, std::string_view text) = 0;
    virtual void SetEnabled(SettingsControl control, bool enabled) = 0;
    virtual bool Enabled(SettingsControl control) const = 0;

    // The lists (every control but Check_Autoclose).
    virtual void SetItems(SettingsControl list, const std::vector<std::string>& items) = 0;
    virtual void Select(SettingsControl list, int index) = 0;
    virtual int Selected(SettingsControl list) const = 0;
    virtual std::string ItemText(SettingsControl list, int index) const = 0;

    // Check_Autoclose.
    virtual void SetChecked(bool checked) = 0;
    virtual bool Checked() const = 0;

    virtual void SetWidth(int width) = 0;
};

} // namespace launcher::front
