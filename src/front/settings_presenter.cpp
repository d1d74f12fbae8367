#include "front/settings_presenter.h"

#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "front/settings_surface.h"
#include "platform/text.h"

#include <algorithm>

namespace launcher::front {

SettingsPresenter::SettingsPresenter(platform::EventLoop& loop, SettingsSurface& surface,
                                     tConfigData& config, UserSettings& main_values)
    : loop_(loop), surface_(surface), config_(config), main_values_(main_values) {
    surface_.SetItems(SettingsControl::Box_DriveType,
                      {kDriveTypeItems.begin(), kDriveTypeItems.end()});
    surface_.SetItems(SettingsControl::Box_CheckType,
                      {kCheckTypeItems.begin(), kCheckTypeItems.end()});
    // Never empty, so a selection always has a text.
    surface_.SetItems(SettingsControl::Box_Proxy, {std::string(kAutoProxyItem)});
    std::vector<std::string> names;
    for (const auto& section : config_.LanguageCollection.List) {
        names.push_back(section.object->Item);
        language_ids_.push_back(section.text);
    }
    surface_.SetItems(SettingsControl::Box_Language, names);
    apply_permissions();
}

SettingsPresenter::~SettingsPresenter() {
    loop_.stop_timer(fade_timer_);
}

void SettingsPresenter::apply_permissions() {
    const tConfigRecord& can = config_.Config;
    surface_.SetEnabled(SettingsControl::Box_Language, can.UserCan_ChangeLanguage);
    surface_.SetChecked(can.DefaultAutoClose);
    surface_.SetEnabled(SettingsControl::Check_Autoclose, can.UserCan_ChangeAutoClose);
    surface_.SetEnabled(SettingsControl::Box_Proxy, can.UserCan_ChangeProxy);
    surface_.SetEnabled(SettingsControl::Box_DriveType, can.UserCan_ChangeDriveType);
    if (!can.UserCan_ChangeDriveType)
        surface_.Select(SettingsControl::Box_DriveType, 0);
    surface_.SetEnabled(SettingsControl::Box_CheckType, can.UserCan_ChangeCheckMethod);
    if (!can.UserCan_ChangeCheckMethod)
        surface_.Select(SettingsControl::Box_CheckType, 0);
}

void SettingsPresenter::SetLanguage() {
    surface_.SetCaption(SettingsCaption::Title, text_of(LanguageEntry::SettingsTitle));
    surface_.SetCaption(SettingsCaption::Language, text_of(LanguageEntry::LanguageCaption));
    surface_.SetCaption(SettingsCaption::Autoclose, text_of(LanguageEntry::AutoCloseCaption));
    surface_.SetCaption(SettingsCaption::Proxy, text_of(LanguageEntry::ProxyCaption));
    surface_.SetCaption(SettingsCaption::DriveType, text_of(LanguageEntry::DriveTypeCaption));
    surface_.SetCaption(SettingsCaption::CheckType, text_of(LanguageEntry::CheckModeCaption));
}

void SettingsPresenter::FormShow() {
    const bool fade = config_.SettingsWindow.FadeEffect;
    apply_permissions();
    SetLanguage();
    if (fade) {
        full_width_ = width_;
        set_width(0);
    }
    show_language();
    if (surface_.Enabled(SettingsControl::Check_Autoclose))
        surface_.SetChecked(main_values_.AutoClose);
    show_proxies();
    if (surface_.Enabled(SettingsControl::Box_DriveType))
        surface_.Select(SettingsControl::Box_DriveType, DriveTypeIndex(main_values_.DriveType));
    // A text that matches no item leaves the selection as it was.
    if (surface_.Enabled(SettingsControl::Box_CheckType))
        if (const auto item = CheckModeIndex(main_values_.CheckMode))
            surface_.Select(SettingsControl::Box_CheckType, *item);
    if (fade)
        fade_timer_ = loop_.start_timer(kFadeInterval, [this] { FadeInTimer(); });
}

// Closed while unrolling: the next opening must unroll to the full width
// again, not to the width reached so far.
void SettingsPresenter::FormHide() {
    if (fade_timer_ == 0)
        return;
    stop_fade();
    set_width(full_width_);
}

// A language the player may not choose is the configuration's default one,
// which is what the box shows.
void SettingsPresenter::show_language() {
    const std::string id =
        std::to_string(surface_.Enabled(SettingsControl::Box_Language)
                           ? main_values_.LangConst
                           : config_.GetLanguageIdByName(config_.Config.DefaultLanguage));
    const auto found = std::find(language_ids_.begin(), language_ids_.end(), id);
    if (found != language_ids_.end())
        surface_.Select(SettingsControl::Box_Language,
                        static_cast<int>(found - language_ids_.begin()));
}

void SettingsPresenter::show_proxies() {
    const ProxyListView view = ProxyListItems(config_.ProxyServers, main_values_.SelProxy,
                                              surface_.Enabled(SettingsControl::Box_Proxy));
    surface_.SetItems(SettingsControl::Box_Proxy, view.items);
    surface_.Select(SettingsControl::Box_Proxy, view.selected);
}

void SettingsPresenter::FadeInTimer() {
    const int next = width_ + kFadeStep;
    if (next < full_width_) {
        set_width(next);
        return;
    }
    stop_fade();
    set_width(full_width_);
}

void SettingsPresenter::stop_fade() {
    loop_.stop_timer(fade_timer_);
    fade_timer_ = 0;
}

void SettingsPresenter::set_width(int width) {
    width_ = width;
    surface_.SetWidth(width);
}

void SettingsPresenter::Box_LanguageChange() {
    const int index = surface_.Selected(SettingsControl::Box_Language);
    if (!surface_.Enabled(SettingsControl::Box_Language) || index < 0 ||
        static_cast<std::size_t>(index) >= language_ids_.size())
        return;
    const std::int32_t id =
        platform::parse_int32(language_ids_[static_cast<std::size_t>(index)]).value_or(0);
    main_values_.LangConst = id;
    config_.SetLanguageArray(id, LanguageStrings());
    SetLanguage();
}

SettingsChoices SettingsPresenter::Choices() const {
    SettingsChoices choices;
    if (surface_.Enabled(SettingsControl::Check_Autoclose))
        choices.AutoClose = surface_.Checked();
    if (surface_.Enabled(SettingsControl::Box_Proxy)) {
        const int index = std::max(surface_.Selected(SettingsControl::Box_Proxy), 0);
        choices.Proxy = ProxyChoice{index, surface_.ItemText(SettingsControl::Box_Proxy, index)};
    }
    if (surface_.Enabled(SettingsControl::Box_DriveType))
        choices.DriveTypeIndex = surface_.Selected(SettingsControl::Box_DriveType);
    if (surface_.Enabled(SettingsControl::Box_CheckType))
        choices.CheckTypeIndex = surface_.Selected(SettingsControl::Box_CheckType);
    return choices;
}

} // namespace launcher::front
