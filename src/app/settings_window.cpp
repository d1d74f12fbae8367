#include "app/settings_window.h"

#include "app/bitmap_image.h"
#include "app/language_text.h"
#include "app/qt_region.h"
#include "app/skin_label.h"
#include "app/skin_qt_apply.h"
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

TFSettings::TFSettings(platform::EventLoop& loop, tConfigData& config, const TqorConfigWindow& skin,
                       UserSettings& main_values, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), skin_(skin) {
    setModal(true);
    setFixedSize(kDesignWidth, kDesignHeight);
    create_controls();
    background_ = ToQImage(WithoutAlpha(skin_.BackGroundImage.image));
    // Without a background the dialog keeps its rectangle rather than vanish.
    if (const auto region = SettingsWindowRegion(skin_.BackGroundImage.image))
        setMask(ToQRegion(*region));
    presenter_ = std::make_unique<front::SettingsPresenter>(loop, *this, config, main_values);
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

    connect(c.Button_Ok, &QPushButton::clicked, this, &QDialog::accept);
    // Only the player's picks count, not the selection the opening shows.
    connect(c.Box_Language, &QComboBox::activated, this,
            [this] { presenter_->Box_LanguageChange(); });
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

void TFSettings::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

void TFSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window brought back by the system is not a new opening.
    if (!event->spontaneous())
        presenter_->FormShow();
}

void TFSettings::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        presenter_->FormHide();
}

// SettingsSurface

QWidget* TFSettings::control(front::SettingsControl control) const {
    switch (control) {
    case front::SettingsControl::Box_Language:
        return controls_.Box_Language;
    case front::SettingsControl::Check_Autoclose:
        return controls_.Check_Autoclose;
    case front::SettingsControl::Box_Proxy:
        return controls_.Box_Proxy;
    case front::SettingsControl::Box_DriveType:
        return controls_.Box_DriveType;
    case front::SettingsControl::Box_CheckType:
        return controls_.Box_CheckType;
    }
    return nullptr;
}

QComboBox* TFSettings::list(front::SettingsControl list) const {
    return static_cast<QComboBox*>(control(list));
}

TLabel* TFSettings::caption(front::SettingsCaption caption) const {
    switch (caption) {
    case front::SettingsCaption::Title:
        return controls_.Text_Title;
    case front::SettingsCaption::Language:
        return controls_.Text_Language;
    case front::SettingsCaption::Autoclose:
        return controls_.Text_Autoclose;
    case front::SettingsCaption::Proxy:
        return controls_.Text_Proxy;
    case front::SettingsCaption::DriveType:
        return controls_.Text_DriveType;
    case front::SettingsCaption::CheckType:
        return controls_.Text_CheckType;
    }
    return nullptr;
}

void TFSettings::SetCaption(front::SettingsCaption which, std::string_view text) {
    caption(which)->SetCaption(text);
}

void TFSettings::SetEnabled(front::SettingsControl which, bool enabled) {
    control(which)->setEnabled(enabled);
}

bool TFSettings::Enabled(front::SettingsControl which) const {
    return control(which)->isEnabled();
}

void TFSettings::SetItems(front::SettingsControl which, const std::vector<std::string>& items) {
    QComboBox& box = *list(which);
    box.clear();
    for (const std::string& item : items)
        box.addItem(qstring(item));
}

void TFSettings::Select(front::SettingsControl which, int index) {
    list(which)->setCurrentIndex(index);
}

int TFSettings::Selected(front::SettingsControl which) const {
    return list(which)->currentIndex();
}

std::string TFSettings::ItemText(front::SettingsControl which, int index) const {
    return list(which)->itemText(index).toStdString();
}

void TFSettings::SetChecked(bool checked) {
    controls_.Check_Autoclose->setChecked(checked);
}

bool TFSettings::Checked() const {
    return controls_.Check_Autoclose->isChecked();
}

void TFSettings::SetWidth(int width) {
    setFixedSize(width, height());
}

} // namespace launcher::app
