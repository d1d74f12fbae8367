#pragma once

#include <QFrame>
#include <QTimer>
#include <string_view>

class QLabel;
class QPushButton;

namespace launcher::app {

// The main window's sliding message panel: a message makes it grow by 5
// pixels every 100 ms to 45 pixels, it stays open for ten seconds and then
// hides; its "X" button hides it at once. A message that arrives while it is
// open only replaces the text. A message of more lines than the designed
// label holds makes the panel grow on until every line shows.
class MessagePanel final : public QFrame {
public:
    static constexpr int kGrowSteps = 9;
    static constexpr int kGrowPixels = 5;

    explicit MessagePanel(QWidget* parent);

    void MsgShow(std::string_view text);
    QString text() const;
    // The height the panel opens to: 45 pixels, or more for a long message.
    int OpenHeight() const;

    QTimer MsgTimer;
    QTimer MsgTimer2;
    QLabel* MsgLabel;
    QPushButton* MsgCloseBtn;

private:
    void MsgTimerTimer();
    void close_panel();

    int steps_ = 0; // the grow timer's step counter, 0 at rest
};

} // namespace launcher::app
