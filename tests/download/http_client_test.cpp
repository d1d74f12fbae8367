#include "download/download_test_support.h"
#include "download/http_client.h"
#include "support/fault_server.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::Fault;
using testing::FaultServer;
using testing::HeadLength;
using testing::Resource;

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { server.serve("/file.vdp", Resource{.body = content}); }

    HttpOutcome get(const std::string& path, std::string* body,
                    std::vector<std::string> headers = {}) {
        HttpGetRequest request;
        request.extra_headers = std::move(headers);
        request.on_body = [body](const char* data, std::size_t size) {
            body->append(data, size);
            return true;
        };
        request.on_progress = [this](std::int64_t received) { progress.push_back(received); };
        return client.get(server.url(path), request);
    }

    const std::string content = testing::make_content(300'000);
    FaultServer server;
    HttpClient client;
    std::vector<std::int64_t> progress;
    std::atomic<std::int64_t> progress_seen{0};
};

TEST_F(HttpClientTest, HeadGivesStatusAndLength) {
    const HttpHeadResult result = client.head(server.url("/file.vdp"));
    ASSERT_TRUE(result.outcome.ok) << result.outcome.error;
    EXPECT_EQ(result.outcome.status, 200);
    EXPECT_EQ(result.content_length, 300'000);
}

TEST_F(HttpClientTest, HeadWithoutContentLengthReadsMinusOne) {
    server.serve("/nolength", Resource{.body = "abc", .head_length = HeadLength::Absent});
    const HttpHeadResult result = client.head(server.url("/nolength"));
    ASSERT_TRUE(result.outcome.ok) << result.outcome.error;
    EXPECT_EQ(result.content_length, -1);
}

TEST_F(HttpClientTest, HeadFailsOnErrorStatus) {
    EXPECT_FALSE(client.head(server.url("/missing")).outcome.ok);
}

// Mirrors send clients on to their edges: a few redirects are followed, to
// http and https only, for HEAD and for ranged GETs alike.
TEST_F(HttpClientTest, RedirectsAreFollowedABoundedNumberOfTimes) {
    struct Case {
        const char* what;
        std::string location;
        bool endless;
        bool ok;
    };
    const Case cases[] = {
        {"to another path", "/moved", false, true},
        {"to another server's address", "", false, true},
        {"in a loop", "/moved", true, false},
        {"to another scheme", "ftp://127.0.0.1:9/file.vdp", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FaultServer mirror;
        mirror.serve("/edge", Resource{.body = content});
        const std::string location = c.location.empty() ? mirror.url("/edge") : c.location;
        FaultServer origin;
        origin.serve("/file.vdp",
                     Resource{.body = content, .head_status = 302, .head_location = location});
        origin.serve("/moved", Resource{.body = content});
        const Fault redirect{.kind = Fault::Kind::Redirect,
                             .times = c.endless ? Fault::kEveryRequest : 1,
                             .location = location};
        origin.add_fault("/file.vdp", redirect);
        if (c.endless) {
            origin.add_fault("/moved", redirect);
            origin.serve("/moved",
                         Resource{.body = content, .head_status = 302, .head_location = location});
        }

        const HttpHeadResult head = client.head(origin.url("/file.vdp"));
        EXPECT_EQ(head.outcome.ok, c.ok) << head.outcome.error;
        if (c.ok)
            EXPECT_EQ(head.content_length, 300'000);
        std::string body;
        HttpGetRequest request;
        request.extra_headers = {"Range: bytes=100-199"};
        request.on_body = [&body](const char* data, std::size_t size) {
            body.append(data, size);
            return true;
        };
        const HttpOutcome outcome = client.get(origin.url("/file.vdp"), request);
        EXPECT_EQ(outcome.ok, c.ok) << outcome.error;
        EXPECT_EQ(body, c.ok ? content.substr(100, 100) : std::string());
        const auto requests = origin.requests().size() + mirror.requests().size();
        EXPECT_LE(requests, 2 * (1 + static_cast<std::size_t>(kMaxRedirects)));
        if (c.ok) {
            const auto served = c.location.empty() ? mirror.requests() : origin.requests();
            EXPECT_EQ(served.back().range, "bytes=100-199") << "the range goes along";
        }
    }
}

TEST_F(HttpClientTest, GetDeliversBodyAndCumulativeProgress) {
    std::string body;
    const HttpOutcome outcome = get("/file.vdp", &body);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(body, content);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 300'000);
}

TEST_F(HttpClientTest, RangeLineIsSentUnchangedWithTheUserAgentOnEveryRequest) {
    std::string body;
    ASSERT_TRUE(get("/file.vdp", &body, {"Range: bytes=100-199"}).ok);
    EXPECT_EQ(body, content.substr(100, 100));
    ASSERT_TRUE(client.head(server.url("/file.vdp")).outcome.ok);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].range, "bytes=100-199");
    for (const auto& request : requests)
        EXPECT_EQ(request.user_agent, kDownloadUserAgent);
}

TEST_F(HttpClientTest, ErrorAnswersFailWithoutWritingTheirBody) {
    struct Case {
        Fault fault;
        const char* what;
    };
    const Case cases[] = {
        {Fault{.kind = Fault::Kind::Status, .status = 404}, "404"},
        {Fault{.kind = Fault::Kind::Status, .status = 500}, "500"},
    };
    for (const Case& error : cases) {
        server.add_fault("/file.vdp", error.fault);
        std::string body;
        EXPECT_FALSE(get("/file.vdp", &body).ok) << error.what;
        EXPECT_TRUE(body.empty()) << error.what;
    }
}

TEST_F(HttpClientTest, DroppedConnectionMidBodyFails) {
    server.add_fault("/file.vdp", Fault{.kind = Fault::Kind::DropAfterBytes, .after_bytes = 1000});
    std::string body;
    EXPECT_FALSE(get("/file.vdp", &body).ok);
    EXPECT_EQ(body, content.substr(0, 1000));
}

TEST_F(HttpClientTest, RefusedAnswerFailsBeforeAnyBodyByte) {
    HttpGetRequest request;
    std::optional<HttpResponseHead> seen;
    bool body_called = false;
    request.extra_headers = {"Range: bytes=10-19"};
    request.on_response = [&](const HttpResponseHead& head) {
        seen = head;
        return false;
    };
    request.on_body = [&](const char*, std::size_t) { return body_called = true; };
    EXPECT_FALSE(client.get(server.url("/file.vdp"), request).ok);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->status, 206);
    EXPECT_EQ(seen->content_range_first, 10);
    EXPECT_FALSE(body_called);
}

TEST_F(HttpClientTest, AbortFromAnotherThreadEndsAStalledRequest) {
    server.add_fault("/file.vdp", Fault{.kind = Fault::Kind::StallAfterBytes, .after_bytes = 500});
    std::thread aborter([&] {
        while (server.gets("/file.vdp").empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        while (progress_seen.load() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        client.abort();
    });
    HttpGetRequest request;
    request.on_progress = [&](std::int64_t received) { progress_seen.store(received); };
    const HttpOutcome outcome = client.get(server.url("/file.vdp"), request);
    aborter.join();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(progress_seen.load(), 500);

    // The abort stays in force until cleared; afterwards the client works again.
    std::string body;
    EXPECT_FALSE(get("/file.vdp", &body).ok);
    client.clear_abort();
    EXPECT_TRUE(get("/file.vdp", &body).ok);
}

TEST_F(HttpClientTest, ConnectionIsReusedAcrossRequests) {
    std::string body;
    ASSERT_TRUE(client.head(server.url("/file.vdp")).outcome.ok);
    ASSERT_TRUE(get("/file.vdp", &body, {"Range: bytes=0-9"}).ok);
    ASSERT_TRUE(get("/file.vdp", &body, {"Range: bytes=10-19"}).ok);
    EXPECT_EQ(server.connection_count(), 1);
}

TEST_F(HttpClientTest, BackslashedNameIsSentWithSlashes) {
    server.serve("/system/jux.exe.vdp", Resource{.body = "packed"});
    std::string body;
    ASSERT_TRUE(get("\\system\\jux.exe.vdp", &body).ok);
    EXPECT_EQ(body, "packed");
}

TEST(NormaliseUrl, TurnsBackslashesBeforeQueryOrFragment) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://host/a\\b\\c.vdp", "http://host/a/b/c.vdp"},
        {"http://host/a\\b?x=\\y", "http://host/a/b?x=\\y"},
        {"http://host/a\\b#frag\\x", "http://host/a/b#frag\\x"},
        {"http://host/plain", "http://host/plain"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(normalise_url(input), expected) << input;
}

} // namespace
} // namespace launcher
