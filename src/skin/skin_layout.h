#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace launcher {

// What each window part may hold, as data: which member a record type
// selects and which sub-blocks that member's block carries, in stored order.
// The publisher's tools work from these tables; the readers in
// skin_windows.cpp and skin_members.cpp follow the same order.

enum class SkinSubBlockKind { Text, Bitmap, Region };

struct SkinSubBlock {
    std::string_view name; // the member field it fills
    SkinSubBlockKind kind;
};

enum class SkinMemberClass { BackGround, Button, Gauge, ParametersOnly };

struct SkinMember {
    std::string_view name;
    std::uint8_t type;
    SkinMemberClass member_class;
};

enum class SkinWindow { Main, Settings };

// The settings window keeps its designed size whatever its background's.
inline constexpr int kSettingsWindowWidth = 520;
inline constexpr int kSettingsWindowHeight = 360;

std::span<const SkinSubBlock> sub_blocks_of(SkinMemberClass member_class);
std::span<const SkinMember> members_of(SkinWindow window);
std::int32_t version_of(SkinWindow window);

std::optional<SkinMember> find_member(SkinWindow window, std::string_view name);
std::optional<SkinMember> find_member(SkinWindow window, std::uint8_t type);

} // namespace launcher
