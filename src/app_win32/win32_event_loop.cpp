#include "app_win32/win32_event_loop.h"

#include <condition_variable>
#include <exception>
#include <stdexcept>

namespace launcher::app {
namespace {

constexpr wchar_t kWindowClass[] = L"LauncherEventLoop";
constexpr UINT kHandOffMessage = WM_APP + 1;

} // namespace

struct Win32EventLoop::HandOff {
    Task task;
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false;
};

Win32EventLoop::Win32EventLoop() : interface_thread_(std::this_thread::get_id()) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Win32EventLoop::window_procedure;
    window_class.hInstance = instance;
    window_class.lpszClassName = kWindowClass;
    ::RegisterClassExW(&window_class); // fails harmlessly for a second loop
    window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
    if (window_ == nullptr)
        throw std::runtime_error("Cannot create the event loop's window");
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32EventLoop::~Win32EventLoop() {
    for (const auto& [id, timer] : timers_)
        ::KillTimer(window_, static_cast<UINT_PTR>(id));
    // A worker still waiting must not wait forever on a loop that is gone.
    run_hand_offs();
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

bool Win32EventLoop::is_interface_thread() const {
    return std::this_thread::get_id() == interface_thread_;
}

LRESULT CALLBACK Win32EventLoop::window_procedure(HWND window, UINT message, WPARAM wparam,
                                                  LPARAM lparam) {
    auto* loop = reinterpret_cast<Win32EventLoop*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (loop != nullptr) {
        if (message == kHandOffMessage) {
            loop->run_hand_offs();
            return 0;
        }
        if (message == WM_TIMER) {
            loop->run_timer(wparam);
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

void Win32EventLoop::run_and_wait(Task task) {
    if (is_interface_thread()) {
        task();
        return;
    }
    auto hand_off = std::make_shared<HandOff>();
    hand_off->task = std::move(task);
    {
        const std::lock_guard lock(mutex_);
        hand_offs_.push_back(hand_off);
    }
    // The message only wakes the interface thread; the queue holds the work,
    // so a nested message loop (a message box, a drag) runs it as well.
    ::PostMessageW(window_, kHandOffMessage, 0, 0);
    std::unique_lock lock(hand_off->mutex);
    hand_off->done_signal.wait(lock, [&] { return hand_off->done; });
    if (hand_off->error)
        std::rethrow_exception(hand_off->error);
}

void Win32EventLoop::run_hand_offs() {
    for (;;) {
        std::shared_ptr<HandOff> next;
        {
            const std::lock_guard lock(mutex_);
            if (hand_offs_.empty())
                return;
            next = std::move(hand_offs_.front());
            hand_offs_.pop_front();
        }
        try {
            next->task();
        } catch (...) {
            next->error = std::current_exception();
        }
        const std::lock_guard lock(next->mutex);
        next->done = true;
        next->done_signal.notify_all();
    }
}

bool Win32EventLoop::pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitting_ = true;
            exit_code_ = static_cast<int>(message.wParam);
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

void Win32EventLoop::process_pending(platform::Milliseconds max_wait) {
    if (max_wait.count() > 0 && !quitting_) {
        // Returns as soon as anything is queued, also messages that an
        // earlier look at the queue has seen but not taken.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(max_wait.count()), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
    run_hand_offs();
    pump();
}

Win32EventLoop::TimerId Win32EventLoop::start_timer(platform::Milliseconds period, Task on_tick) {
    const TimerId id = next_timer_id_++;
    auto timer = std::make_shared<Timer>();
    timer->on_tick = std::move(on_tick);
    timers_.emplace(id, timer);
    ::SetTimer(window_, static_cast<UINT_PTR>(id),
               static_cast<UINT>(std::max<std::int64_t>(period.count(), USER_TIMER_MINIMUM)),
               nullptr);
    return id;
}

void Win32EventLoop::stop_timer(TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    ::KillTimer(window_, static_cast<UINT_PTR>(id));
    timers_.erase(found);
}

void Win32EventLoop::run_timer(UINT_PTR id) {
    const auto found = timers_.find(static_cast<TimerId>(id));
    if (found == timers_.end())
        return;
    // Keeps the timer and its callable alive when the tick stops it.
    const std::shared_ptr<Timer> timer = found->second;
    if (timer->running)
        return;
    timer->running = true;
    struct Clear {
        Timer& timer;
        ~Clear() { timer.running = false; }
    } clear{*timer};
    timer->on_tick();
}

int Win32EventLoop::Run() {
    while (!quitting_) {
        MSG message;
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            quitting_ = true;
            exit_code_ = static_cast<int>(message.wParam);
            break;
        }
        if (got < 0)
            break;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return exit_code_;
}

void Win32EventLoop::Quit(int code) {
    quitting_ = true;
    exit_code_ = code;
    ::PostQuitMessage(code);
}

} // namespace launcher::app
