#pragma once

#include "support/test_socket.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace launcher::testing {

// A misbehaviour of the server for GET requests of one path.
struct Fault {
    enum class Kind {
        StallBeforeHeaders, // accept the request, then send nothing
        StallAfterBytes,    // send the headers and `after_bytes` of the body, then nothing
        DropAfterBytes,     // send the headers and `after_bytes` of the body, then close
        Status,             // answer with `status` and a small error page
        Redirect,           // answer 302 pointing at `location`
        Drip,               // send the body one byte per `release_drip_bytes` permit
    };
    Kind kind = Kind::StallBeforeHeaders;
    std::int64_t after_bytes = 0;
    int status = 0;
    std::optional<std::int64_t> range_first{}; // only requests whose range starts here
    static constexpr int kEveryRequest = 0;
    int times = 1; // matching requests it applies to, or kEveryRequest
    // Where a redirect points: a path on this server, or a whole address.
    std::string location = "/moved";
};

enum class HeadLength { Given, Absent, Zero };

struct Resource {
    std::string body;
    bool ignore_range = false; // answer every GET with 200 and the whole body
    HeadLength head_length = HeadLength::Given;
    int head_status = 200; // 3xx answers carry a Location header naming `head_location`
    std::string head_location = "/moved";
    // The length a HEAD answer states instead of the body's (a server whose
    // answers disagree).
    std::optional<std::int64_t> head_stated_length{};
    bool head_never_answers = false; // accept a HEAD request, then send nothing
    // Real time a HEAD answer waits, as a distant server's would.
    std::chrono::milliseconds head_delay{0};
};

struct LoggedRequest {
    std::string method;
    std::string path;
    std::string range; // value of the Range header, empty when absent
    std::string user_agent;
    int connection = 0; // which accepted connection carried it
};

// An HTTP/1.1 server on 127.0.0.1 for tests, with keep-alive and faults that
// a real server will not produce on demand: stalls, drops, error answers,
// ignored ranges and a byte-by-byte drip. Stalled connections stay open
// until the client closes them or the server goes away.
class FaultServer {
public:
    FaultServer();
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    std::string url(std::string_view path) const;
    void serve(const std::string& path, Resource resource);
    void add_fault(const std::string& path, Fault fault);
    void release_drip_bytes(int count);

    std::vector<LoggedRequest> requests() const;
    std::vector<LoggedRequest> gets(std::string_view path) const;
    int connection_count() const;
    // The most connections that were open at once.
    int most_open_connections() const;

private:
    void accept_loop();
    void serve_connection(net::Socket socket, int connection);
    bool answer(net::Socket socket, int connection, const std::string& request_text);
    bool hold_until_closed(net::Socket socket);
    bool wait_for_drip_permit(net::Socket socket);
    std::optional<Fault> take_fault(const std::string& path, std::optional<std::int64_t> first);

    net::Socket listener_ = net::kNoSocket;
    int port_ = 0;
    std::thread acceptor_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::map<std::string, Resource> resources_;
    std::map<std::string, std::vector<Fault>> faults_;
    std::vector<LoggedRequest> log_;
    std::vector<net::Socket> open_sockets_;
    std::size_t most_open_ = 0;
    std::vector<std::thread> connections_;
    int drip_permits_ = 0;
};

} // namespace launcher::testing
