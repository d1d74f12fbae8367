#pragma once

#include "platform/memory_stream.h"
#include "skin/skin_members.h"

#include <cstdint>

namespace launcher {

// A window part of the skin: Int32 version, Int32 record count (0 or less
// means none), then that many records, each a type byte selecting the member
// and the member's block.
//
// An image sub-block that does not decode does not end the loading: the
// member keeps what it had for that image, the rest of the skin loads, and
// UnreadableImages says which image was left out and why. A start-up with
// one bad button image still shows its window; without a background the
// main window cannot be shown and says so. Framing that does not hold (a
// length past the end of the data) still throws platform::StreamReadError,
// since nothing after it can be trusted.

class TqorMainWindow {
public:
    static constexpr std::int32_t Version = 12346;

    TqorBackGround BackGroundImage;    // record type 1
    TqorButton Button_StartGame;       // 2
    TqorButton Button_Cancel;          // 3
    TqorButton Button_CheckAllFiles;   // 4
    TqorButton Button_Close;           // 5
    TqorButton Button_Minimize;        // 6
    TqorButton Button_Config;          // 7
    TqorProgress Progress_OneFile;     // 8
    TqorProgress Progress_Total;       // 9
    TqorLabel Text_Title;              // 10
    TqorLabel Text_Status;             // 11
    TqorLabel Text_StatusTotal;        // 16
    TqorLangFolder Box_LangFolder;     // 15
    TqorLabel Text_LangBoxDescription; // 17
    TqorGauge Gauge_OneFile;           // 13
    TqorGauge Gauge_Total;             // 14
    TqorWebPanel WebPanel;             // 12

    SkippedImages UnreadableImages;

    // Reads the Int32 version and then the rest of the part.
    void LoadFromStream(platform::MemoryStream& stream);
    // A version other than 12346 reads nothing more. Records of types outside
    // 1 to 17 are passed over by their block length.
    void LoadFromStreamVers(platform::MemoryStream& stream, std::int32_t vers);

private:
    void load_record(std::uint8_t type, platform::MemoryStream& stream);
};

class TqorConfigWindow {
public:
    static constexpr std::int32_t Version = 23457;

    TqorBackGround BackGroundImage; // record type 1
    TqorLabel Text_Title;           // 2
    TqorLabel Text_Language;        // 3
    TqorLabel Text_Autoclose;       // 4
    TqorLabel Text_Proxy;           // 5
    TqorLabel Text_DriveType;       // 6
    TqorLabel Text_CheckType;       // 7
    TqorWebPanel Box_Language;      // 8
    TqorWebPanel Check_Autoclose;   // 9
    TqorWebPanel Box_Proxy;         // 10
    TqorWebPanel Box_DriveType;     // 11
    TqorWebPanel Box_CheckType;     // 12
    TqorWebPanel Button_Ok;         // 13

    SkippedImages UnreadableImages;

    void LoadFromStream(platform::MemoryStream& stream);
    // A version other than 23457 reads nothing more. A record type outside
    // 1 to 13 throws platform::StreamReadError: this part has no rule for
    // passing such a record over, so its bytes cannot be trusted.
    void LoadFromStreamVers(platform::MemoryStream& stream, std::int32_t vers);

private:
    void load_record(std::uint8_t type, platform::MemoryStream& stream);
};

} // namespace launcher
