#include "launch/proxy_list.h"
#include "launch/proxy_probe.h"
#include "platform/plain_event_loop.h"
#include "support/tcp_listener.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using namespace std::chrono_literals;

using Listener = testing::TcpListener;

class RecordingView final : public LauncherView {
public:
    void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
    void SetTotalStatus(std::string_view) override {}
    void MsgShow(std::string_view text) override { messages.emplace_back(text); }
    void SetIndicator(Indicator, const IndicatorValue&) override {}
    int IndicatorWidth(Indicator) const override { return 100; }
    void SetStartGameEnabled(bool) override {}
    void SetCheckAllFilesVisible(bool) override {}
    void SetCheckAllFilesEnabled(bool) override {}
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
};

class ProxyProbeTest : public ::testing::Test {
protected:
    ProxyProbeTest() {
        strings[18] = "no proxy";
        strings[21] = "chosen proxy down";
        config.ProxyServers.UseProxy = true;
    }

    platform::ManualClock clock;
    platform::PlainEventLoop loop{clock};
    ProxyProbe probe{loop};
    LanguageTable strings;
    tConfigData config;
    UserSettings settings;
    RecordingView view;
};

TEST_F(ProxyProbeTest, AutoTakesTheOnlyProxyThatListens) {
    Listener third("127.0.0.4", 0);
    const std::int32_t port = third.port();
    config.ProxyServers.Port = port;
    config.ProxyServers.Servers = {"one|127.0.0.2|one.ini", "two|127.0.0.3|two.ini",
                                   "three|127.0.0.4|three.ini"};
    const auto line = LoadProxyList(config, settings, probe, view, strings);
    EXPECT_EQ(line, "three|127.0.0.4|three.ini");
    EXPECT_EQ(settings.ProxyIdx, 2);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(ProxyProbeTest, NothingListeningEndsAfterFiveSecondsOfVirtualTime) {
    clock.set_auto_advance(true, 5ms);
    Listener elsewhere("127.0.0.9", 0); // only to find a free port
    config.ProxyServers.Port = elsewhere.port();
    config.ProxyServers.Servers = {"a|127.0.0.2|a.ini", "b|localhost|b.ini", "c|c.ini",
                                   "d|300.1.1.1|d.ini"};
    const auto start = clock.now();
    const auto line = LoadProxyList(config, settings, probe, view, strings);
    EXPECT_EQ(line, "");
    EXPECT_EQ(clock.now() - start, 5000ms);
    EXPECT_EQ(settings.ProxyIdx, -1);
    EXPECT_EQ(view.messages, (std::vector<std::string>{"no proxy"}));
    EXPECT_EQ(view.statuses, (std::vector<std::string>{"no proxy"}));
}

TEST_F(ProxyProbeTest, ChosenProxyIsProbedAloneAndItsIndexBecomesZero) {
    Listener chosen("127.0.0.5", 0);
    config.ProxyServers.Port = chosen.port();
    config.ProxyServers.Servers = {"main|127.0.0.2|a.ini", " main |127.0.0.5|b.ini",
                                   "other|127.0.0.5|c.ini"};
    settings.SelProxy = "Main";
    DeriveProxyIndex(settings, config);
    ASSERT_EQ(settings.ProxyIdx, 2);
    EXPECT_EQ(LoadProxyList(config, settings, probe, view, strings), " main |127.0.0.5|b.ini");
    EXPECT_EQ(settings.ProxyIdx, 0);
}

TEST_F(ProxyProbeTest, ChosenProxyNotInTheListIsNotProbed) {
    config.ProxyServers.Servers = {"a|127.0.0.2|a.ini"};
    settings.SelProxy = "mars";
    DeriveProxyIndex(settings, config);
    const auto start = clock.now();
    EXPECT_EQ(LoadProxyList(config, settings, probe, view, strings), "");
    EXPECT_EQ(clock.now(), start); // no probe, no wait
    EXPECT_EQ(view.messages, (std::vector<std::string>{"chosen proxy down"}));
}

TEST_F(ProxyProbeTest, ProxiesOffDoNothing) {
    config.ProxyServers.UseProxy = false;
    config.ProxyServers.Servers = {"a|127.0.0.2|a.ini"};
    EXPECT_EQ(LoadProxyList(config, settings, probe, view, strings), "");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(settings.ProxyIdx, 0);
}

TEST_F(ProxyProbeTest, EmptyListReturnsAtOnce) {
    std::int32_t index = 7;
    EXPECT_EQ(probe.CheckProxyServers({}, 1, index), "");
    EXPECT_EQ(index, 7);
}

} // namespace
} // namespace launcher
