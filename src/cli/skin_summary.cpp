#include "cli/skin_summary.h"

#include "skin/skin_windows.h"

#include <sstream>
#include <string_view>

namespace launcher {
namespace {

class MemberLine {
public:
    explicit MemberLine(std::string_view name) : name_(name) {}

    void image(std::string_view role, const Bitmap& bitmap) {
        if (!bitmap.empty())
            parts_.push_back(std::string(role) + " " + std::to_string(bitmap.width()) + "x" +
                             std::to_string(bitmap.height()));
    }
    void parameters(const StringList& list) {
        if (!list.empty())
            parts_.push_back(std::to_string(list.size()) + " parameters");
    }
    void script(const StringList& list) {
        if (!list.empty())
            parts_.push_back(std::to_string(list.size()) + " script lines");
    }
    void region(const platform::MemoryStream& data) {
        if (data.size() > 0)
            parts_.push_back("region " + std::to_string(data.size()) + " bytes");
    }

    void add_to(std::vector<std::string>& lines) const {
        if (parts_.empty())
            return;
        std::ostringstream line;
        line << name_ << ":";
        for (std::size_t i = 0; i < parts_.size(); ++i)
            line << (i == 0 ? " " : ", ") << parts_[i];
        lines.push_back(line.str());
    }

private:
    std::string name_;
    std::vector<std::string> parts_;
};

void describe(std::vector<std::string>& lines, std::string_view name,
              const TqorBackGround& member) {
    MemberLine line(name);
    line.image("image", member.image);
    line.region(member.region);
    line.add_to(lines);
}

void describe(std::vector<std::string>& lines, std::string_view name, const TqorButton& member) {
    MemberLine line(name);
    line.image("common", member.common);
    line.image("over", member.over);
    line.image("disabled", member.disabled);
    line.image("down", member.down);
    line.image("up", member.up);
    line.parameters(member.parameters);
    line.script(member.btn_script);
    line.add_to(lines);
}

void describe(std::vector<std::string>& lines, std::string_view name, const TqorGauge& member) {
    MemberLine line(name);
    line.image("FTex", member.FTex);
    line.image("BTex", member.BTex);
    line.parameters(member.parameters);
    line.add_to(lines);
}

void describe(std::vector<std::string>& lines, std::string_view name,
              const TqorParametersOnly& member) {
    MemberLine line(name);
    line.parameters(member.parameters);
    line.add_to(lines);
}

} // namespace

std::vector<std::string> DescribeSkin(const TqorMainWindow& window) {
    std::vector<std::string> lines;
    describe(lines, "BackGroundImage", window.BackGroundImage);
    describe(lines, "Button_StartGame", window.Button_StartGame);
    describe(lines, "Button_Cancel", window.Button_Cancel);
    describe(lines, "Button_CheckAllFiles", window.Button_CheckAllFiles);
    describe(lines, "Button_Close", window.Button_Close);
    describe(lines, "Button_Minimize", window.Button_Minimize);
    describe(lines, "Button_Config", window.Button_Config);
    describe(lines, "Progress_OneFile", window.Progress_OneFile);
    describe(lines, "Progress_Total", window.Progress_Total);
    describe(lines, "Text_Title", window.Text_Title);
    describe(lines, "Text_Status", window.Text_Status);
    describe(lines, "Text_StatusTotal", window.Text_StatusTotal);
    describe(lines, "Box_LangFolder", window.Box_LangFolder);
    describe(lines, "Text_LangBoxDescription", window.Text_LangBoxDescription);
    describe(lines, "Gauge_OneFile", window.Gauge_OneFile);
    describe(lines, "Gauge_Total", window.Gauge_Total);
    describe(lines, "WebPanel", window.WebPanel);
    return lines;
}

std::vector<std::string> DescribeSkin(const TqorConfigWindow& window) {
    std::vector<std::string> lines;
    describe(lines, "BackGroundImage", window.BackGroundImage);
    describe(lines, "Text_Title", window.Text_Title);
    describe(lines, "Text_Language", window.Text_Language);
    describe(lines, "Text_Autoclose", window.Text_Autoclose);
    describe(lines, "Text_Proxy", window.Text_Proxy);
    describe(lines, "Text_DriveType", window.Text_DriveType);
    describe(lines, "Text_CheckType", window.Text_CheckType);
    describe(lines, "Box_Language", window.Box_Language);
    describe(lines, "Check_Autoclose", window.Check_Autoclose);
    describe(lines, "Box_Proxy", window.Box_Proxy);
    describe(lines, "Box_DriveType", window.Box_DriveType);
    describe(lines, "Box_CheckType", window.Box_CheckType);
    describe(lines, "Button_Ok", window.Button_Ok);
    return lines;
}

} // namespace launcher
