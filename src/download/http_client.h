#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Every request of the download engine presents itself with this user agent.
inline constexpr std::string_view kDownloadUserAgent =
    "Opera/9.80 (Windows NT 6.2; WOW64) Presto/2.12.388 Version/12.16";

// Redirects followed at most per request, to http and https addresses only.
inline constexpr long kMaxRedirects = 5;

// What a request ended with. `ok` is false for a connection error, a status
// outside 2xx (after following up to `kMaxRedirects` redirects), a broken
// or closed connection, a body refused by the caller, and an abort.
struct HttpOutcome {
    bool ok = false;
    long status = 0;
    std::string error;
};

struct HttpHeadResult {
    HttpOutcome outcome;
    std::int64_t content_length = -1; // -1 when the answer has no Content-Length
};

// The status line and range of a GET answer, shown to the caller before the
// first body byte is delivered.
struct HttpResponseHead {
    long status = 0;
    std::optional<std::int64_t> content_range_first; // a of "Content-Range: bytes a-b/c"
    std::optional<std::int64_t> content_range_total; // c, when it is not "*"
    std::optional<std::int64_t> content_length;
};

struct HttpGetRequest {
    std::vector<std::string> extra_headers; // sent unchanged, e.g. "Range: bytes=0-99"
    // Decides whether the body is wanted; returning false fails the request.
    std::function<bool(const HttpResponseHead&)> on_response;
    // Receives the body in order; returning false fails the request.
    std::function<bool(const char* data, std::size_t size)> on_body;
    // The cumulative count of body bytes received in this request.
    std::function<void(std::int64_t received)> on_progress;
};

// An HTTP/1.1 client on libcurl for one thread at a time. It keeps its
// connections between requests, follows a few redirects and sets no time-outs;
// `abort` is the only way to cut a request short and may be called from any
// thread.
class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    HttpHeadResult head(const std::string& url);
    HttpOutcome get(const std::string& url, const HttpGetRequest& request);

    // Makes the request in progress, or the next one, fail at once and drops
    // its connection. Stays in force until `clear_abort`.
    void abort();
    void clear_abort();

    // Grows with every byte of an answer (status line, headers and body)
    // the client receives; a watchdog that sees it standing still knows the
    // request makes no progress, whatever phase it is in.
    std::int64_t activity() const { return activity_.load(); }

private:
    struct Handles;
    struct Transfer;

    HttpOutcome perform(Transfer& transfer);

    std::unique_ptr<Handles> handles_;
    std::atomic<bool> aborted_{false};
    std::atomic<std::int64_t> activity_{0};
};

// The address as it is sent: backslashes before the query or fragment become
// forward slashes (names of the game are backslash-separated).
std::string normalise_url(std::string_view url);

} // namespace launcher
