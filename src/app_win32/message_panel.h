#pragma once

#include "platform/event_loop.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace launcher::app {

// The main window's sliding message panel, a child window so that it lies
// above the news page: a message makes it grow by 5 pixels every 100 ms to
// 45 pixels, it stays open for ten seconds and then hides; its "X" button
// hides it at once. A message that arrives while it is open only replaces
// the text. A message of more lines than the designed label holds makes the
// panel grow on until every line shows.
class MessagePanel {
public:
    static constexpr int kGrowSteps = 9;
    static constexpr int kGrowPixels = 5;

    MessagePanel(platform::EventLoop& loop, HWND parent);
    ~MessagePanel();
    MessagePanel(const MessagePanel&) = delete;
    MessagePanel& operator=(const MessagePanel&) = delete;

    void MsgShow(std::string_view text);
    // The height the panel opens to: 45 pixels, or more for a long message.
    int OpenHeight() const;
    bool visible() const { return ::IsWindowVisible(window_) != FALSE; }
    HWND window() const { return window_; }

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    void MsgTimerTimer();
    void close_panel();
    void paint(HDC dc) const;

    platform::EventLoop& loop_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring text_;
    int label_height_ = 29;
    int text_height_ = 0;
    int steps_ = 0; // the grow timer's step counter, 0 at rest
    platform::EventLoop::TimerId MsgTimer = 0;
    platform::EventLoop::TimerId MsgTimer2 = 0;
};

} // namespace launcher::app
