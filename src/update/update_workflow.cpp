#include "update/update_workflow.h"

#include "config/debug_file.h"
#include "config/player_choices.h"
#include "launch/proxy_list.h"
#include "platform/files.h"
#include "update/packed_files.h"

#include <chrono>
#include <cmath>
#include <system_error>

namespace launcher {
namespace {

constexpr std::size_t kNoUpdateServer = 15;
constexpr std::size_t kFetchingManifest = 7;
constexpr std::size_t kUnpackingPrefix = 1;
constexpr std::size_t kTotalPrefix = 24;

std::size_t index_of(Indicator which) {
    return static_cast<std::size_t>(which);
}

} // namespace

UpdateWorkflow::UpdateWorkflow(platform::EventLoop& loop, LauncherView& view, tConfigData& config,
                               UserSettings& settings, const LanguageTable& strings,
                               UpdateWorkflowSetup setup)
    : DM(loop), loop_(loop), view_(view), config_(config), settings_(settings), strings_(strings),
      setup_(std::move(setup)), random_(static_cast<std::mt19937::result_type>(
                                    std::chrono::system_clock::now().time_since_epoch().count())) {
    DM.SetThreads(kDownloadSegments);
    DM.TmpFolder = TmpPath().string() + "/";
    DM.OnProgress = [this](TDownloadMultiThread&, std::int64_t loaded, std::int64_t size) {
        UpdateDMProgress(loaded, size);
    };
    MakeServerProbe = [this] { return std::make_unique<HttpServerProbe>(loop_); };
}

UpdateWorkflow::~UpdateWorkflow() = default;

std::filesystem::path UpdateWorkflow::TmpPath() const {
    return UpdaterFolder(setup_.MainPath);
}

std::filesystem::path UpdateWorkflow::TemporaryPackedFile() const {
    return TmpPath() / kTemporaryPackedFile;
}

void UpdateWorkflow::log(const std::string& line) const {
    if (debug_file)
        debug_file->WriteErr(line);
}

void UpdateWorkflow::refuse(std::string_view name) const {
    log("Refused name outside the game folder: " + std::string(name));
}

void UpdateWorkflow::set_indicator(Indicator which, const IndicatorValue& value) {
    indicators_[index_of(which)] = value;
    view_.SetIndicator(which, value);
}

void UpdateWorkflow::set_position(Indicator which, int position) {
    IndicatorValue value = indicators_[index_of(which)];
    value.Position = position;
    set_indicator(which, value);
}

void UpdateWorkflow::set_maximum(Indicator which, int maximum) {
    IndicatorValue value = indicators_[index_of(which)];
    value.Max = maximum;
    set_indicator(which, value);
}

void UpdateWorkflow::reset_one_file(int maximum) {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
        set_indicator(which, IndicatorValue{0, maximum, 0, 1});
}

void UpdateWorkflow::one_file_to_width() {
    for (const Indicator which : {Indicator::ProgressBar_OneFile, Indicator::Gauge_OneFile})
        set_maximum(which, view_.IndicatorWidth(which));
}

void UpdateWorkflow::total_to(int position) {
    set_position(Indicator::ProgressBar_Total, position);
    set_position(Indicator::Gauge_Total, position);
}

void UpdateWorkflow::totals_to_maxima() {
    for (const Indicator which : {Indicator::ProgressBar_Total, Indicator::Gauge_Total})
        set_position(which, indicator(which).Max);
}

void UpdateWorkflow::total_percent(int done, int count) {
    // The nearest whole number, halves to the even one.
    const double percent =
        count > 0 ? std::nearbyint(static_cast<double>(done) * 100.0 / count) : 100.0;
    view_.SetTotalStatus(strings_[kTotalPrefix] + std::to_string(static_cast<int>(percent)) + "%");
}

void UpdateWorkflow::enable_start() {
    view_.SetStartGameEnabled(true);
    view_.SetCheckAllFilesVisible(true);
    end_ = WorkflowEnd::Updated;
}

std::string UpdateWorkflow::CheckUpdateServers() {
    const std::unique_ptr<ServerProbe> probe = MakeServerProbe();
    return launcher::CheckUpdateServers(config_.UpdateServers, *probe, random_, debug_file);
}

void UpdateWorkflow::report_no_server() {
    view_.MsgShow(strings_[kNoUpdateServer]);
    view_.SetStatus(strings_[kNoUpdateServer]);
    view_.SetStartGameEnabled(true);
    end_ = WorkflowEnd::NoServer;
}

bool UpdateWorkflow::fetch_manifest() {
    const std::string packed_name = std::string(kManifestName) + std::string(kPackedSuffix);
    std::error_code ignored;
    std::filesystem::create_directories(TmpPath(), ignored);
    // A packed file left by an earlier run must not pass for this manifest.
    std::filesystem::remove(TemporaryPackedFile(), ignored);
    if (setup_.FileModeActive) {
        std::filesystem::copy_file(platform::native_path(setup_.FileModeFolder, packed_name),
                                   TemporaryPackedFile(),
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    } else {
        current_name_ = packed_name;
        DM.GetFile(URLMain + packed_name, TemporaryPackedFile());
        if (DM.HaveError)
            std::filesystem::remove(TemporaryPackedFile(), ignored);
    }
    return std::filesystem::exists(TemporaryPackedFile(), ignored);
}

void UpdateWorkflow::MainTimerTimer() {
    URLMain = CheckUpdateServers();
    if (URLMain.empty()) {
        report_no_server();
    } else {
        view_.SetStatus(strings_[kFetchingManifest]);
        URLName = std::string(kManifestName);
        // A manifest that could not be fetched means no server served this
        // run: saying that every file is up to date would be wrong.
        if (!fetch_manifest()) {
            report_no_server();
        } else {
            view_.SetStatus(strings_[kUnpackingPrefix] + std::string(kManifestName));
            UnpackFile(TemporaryPackedFile(), setup_.MainPath / kManifestName);
            std::error_code ignored;
            std::filesystem::remove(TemporaryPackedFile(), ignored);
            set_position(Indicator::ProgressBar_OneFile, 0);
            set_position(Indicator::Gauge_OneFile, 0);
            CheckingRequiredFiles();
            if (end_ == WorkflowEnd::Restarted)
                return;
        }
    }
    if (proxy_probe)
        ProxyLine = LoadProxyList(config_, settings_, *proxy_probe, view_, strings_);
}

} // namespace launcher
