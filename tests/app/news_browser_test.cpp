#include "app/news_browser.h"
#include "support/temp_dir.h"

#include <QTest>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

struct AddressCase {
    const char* target;
    const char* news_url;
    bool is_news;
};

class NewsAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(NewsAddressTest, OnlyTheNewsAddressStaysInside) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(IsNewsAddress(QUrl(c.target), c.news_url), c.is_news) << c.target;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, NewsAddressTest,
    ::testing::Values(AddressCase{"http://news.example/page", "HTTP://News.Example/Page", true},
                      AddressCase{"http://news.example/", "http://news.example", true},
                      AddressCase{"about:blank", "about:blank", true},
                      AddressCase{"http://news.example/other", "http://news.example/page", false},
                      AddressCase{"http://news.example/page#top", "http://news.example/page",
                                  false},
                      AddressCase{"http://news.example/", "", false}));

// A browser shown in a window, with every address it sends outside recorded.
class NewsBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(400, 300);
        browser = new NewsBrowser(&host);
        browser->resize(400, 300);
        browser->SetOpenOutside([this](const QUrl& url) { outside.push_back(url); });
        browser->SetOnCompleted([this] { ++completed; });
        browser->SetOnFailed([this] { ++failed; });
        host.show();
    }

    bool wait_for(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 20000);
    }

    testing::TempDir folder;
    QWidget host;
    NewsBrowser* browser = nullptr;
    std::vector<QUrl> outside;
    int completed = 0;
    int failed = 0;
};

// The engine draws a page whose background is see-through above every other
// widget of the window, so the message panel could not lie above the news.
TEST_F(NewsBrowserTest, PageBackgroundIsAlwaysOpaque) {
    EXPECT_EQ(browser->page()->backgroundColor().alpha(), 255);
    browser->SetBaseColor(QColor(10, 20, 30, 0));
    EXPECT_EQ(browser->page()->backgroundColor(), QColor(10, 20, 30));
}

TEST_F(NewsBrowserTest, OtherAddressesGoOutsideUntilTheHandlersAreDetached) {
    browser->Navigate("http://news.example/");
    EXPECT_TRUE(browser->BeforeNavigate(QUrl("HTTP://NEWS.EXAMPLE/")));
    EXPECT_FALSE(browser->BeforeNavigate(QUrl("http://shop.example/")));
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside[0], QUrl("http://shop.example/"));

    browser->DetachHandlers();
    EXPECT_TRUE(browser->BeforeNavigate(QUrl("http://shop.example/")));
    EXPECT_EQ(outside.size(), 1u);
}

TEST_F(NewsBrowserTest, LinkAndFrameOfTheNewsPageOpenOutsideAndThePageStays) {
    folder.write("frame.html", "<p>frame</p>");
    folder.write("news.html", "<a id='link' href='https://shop.example/'>shop</a>"
                              "<iframe src='frame.html'></iframe>");
    const QString news =
        QUrl::fromLocalFile(QString::fromStdString((folder / "news.html").string())).toString();
    browser->Navigate(news);
    ASSERT_TRUE(wait_for([&] { return browser->finished(); }));
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(failed, 0);
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside[0].fileName(), "frame.html");

    browser->page()->runJavaScript("document.getElementById('link').click()");
    ASSERT_TRUE(wait_for([&] { return outside.size() == 2; }));
    EXPECT_EQ(outside[1], QUrl("https://shop.example/"));
    QTest::qWait(200);
    EXPECT_EQ(browser->url(), QUrl(news));
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(failed, 0);
}

TEST_F(NewsBrowserTest, NewsPageThatCannotBeReachedFails) {
    browser->Navigate("http://127.0.0.1:1/");
    ASSERT_TRUE(wait_for([&] { return browser->finished(); }));
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(completed, 0);
}

} // namespace
} // namespace launcher::app
