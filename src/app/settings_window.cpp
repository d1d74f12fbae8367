#include "app/settings_window.h"

#include "app/bitmap_image.h"
#include "app/language_text.h"
#include "app/qt_region.h"
#include "app/skin_label.h"
#include "app/skin_qt_apply.h"
#include "config/config_data.h"
#include "config/language_table.h"
#include "config/user_settings.h"
#include "platform/text.h"
#include "skin/skin_apply.h"
#include "skin/skin_windows.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <string>

namespace launcher::app {
namespace {

// The right-aligned captions end here, next to the controls at x = 335.
constexpr int kCaptionRightEdge = 328;

constexpr int kFadeInterval = 20; // milliseconds per unroll step

QComboBox* new_list(QWidget* parent, const QRect& design) {
    auto* box = new QComboBox(parent);
    box->setEditable(false);
    box->setGeometry(design);
    return box;
}

TRightAlignedLabel* new_caption(QWidget* parent, int top) {
    auto* label = new TRightAlignedLabel(parent);
    label->setGeometry(kCaptionRightEdge, top, 0, 0);
    return label;
}

} // namespace

QPoint SettingsWindowPosition(const QRect& main_window, const QSize& dialog) {
    const Point at = launcher::SettingsWindowPosition(
        Rect{main_window.left(), main_window.top(), main_window.left() + main_window.width(),
             main_window.top() + main_window.height()},
        dialog.width(), dialog.height());
    return {at.x, at.y};
}

TFSettings::TFSettings(tConfigData& config, const TqorConfigWindow& skin, UserSettings& main_values,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), config_(config), skin_(skin),
      main_values_(main_values) {
    setModal(true);
    setFixedSize(kDesignWidth, kDesignHeight);
    create_controls();
    FormCreate();
}

TFSettings::~TFSettings() = default;

void TFSettings::create_controls() {
    QFont design_font = font();
    design_font.setPixelSize(11);
    setFont(design_font);

    // Declared order: later controls lie on top of earlier ones.
    SettingsControls& c = controls_;
    c.Text_Title = new TLabel(this);
    c.Text_Title->move(253, 72);
    c.Box_Language = new_list(this, {335, 107, 73, 21});
    c.Text_Language = new_caption(this, 108);
    c.Check_Autoclose = new QCheckBox(this);
    c.Check_Autoclose->setGeometry(335, 136, 13, 17);
    c.Text_Autoclose = new_caption(this, 135);
    c.Button_Ok = new QPushButton("Ok", this);
    c.Button_Ok->setGeometry(400, 304, 99, 33);
    c.Box_Proxy = new_list(this, {335, 161, 164, 21});
    c.Text_Proxy = new_caption(this, 162);
    c.Box_DriveType = new_list(this, {335, 192, 164, 21});
    c.Text_DriveType = new_caption(this, 193);
    c.Box_CheckType = new_list(this, {335, 223, 164, 21});
    c.Text_CheckType = new_caption(this, 224);

    for (const std::string_view item : kDriveTypeItems)
        c.Box_DriveType->addItem(qstring(item));
    for (const std::string_view item : kCheckTypeItems)
        c.Box_CheckType->addItem(qstring(item));
    // Never empty, so a selection always has a text.
    c.Box_Proxy->addItem(qstring(kAutoProxyItem));

    connect(c.Button_Ok, &QPushButton::clicked, this, &QDialog::accept);
    // Only the player's picks count, not the selection the opening shows.
    connect(c.Box_Language, &QComboBox::activated, this, [this] { Box_LanguageChange(); });

    FadeIn.setInterval(kFadeInterval);
    connect(&FadeIn, &QTimer::timeout, this, [this] { FadeInTimer(); });
}

void TFSettings::FormCreate() {
    const Bitmap& background = skin_.BackGroundImage.image;
    background_ = ToQImage(WithoutAlpha(background));
    // Without a background the dialog keeps its rectangle rather than vanish.
    if (const auto region = SettingsWindowRegion(background))
        setMask(ToQRegion(*region));

    for (const auto& section : config_.LanguageCollection.List)
        controls_.Box_Language->addItem(qstring(section.object->Item), qstring(section.text));
    apply_permissions();
}

void TFSettings::apply_permissions() {
    const tConfigRecord& can = config_.Config;
    SettingsControls& c = controls_;
    c.Box_Language->setEnabled(can.UserCan_ChangeLanguage);
    c.Check_Autoclose->setChecked(can.DefaultAutoClose);
    c.Check_Autoclose->setEnabled(can.UserCan_ChangeAutoClose);
    c.Box_Proxy->setEnabled(can.UserCan_ChangeProxy);
    c.Box_DriveType->setEnabled(can.UserCan_ChangeDriveType);
    if (!can.UserCan_ChangeDriveType)
        c.Box_DriveType->setCurrentIndex(0);
    c.Box_CheckType->setEnabled(can.UserCan_ChangeCheckMethod);
    if (!can.UserCan_ChangeCheckMethod)
        c.Box_CheckType->setCurrentIndex(0);
}

void TFSettings::SetDataToForm() {
    background_ = ToQImage(WithoutAlpha(skin_.BackGroundImage.image));
    SettingsControls& c = controls_;
    ApplyLabelSkin(skin_.Text_Title, *c.Text_Title);
    ApplyLabelSkin(skin_.Text_Language, *c.Text_Language);
    ApplyLabelSkin(skin_.Text_Autoclose, *c.Text_Autoclose);
    ApplyLabelSkin(skin_.Text_Proxy, *c.Text_Proxy);
    ApplyLabelSkin(skin_.Text_DriveType, *c.Text_DriveType);
    ApplyLabelSkin(skin_.Text_CheckType, *c.Text_CheckType);
    ApplyWidgetSkin(skin_.Box_Language.parameters, *c.Box_Language);
    ApplyWidgetSkin(skin_.Check_Autoclose.parameters, *c.Check_Autoclose);
    ApplyWidgetSkin(skin_.Box_Proxy.parameters, *c.Box_Proxy);
    ApplyWidgetSkin(skin_.Box_DriveType.parameters, *c.Box_DriveType);
    ApplyWidgetSkin(skin_.Box_CheckType.parameters, *c.Box_CheckType);
    ApplyWidgetSkin(skin_.Button_Ok.parameters, *c.Button_Ok);
    apply_control_look();
    update();
}

// The lists, the check box and the Ok button take the skin's look: the
// captions' font and colour on a face made from the background under the
// controls, instead of the light native look on a dark skin.
void TFSettings::apply_control_look() {
    SettingsControls& c = controls_;
    const QFont font = c.Text_Language->font();
    const QColor text = c.Text_Language->palette().color(QPalette::WindowText);
    QRect under;
    for (QWidget* control : std::initializer_list<QWidget*>{
             c.Box_Language, c.Check_Autoclose, c.Box_Proxy, c.Box_DriveType, c.Box_CheckType})
        under = under.united(control->geometry());
    const QColor ground = MeanColor(skin_.BackGroundImage.image, under);
    QPalette look(MixColors(ground, text, 0.14), ground);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        look.setColor(role, text);
    look.setColor(QPalette::Base, MixColors(ground, text, 0.12));
    look.setColor(QPalette::AlternateBase, MixColors(ground, text, 0.10));
    look.setColor(QPalette::Highlight, MixColors(ground, text, 0.32));
    look.setColor(QPalette::HighlightedText, text);
    const QColor faint = MixColors(text, ground, 0.55);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        look.setColor(QPalette::Disabled, role, faint);
    for (QWidget* control :
         std::initializer_list<QWidget*>{c.Box_Language, c.Check_Autoclose, c.Box_Proxy,
                                         c.Box_DriveType, c.Box_CheckType, c.Button_Ok}) {
        control->setPalette(look);
        control->setFont(font);
    }
    // The style draws the check box's frame a shade darker than the window
    // colour: a light one keeps it visible on the dark face.
    QPalette check = look;
    check.setColor(QPalette::Window, MixColors(ground, text, 0.6));
    c.Check_Autoclose->setPalette(check);
    // The lists' drop-downs are windows of their own: they take it too.
    for (QComboBox* box : {c.Box_Language, c.Box_Proxy, c.Box_DriveType, c.Box_CheckType}) {
        box->view()->setPalette(look);
        box->view()->setFont(font);
    }
}

void TFSettings::SetLanguage() {
    SettingsControls& c = controls_;
    c.Text_Title->SetCaption(text_of(12));
    c.Text_Language->SetCaption(text_of(13));
    c.Text_Autoclose->SetCaption(text_of(14));
    c.Text_Proxy->SetCaption(text_of(20));
    c.Text_DriveType->SetCaption(text_of(22));
    c.Text_CheckType->SetCaption(text_of(23));
}

void TFSettings::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

void TFSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window brought back by the system is not a new opening.
    if (!event->spontaneous())
        FormShow();
}

void TFSettings::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Closed while unrolling: the next opening must unroll to the full width
    // again, not to the width reached so far.
    if (!event->spontaneous() && FadeIn.isActive()) {
        FadeIn.stop();
        set_width(FormWidth);
    }
}

void TFSettings::FormShow() {
    const bool fade = config_.SettingsWindow.FadeEffect;
    apply_permissions();
    SetLanguage();
    if (fade) {
        FormWidth = width();
        set_width(0);
    }
    show_language();
    if (controls_.Check_Autoclose->isEnabled())
        controls_.Check_Autoclose->setChecked(main_values_.AutoClose);
    show_proxies();
    show_drive_type();
    show_check_mode();
    if (fade)
        FadeIn.start();
}

void TFSettings::show_language() {
    QComboBox& box = *controls_.Box_Language;
    if (!box.isEnabled())
        return;
    const int section = box.findData(qstring(std::to_string(main_values_.LangConst)));
    if (section >= 0)
        box.setCurrentIndex(section);
}

void TFSettings::show_proxies() {
    QComboBox& box = *controls_.Box_Proxy;
    const ProxyListView view =
        ProxyListItems(config_.ProxyServers, main_values_.SelProxy, box.isEnabled());
    box.clear();
    for (const std::string& item : view.items)
        box.addItem(qstring(item));
    box.setCurrentIndex(view.selected);
}

void TFSettings::show_drive_type() {
    QComboBox& box = *controls_.Box_DriveType;
    if (box.isEnabled())
        box.setCurrentIndex(DriveTypeIndex(main_values_.DriveType));
}

void TFSettings::show_check_mode() {
    QComboBox& box = *controls_.Box_CheckType;
    if (!box.isEnabled())
        return;
    // A text that matches no item leaves the selection as it was.
    if (const auto item = CheckModeIndex(main_values_.CheckMode))
        box.setCurrentIndex(*item);
}

void TFSettings::FadeInTimer() {
    const int next = width() + kFadeStep;
    if (next < FormWidth) {
        set_width(next);
        return;
    }
    FadeIn.stop();
    set_width(FormWidth);
}

void TFSettings::set_width(int width) {
    setFixedSize(width, height());
}

void TFSettings::Box_LanguageChange() {
    QComboBox& box = *controls_.Box_Language;
    if (!box.isEnabled() || box.currentIndex() < 0)
        return;
    const std::string id_text = box.currentData().toString().toStdString();
    const std::int32_t id = platform::parse_int32(id_text).value_or(0);
    main_values_.LangConst = id;
    config_.SetLanguageArray(id, LanguageStrings());
    SetLanguage();
}

SettingsChoices TFSettings::Choices() const {
    const SettingsControls& c = controls_;
    SettingsChoices choices;
    if (c.Check_Autoclose->isEnabled())
        choices.AutoClose = c.Check_Autoclose->isChecked();
    if (c.Box_Proxy->isEnabled())
        choices.Proxy =
            ProxyChoice{c.Box_Proxy->currentIndex(), c.Box_Proxy->currentText().toStdString()};
    if (c.Box_DriveType->isEnabled())
        choices.DriveTypeIndex = c.Box_DriveType->currentIndex();
    if (c.Box_CheckType->isEnabled())
        choices.CheckTypeIndex = c.Box_CheckType->currentIndex();
    return choices;
}

} // namespace launcher::app
