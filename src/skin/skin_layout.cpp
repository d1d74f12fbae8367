#include "skin/skin_layout.h"

#include "skin/skin_windows.h"

#include <array>

namespace launcher {
namespace {

using enum SkinSubBlockKind;

constexpr std::array background_blocks{SkinSubBlock{"image", Bitmap},
                                       SkinSubBlock{"region", Region}};
constexpr std::array button_blocks{
    SkinSubBlock{"parameters", Text}, SkinSubBlock{"btn_script", Text},
    SkinSubBlock{"common", Bitmap},   SkinSubBlock{"over", Bitmap},
    SkinSubBlock{"disabled", Bitmap}, SkinSubBlock{"down", Bitmap},
    SkinSubBlock{"up", Bitmap}};
constexpr std::array gauge_blocks{SkinSubBlock{"parameters", Text}, SkinSubBlock{"FTex", Bitmap},
                                  SkinSubBlock{"BTex", Bitmap}};
constexpr std::array parameters_blocks{SkinSubBlock{"parameters", Text}};

using enum SkinMemberClass;

constexpr std::array main_members{
    SkinMember{"BackGroundImage", 1, BackGround},
    SkinMember{"Button_StartGame", 2, Button},
    SkinMember{"Button_Cancel", 3, Button},
    SkinMember{"Button_CheckAllFiles", 4, Button},
    SkinMember{"Button_Close", 5, Button},
    SkinMember{"Button_Minimize", 6, Button},
    SkinMember{"Button_Config", 7, Button},
    SkinMember{"Progress_OneFile", 8, ParametersOnly},
    SkinMember{"Progress_Total", 9, ParametersOnly},
    SkinMember{"Text_Title", 10, ParametersOnly},
    SkinMember{"Text_Status", 11, ParametersOnly},
    SkinMember{"Text_StatusTotal", 16, ParametersOnly},
    SkinMember{"Box_LangFolder", 15, ParametersOnly},
    SkinMember{"Text_LangBoxDescription", 17, ParametersOnly},
    SkinMember{"Gauge_OneFile", 13, Gauge},
    SkinMember{"Gauge_Total", 14, Gauge},
    SkinMember{"WebPanel", 12, ParametersOnly},
};

constexpr std::array settings_members{
    SkinMember{"BackGroundImage", 1, BackGround},
    SkinMember{"Text_Title", 2, ParametersOnly},
    SkinMember{"Text_Language", 3, ParametersOnly},
    SkinMember{"Text_Autoclose", 4, ParametersOnly},
    SkinMember{"Text_Proxy", 5, ParametersOnly},
    SkinMember{"Text_DriveType", 6, ParametersOnly},
    SkinMember{"Text_CheckType", 7, ParametersOnly},
    SkinMember{"Box_Language", 8, ParametersOnly},
    SkinMember{"Check_Autoclose", 9, ParametersOnly},
    SkinMember{"Box_Proxy", 10, ParametersOnly},
    SkinMember{"Box_DriveType", 11, ParametersOnly},
    SkinMember{"Box_CheckType", 12, ParametersOnly},
    SkinMember{"Button_Ok", 13, ParametersOnly},
};

} // namespace

std::span<const SkinSubBlock> sub_blocks_of(SkinMemberClass member_class) {
    switch (member_class) {
    case BackGround:
        return background_blocks;
    case Button:
        return button_blocks;
    case Gauge:
        return gauge_blocks;
    case ParametersOnly:
        break;
    }
    return parameters_blocks;
}

std::span<const SkinMember> members_of(SkinWindow window) {
    if (window == SkinWindow::Main)
        return main_members;
    return settings_members;
}

std::int32_t version_of(SkinWindow window) {
    return window == SkinWindow::Main ? TqorMainWindow::Version : TqorConfigWindow::Version;
}

std::optional<SkinMember> find_member(SkinWindow window, std::string_view name) {
    for (const SkinMember& member : members_of(window))
        if (member.name == name)
            return member;
    return std::nullopt;
}

std::optional<SkinMember> find_member(SkinWindow window, std::uint8_t type) {
    for (const SkinMember& member : members_of(window))
        if (member.type == type)
            return member;
    return std::nullopt;
}

} // namespace launcher
