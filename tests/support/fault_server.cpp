#include "support/fault_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace launcher::testing {
namespace {

constexpr int kPollMilliseconds = 10;

bool send_all(net::Socket socket, std::string_view data) {
    while (!data.empty()) {
        const long sent = net::send_some(socket, data.data(), data.size());
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct ParsedRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers; // lower-case names
};

ParsedRequest parse_request(const std::string& text) {
    ParsedRequest request;
    std::size_t line_end = text.find("\r\n");
    const std::string first_line = text.substr(0, line_end);
    const std::size_t space = first_line.find(' ');
    const std::size_t second_space = first_line.find(' ', space + 1);
    request.method = first_line.substr(0, space);
    request.path = first_line.substr(space + 1, second_space - space - 1);
    std::size_t start = line_end + 2;
    while (start < text.size()) {
        line_end = text.find("\r\n", start);
        const std::string line = text.substr(start, line_end - start);
        start = line_end + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        request.headers[lower(line.substr(0, colon))] = value;
    }
    return request;
}

// "bytes=a-b" as (a, b); nullopt when absent or not of that form.
std::optional<std::pair<std::int64_t, std::int64_t>> parse_range(const std::string& value) {
    if (value.rfind("bytes=", 0) != 0)
        return std::nullopt;
    const std::size_t dash = value.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    try {
        return std::pair{std::stoll(value.substr(6, dash - 6)), std::stoll(value.substr(dash + 1))};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string header(std::string_view status_line, std::int64_t length, std::string_view extra = {}) {
    std::string text = "HTTP/1.1 ";
    text += status_line;
    text += "\r\nContent-Length: " + std::to_string(length) + "\r\n";
    text += extra;
    text += "\r\n";
    return text;
}

} // namespace

FaultServer::FaultServer() {
    std::uint16_t port = 0;
    listener_ = net::listen_on("127.0.0.1", 0, 64, port);
    if (listener_ == net::kNoSocket)
        throw std::runtime_error("test server cannot listen");
    port_ = port;
    acceptor_ = std::thread([this] { accept_loop(); });
}

FaultServer::~FaultServer() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
        for (const net::Socket socket : open_sockets_)
            net::shut_down(socket);
    }
    changed_.notify_all();
    acceptor_.join();
    for (std::thread& connection : connections_)
        connection.join();
    net::close_socket(listener_);
}

std::string FaultServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void FaultServer::serve(const std::string& path, Resource resource) {
    std::lock_guard guard(mutex_);
    resources_[path] = std::move(resource);
}

void FaultServer::add_fault(const std::string& path, Fault fault) {
    std::lock_guard guard(mutex_);
    faults_[path].push_back(fault);
}

void FaultServer::release_drip_bytes(int count) {
    std::lock_guard guard(mutex_);
    drip_permits_ += count;
}

std::vector<LoggedRequest> FaultServer::requests() const {
    std::lock_guard guard(mutex_);
    return log_;
}

std::vector<LoggedRequest> FaultServer::gets(std::string_view path) const {
    std::vector<LoggedRequest> result;
    for (const LoggedRequest& request : requests())
        if (request.method == "GET" && request.path == path)
            result.push_back(request);
    return result;
}

int FaultServer::connection_count() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(connections_.size());
}

int FaultServer::most_open_connections() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(most_open_);
}

void FaultServer::accept_loop() {
    int next_connection = 1;
    for (;;) {
        {
            std::lock_guard guard(mutex_);
            if (stopping_)
                return;
        }
        if (!net::readable_within(listener_, kPollMilliseconds))
            continue;
        const net::Socket socket = net::accept_from(listener_);
        if (socket == net::kNoSocket)
            continue;
        std::lock_guard guard(mutex_);
        open_sockets_.push_back(socket);
        most_open_ = std::max(most_open_, open_sockets_.size());
        const int connection = next_connection++;
        connections_.emplace_back(
            [this, socket, connection] { serve_connection(socket, connection); });
    }
}

void FaultServer::serve_connection(net::Socket socket, int connection) {
    std::string pending;
    char buffer[4096];
    for (bool open = true; open;) {
        const std::size_t end = pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string request = pending.substr(0, end + 4);
            pending.erase(0, end + 4);
            open = answer(socket, connection, request);
            continue;
        }
        // Waits in short polls: a shut-down socket does not wake a blocked
        // receive everywhere (wine's winsock leaves it waiting).
        if (!net::readable_within(socket, kPollMilliseconds)) {
            std::lock_guard guard(mutex_);
            if (stopping_)
                break;
            continue;
        }
        const long received = net::receive_some(socket, buffer, sizeof(buffer));
        if (received <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(received));
    }
    std::lock_guard guard(mutex_);
    std::erase(open_sockets_, socket);
    net::close_socket(socket);
}

std::optional<Fault> FaultServer::take_fault(const std::string& path,
                                             std::optional<std::int64_t> first) {
    std::lock_guard guard(mutex_);
    auto found = faults_.find(path);
    if (found == faults_.end())
        return std::nullopt;
    auto& list = found->second;
    for (auto fault = list.begin(); fault != list.end(); ++fault) {
        if (fault->range_first && fault->range_first != first)
            continue;
        const Fault chosen = *fault;
        if (fault->times > 0 && --fault->times == 0)
            list.erase(fault);
        return chosen;
    }
    return std::nullopt;
}

bool FaultServer::hold_until_closed(net::Socket socket) {
    char byte = 0;
    for (;;) {
        {
            std::lock_guard guard(mutex_);
            if (stopping_)
                return false;
        }
        if (net::readable_within(socket, kPollMilliseconds) &&
            net::receive_some(socket, &byte, 1) <= 0)
            return false;
    }
}

bool FaultServer::wait_for_drip_permit(net::Socket socket) {
    char byte = 0;
    for (;;) {
        {
            std::lock_guard guard(mutex_);
            if (stopping_)
                return false;
            if (drip_permits_ > 0) {
                --drip_permits_;
                return true;
            }
        }
        if (net::readable_within(socket, kPollMilliseconds) &&
            net::receive_some(socket, &byte, 1, true) <= 0)
            return false;
    }
}

bool FaultServer::answer(net::Socket socket, int connection, const std::string& request_text) {
    const ParsedRequest request = parse_request(request_text);
    const std::string range_text =
        request.headers.contains("range") ? request.headers.at("range") : std::string();
    Resource resource;
    bool known = false;
    {
        std::lock_guard guard(mutex_);
        log_.push_back(LoggedRequest{request.method, request.path, range_text,
                                     request.headers.contains("user-agent")
                                         ? request.headers.at("user-agent")
                                         : std::string(),
                                     connection});
        if (auto found = resources_.find(request.path); found != resources_.end()) {
            resource = found->second;
            known = true;
        }
    }
    if (!known) {
        const std::string page = "not here";
        const bool with_body = request.method != "HEAD";
        return send_all(socket, header("404 Not Found", static_cast<std::int64_t>(page.size())) +
                                    (with_body ? page : std::string()));
    }
    const auto length = static_cast<std::int64_t>(resource.body.size());
    const auto location_line = [this](const std::string& where) {
        return "Location: " + (where.starts_with("/") ? url(where) : where) + "\r\n";
    };

    if (request.method == "HEAD") {
        if (resource.head_never_answers)
            return hold_until_closed(socket);
        if (resource.head_delay.count() > 0)
            std::this_thread::sleep_for(resource.head_delay);
        if (resource.head_status >= 300 && resource.head_status < 400)
            return send_all(socket, header("302 Found", 0, location_line(resource.head_location)));
        const std::string status = std::to_string(resource.head_status) + " Status";
        switch (resource.head_length) {
        case HeadLength::Given:
            return send_all(socket, header(status, resource.head_stated_length.value_or(length),
                                           "Accept-Ranges: bytes\r\n"));
        case HeadLength::Zero:
            return send_all(socket, header(status, 0));
        case HeadLength::Absent:
            send_all(socket, "HTTP/1.1 " + status + "\r\nConnection: close\r\n\r\n");
            return false;
        }
    }

    const auto range = parse_range(range_text);
    const std::optional<std::int64_t> first =
        range ? std::optional<std::int64_t>(range->first) : std::nullopt;
    const std::optional<Fault> fault = take_fault(request.path, first);
    if (fault && fault->kind == Fault::Kind::Status) {
        const std::string page = "error page";
        return send_all(socket, header(std::to_string(fault->status) + " Error",
                                       static_cast<std::int64_t>(page.size())) +
                                    page);
    }
    if (fault && fault->kind == Fault::Kind::Redirect)
        return send_all(socket, header("302 Found", 0, location_line(fault->location)));
    if (fault && fault->kind == Fault::Kind::StallBeforeHeaders)
        return hold_until_closed(socket);

    std::string body = resource.body;
    std::string head;
    if (range && !resource.ignore_range && range->first < length) {
        const std::int64_t last = std::min(range->second, length - 1);
        body = resource.body.substr(static_cast<std::size_t>(range->first),
                                    static_cast<std::size_t>(last - range->first + 1));
        head = header("206 Partial Content", static_cast<std::int64_t>(body.size()),
                      "Content-Range: bytes " + std::to_string(range->first) + "-" +
                          std::to_string(last) + "/" + std::to_string(length) + "\r\n");
    } else {
        head = header("200 OK", length);
    }
    if (!send_all(socket, head))
        return false;
    if (!fault)
        return send_all(socket, body);

    const auto prefix = static_cast<std::size_t>(
        std::min<std::int64_t>(fault->after_bytes, static_cast<std::int64_t>(body.size())));
    switch (fault->kind) {
    case Fault::Kind::StallAfterBytes:
        send_all(socket, std::string_view(body).substr(0, prefix));
        return hold_until_closed(socket);
    case Fault::Kind::DropAfterBytes:
        send_all(socket, std::string_view(body).substr(0, prefix));
        return false;
    case Fault::Kind::Drip:
        for (char byte : body)
            if (!wait_for_drip_permit(socket) || !send_all(socket, std::string_view(&byte, 1)))
                return false;
        return true;
    default:
        return send_all(socket, body);
    }
}

} // namespace launcher::testing
