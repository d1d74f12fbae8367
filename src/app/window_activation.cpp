#include "app/window_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

namespace launcher::app {
namespace {

void focus_now_on_x11(QWidget& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_flush(connection);
}

} // namespace

void BringToFront(QWidget& window) {
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
    focus_now_on_x11(window);
}

} // namespace launcher::app
