#include "launch/proxy_probe.h"

#include "launch/proxy_entry.h"
#include "platform/connect_attempts.h"
#include "platform/terminate_flag.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace launcher {

std::string ProxyProbe::CheckProxyServers(const std::vector<std::string>& list, std::int32_t port,
                                          std::int32_t& ProxyIdx) {
    if (list.empty())
        return {};

    // Host names and malformed addresses never connect: they give no attempt.
    platform::ConnectAttempts attempts;
    for (std::size_t i = 0; i < list.size(); ++i)
        attempts.start(i, ParseProxyEntry(list[i]).host, port);

    ProxyIdx = -1;
    const auto started = loop_.clock().now();

    // The socket layer: one thread waits for the attempts to complete and
    // hands each connection to the interface thread. `ProxyIdx` is written
    // on the interface thread alone.
    std::atomic<bool> stop{false};
    std::mutex done_mutex;
    std::condition_variable done_signal;
    bool watcher_done = false;
    std::thread watcher([&] {
        while (!stop && attempts.pending()) {
            for (const auto& finished : attempts.wait()) {
                // Failed attempts are swallowed: that proxy never answers.
                if (!finished.connected || stop)
                    continue;
                const auto index = static_cast<std::int32_t>(finished.tag);
                loop_.run_and_wait([&, index] {
                    if (!stop)
                        ProxyIdx = index;
                });
            }
        }
        std::lock_guard guard(done_mutex);
        watcher_done = true;
        done_signal.notify_all();
    });

    while (ProxyIdx < 0) {
        const auto elapsed = loop_.clock().now() - started;
        if (elapsed >= kProxyProbeTimeLimit)
            break;
        loop_.process_pending(
            std::chrono::duration_cast<platform::Milliseconds>(kProxyProbeTimeLimit - elapsed));
        platform::end_process_if_terminated();
    }

    // Abandon the attempts still pending.
    stop = true;
    attempts.interrupt();
    // Hand-offs the watcher makes on its way out still run here; the wait
    // is on real time, so virtual time stands still while the thread ends.
    for (;;) {
        loop_.process_pending(platform::Milliseconds(0));
        std::unique_lock lock(done_mutex);
        if (done_signal.wait_for(lock, std::chrono::milliseconds(1), [&] { return watcher_done; }))
            break;
    }
    watcher.join();

    return ProxyIdx >= 0 ? list[static_cast<std::size_t>(ProxyIdx)] : std::string();
}

} // namespace launcher
