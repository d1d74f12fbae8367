#include "skin/skin_windows.h"

#include "skin/skin_layout.h"

#include <string>

namespace launcher {
namespace {

// A window part's version. A stream too short to hold one (no package at
// all) gives no valid version, so the window skin stays empty.
std::int32_t read_version(platform::MemoryStream& stream) {
    if (stream.remaining_size() < sizeof(std::int32_t)) {
        stream.seek(stream.size());
        return 0;
    }
    return stream.read_int<std::int32_t>();
}

// Reads the record count and hands each record's type byte to `load_record`.
template <typename LoadRecord>
void read_records(platform::MemoryStream& stream, LoadRecord load_record) {
    const auto count = stream.read_int<std::int32_t>();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto type = stream.read_int<std::uint8_t>();
        load_record(type, stream);
    }
}

} // namespace

void TqorMainWindow::LoadFromStream(platform::MemoryStream& stream) {
    LoadFromStreamVers(stream, read_version(stream));
}

void TqorMainWindow::LoadFromStreamVers(platform::MemoryStream& stream, std::int32_t vers) {
    if (vers != Version)
        return;
    read_records(stream,
                 [this](std::uint8_t type, platform::MemoryStream& s) { load_record(type, s); });
}

void TqorMainWindow::load_record(std::uint8_t type, platform::MemoryStream& stream) {
    if (const auto member = find_member(SkinWindow::Main, type))
        UnreadableImages.SetMember(member->name);
    switch (type) {
    case 1:
        return BackGroundImage.LoadFromStream2(stream, &UnreadableImages);
    case 2:
        return Button_StartGame.LoadFromStream2(stream, &UnreadableImages);
    case 3:
        return Button_Cancel.LoadFromStream2(stream, &UnreadableImages);
    case 4:
        return Button_CheckAllFiles.LoadFromStream2(stream, &UnreadableImages);
    case 5:
        return Button_Close.LoadFromStream2(stream, &UnreadableImages);
    case 6:
        return Button_Minimize.LoadFromStream2(stream, &UnreadableImages);
    case 7:
        return Button_Config.LoadFromStream2(stream, &UnreadableImages);
    case 8:
        return Progress_OneFile.LoadFromStream2(stream, &UnreadableImages);
    case 9:
        return Progress_Total.LoadFromStream2(stream, &UnreadableImages);
    case 10:
        return Text_Title.LoadFromStream2(stream, &UnreadableImages);
    case 11:
        return Text_Status.LoadFromStream2(stream, &UnreadableImages);
    case 12:
        return WebPanel.LoadFromStream2(stream, &UnreadableImages);
    case 13:
        return Gauge_OneFile.LoadFromStream2(stream, &UnreadableImages);
    case 14:
        return Gauge_Total.LoadFromStream2(stream, &UnreadableImages);
    case 15:
        return Box_LangFolder.LoadFromStream2(stream, &UnreadableImages);
    case 16:
        return Text_StatusTotal.LoadFromStream2(stream, &UnreadableImages);
    case 17:
        return Text_LangBoxDescription.LoadFromStream2(stream, &UnreadableImages);
    default:
        return SkipBlock(stream);
    }
}

void TqorConfigWindow::LoadFromStream(platform::MemoryStream& stream) {
    LoadFromStreamVers(stream, read_version(stream));
}

void TqorConfigWindow::LoadFromStreamVers(platform::MemoryStream& stream, std::int32_t vers) {
    if (vers != Version)
        return;
    read_records(stream,
                 [this](std::uint8_t type, platform::MemoryStream& s) { load_record(type, s); });
}

void TqorConfigWindow::load_record(std::uint8_t type, platform::MemoryStream& stream) {
    if (const auto member = find_member(SkinWindow::Settings, type))
        UnreadableImages.SetMember(member->name);
    switch (type) {
    case 1:
        return BackGroundImage.LoadFromStream2(stream, &UnreadableImages);
    case 2:
        return Text_Title.LoadFromStream2(stream, &UnreadableImages);
    case 3:
        return Text_Language.LoadFromStream2(stream, &UnreadableImages);
    case 4:
        return Text_Autoclose.LoadFromStream2(stream, &UnreadableImages);
    case 5:
        return Text_Proxy.LoadFromStream2(stream, &UnreadableImages);
    case 6:
        return Text_DriveType.LoadFromStream2(stream, &UnreadableImages);
    case 7:
        return Text_CheckType.LoadFromStream2(stream, &UnreadableImages);
    case 8:
        return Box_Language.LoadFromStream2(stream, &UnreadableImages);
    case 9:
        return Check_Autoclose.LoadFromStream2(stream, &UnreadableImages);
    case 10:
        return Box_Proxy.LoadFromStream2(stream, &UnreadableImages);
    case 11:
        return Box_DriveType.LoadFromStream2(stream, &UnreadableImages);
    case 12:
        return Box_CheckType.LoadFromStream2(stream, &UnreadableImages);
    case 13:
        return Button_Ok.LoadFromStream2(stream, &UnreadableImages);
    default:
        throw platform::StreamReadError("Unknown settings window skin record type " +
                                        std::to_string(type));
    }
}

} // namespace launcher
