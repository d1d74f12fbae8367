#include "download/http_client.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include <curl/curl.h>

namespace launcher {
namespace {

// Large reads mean fewer body callbacks, and so fewer progress hand-offs,
// on fast links.
constexpr long kReceiveBufferSize = 512 * 1024;

// libcurl wants one global initialisation before any handle exists.
void ensure_curl_initialised() {
    static const bool initialised = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == 0; }();
    (void)initialised;
}

bool is_success_status(long status) {
    return status >= 200 && status <= 299;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (a != prefix[i])
            return false;
    }
    return true;
}

struct ContentRange {
    std::int64_t first = 0;
    std::optional<std::int64_t> total;
};

// "Content-Range: bytes 100-199/1000" gives 100 and 1000 ("/*": no total).
std::optional<ContentRange> parse_content_range(std::string_view line) {
    constexpr std::string_view name = "content-range:";
    if (!starts_with_ignoring_case(line, name))
        return std::nullopt;
    std::string_view value = line.substr(name.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    if (!starts_with_ignoring_case(value, "bytes"))
        return std::nullopt;
    value.remove_prefix(5);
    while (!value.empty() && (value.front() == ' ' || value.front() == '='))
        value.remove_prefix(1);
    ContentRange range;
    const char* const stop = value.data() + value.size();
    const auto [end, error] = std::from_chars(value.data(), stop, range.first);
    if (error != std::errc{} || end == stop || *end != '-')
        return std::nullopt;
    const char* slash = std::find(end, stop, '/');
    std::int64_t total = 0;
    if (slash != stop) {
        const auto [total_end, total_error] = std::from_chars(slash + 1, stop, total);
        if (total_error == std::errc{} && total_end != slash + 1)
            range.total = total;
    }
    return range;
}

} // namespace

std::string normalise_url(std::string_view url) {
    std::string result(url);
    const std::size_t stop = result.find_first_of("?#");
    for (std::size_t i = 0; i < result.size() && i < stop; ++i)
        if (result[i] == '\\')
            result[i] = '/';
    return result;
}

struct HttpClient::Handles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    char error_buffer[CURL_ERROR_SIZE] = {};

    Handles() {
        ensure_curl_initialised();
        multi = curl_multi_init();
        easy = curl_easy_init();
    }
    ~Handles() {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
    }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;
};

// The state of one request, shared with libcurl's callbacks.
struct HttpClient::Transfer {
    HttpClient* client = nullptr;
    const HttpGetRequest* request = nullptr;
    std::optional<ContentRange> content_range;
    bool response_accepted = false;
    std::int64_t received = 0;
    std::string refusal; // why the body was refused

    static std::size_t on_header(char* data, std::size_t size, std::size_t count, void* self) {
        auto& transfer = *static_cast<Transfer*>(self);
        const std::string_view line(data, size * count);
        transfer.client->activity_.fetch_add(static_cast<std::int64_t>(line.size()));
        if (line.starts_with("HTTP/"))
            transfer.content_range.reset(); // a new answer (after 100 Continue)
        else if (auto range = parse_content_range(line))
            transfer.content_range = range;
        return size * count;
    }

    static std::size_t on_write(char* data, std::size_t size, std::size_t count, void* self) {
        auto& transfer = *static_cast<Transfer*>(self);
        const std::size_t bytes = size * count;
        return transfer.accept(data, bytes) ? bytes : 0;
    }

    bool accept(const char* data, std::size_t bytes) {
        client->activity_.fetch_add(static_cast<std::int64_t>(bytes));
        if (client->aborted_.load()) {
            refusal = "aborted";
            return false;
        }
        if (!response_accepted) {
            long status = 0;
            curl_easy_getinfo(client->handles_->easy, CURLINFO_RESPONSE_CODE, &status);
            if (!is_success_status(status)) {
                refusal = "HTTP status " + std::to_string(status);
                return false;
            }
            HttpResponseHead head;
            head.status = status;
            if (content_range) {
                head.content_range_first = content_range->first;
                head.content_range_total = content_range->total;
            }
            curl_off_t length = -1;
            if (curl_easy_getinfo(client->handles_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T,
                                  &length) == CURLE_OK &&
                length >= 0)
                head.content_length = length;
            if (request && request->on_response && !request->on_response(head)) {
                refusal = "answer refused";
                return false;
            }
            response_accepted = true;
        }
        if (request && request->on_body && !request->on_body(data, bytes)) {
            refusal = "body not stored";
            return false;
        }
        received += static_cast<std::int64_t>(bytes);
        if (request && request->on_progress)
            request->on_progress(received);
        return true;
    }
};

HttpClient::HttpClient() : handles_(std::make_unique<Handles>()) {}

HttpClient::~HttpClient() = default;

void HttpClient::abort() {
    aborted_.store(true);
    if (handles_->multi)
        curl_multi_wakeup(handles_->multi);
}

void HttpClient::clear_abort() {
    aborted_.store(false);
}

HttpOutcome HttpClient::perform(Transfer& transfer) {
    CURL* easy = handles_->easy;
    CURLM* multi = handles_->multi;
    if (!easy || !multi)
        return HttpOutcome{false, 0, "libcurl could not be initialised"};

    handles_->error_buffer[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Mirrors and CDNs send their clients on to an edge; what is installed
    // is still decided by the file list's hashes, wherever the bytes came from.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, std::string(kDownloadUserAgent).c_str());
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, handles_->error_buffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::on_header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::on_write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);

    if (aborted_.load())
        return HttpOutcome{false, 0, "aborted"};
    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    bool done = false;
    bool aborted = false;
    while (!done) {
        if (aborted_.load()) {
            aborted = true;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (!done)
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    // Removing an unfinished transfer closes its connection; a finished one
    // stays in the cache for the next request to the same server.
    curl_multi_remove_handle(multi, easy);

    HttpOutcome outcome;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &outcome.status);
    if (aborted || (!transfer.refusal.empty() && transfer.refusal == "aborted")) {
        outcome.error = "aborted";
    } else if (!done || result != CURLE_OK) {
        if (!transfer.refusal.empty())
            outcome.error = transfer.refusal;
        else if (handles_->error_buffer[0] != '\0')
            outcome.error = handles_->error_buffer;
        else
            outcome.error = curl_easy_strerror(result);
    } else if (!is_success_status(outcome.status)) {
        outcome.error = "HTTP status " + std::to_string(outcome.status);
        if (outcome.status >= 300 && outcome.status <= 399)
            outcome.error += " (a redirect without a usable address)";
    } else {
        outcome.ok = true;
    }
    return outcome;
}

HttpHeadResult HttpClient::head(const std::string& url) {
    CURL* easy = handles_->easy;
    HttpHeadResult result;
    const std::string address = normalise_url(url);
    Transfer transfer;
    transfer.client = this;
    if (easy) {
        curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    }
    result.outcome = perform(transfer);
    if (result.outcome.ok) {
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
            result.content_length = length;
    }
    return result;
}

HttpOutcome HttpClient::get(const std::string& url, const HttpGetRequest& request) {
    CURL* easy = handles_->easy;
    const std::string address = normalise_url(url);
    curl_slist* headers = nullptr;
    for (const std::string& line : request.extra_headers)
        headers = curl_slist_append(headers, line.c_str());
    Transfer transfer;
    transfer.client = this;
    transfer.request = &request;
    if (easy) {
        curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    HttpOutcome outcome = perform(transfer);
    if (easy)
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    return outcome;
}

} // namespace launcher
