// The news browser's rules: which navigations stay inside the launcher, and
// completion or failure reported once per navigation. Under wine without its
// browser engine the control cannot be created, and a navigation fails.
#include "app_win32/news_browser.h"

#include <ole2.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace launcher::app {
namespace {

class NewsBrowserTest : public ::testing::Test {
protected:
    NewsBrowserTest() {
        ::OleInitialize(nullptr);
        panel_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
        browser_ = std::make_unique<NewsBrowser>(panel_, 0, -19, 206, 140);
        browser_->SetOnCompleted([this] { ++completed_; });
        browser_->SetOnFailed([this] { ++failed_; });
        browser_->SetOpenOutside(
            [this](const std::wstring& address) { opened_.push_back(address); });
    }
    ~NewsBrowserTest() override {
        browser_.reset();
        ::DestroyWindow(panel_);
        ::OleUninitialize();
    }

    HWND panel_ = nullptr;
    std::unique_ptr<NewsBrowser> browser_;
    int completed_ = 0;
    int failed_ = 0;
    std::vector<std::wstring> opened_;
};

TEST_F(NewsBrowserTest, OnlyTheNewsAddressStaysInsideOthersOpenOutside) {
    EXPECT_TRUE(IsNewsAddress(L"HTTP://Example.org/News/", L"http://example.org/news/"));
    EXPECT_FALSE(IsNewsAddress(L"http://example.org/news/a", L"http://example.org/news/"));

    browser_->Navigate(L"http://example.org/news/");
    EXPECT_TRUE(browser_->BeforeNavigate(L"http://EXAMPLE.org/news/"));
    EXPECT_FALSE(browser_->BeforeNavigate(L"http://example.org/shop"));
    EXPECT_EQ(opened_, std::vector<std::wstring>{L"http://example.org/shop"});

    // Detached, the browser loads whatever it is asked to and tells nothing.
    browser_->DetachHandlers();
    EXPECT_TRUE(browser_->BeforeNavigate(L"http://example.org/other"));
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(NewsBrowserTest, ANavigationEndsOnceCompletedOrFailed) {
    if (!browser_->available()) {
        browser_->Navigate(L"http://127.0.0.1:9/news/");
        EXPECT_EQ(failed_, 1) << "without a browser engine the page counts as failed at once";
        EXPECT_EQ(completed_, 0);
        return;
    }
    browser_->Navigate(L"http://127.0.0.1:9/news/");
    browser_->NavigateComplete();
    browser_->NavigateError();
    browser_->NavigateComplete();
    EXPECT_EQ(completed_ + failed_, 1);
}

} // namespace
} // namespace launcher::app
