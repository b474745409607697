#include "ui/wizard/color_wizard.h"

#include <QDir>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include "comm/ddc_monitor.h"
#include "core/master_control.h"
#include "core/picture_mode_rules.h"
#include "profiles/color_management.h"
#include "profiles/reference_profiles.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"
#include "ui/wizard/color_wizard_adjustment_pages.h"
#include "ui/wizard/color_wizard_custom_type_page.h"
#include "ui/wizard/color_wizard_display_emulation_page.h"
#include "ui/wizard/color_wizard_intro_page.h"
#include "ui/wizard/color_wizard_name_preset_page.h"
#include "ui/wizard/color_wizard_printer_pages.h"
#include "ui/wizard/wizard_monitor.h"

using namespace color_wizard_rules;

namespace {

const char kLogo[] = ":/images/Resources/kestrel.png";

bool on_a_screen(QPoint position) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(position)) return true;
    }
    return false;
}

}  // namespace

color_wizard::color_wizard(QWidget* parent) : QWizard(parent) {
    setWindowTitle(tr("Color Configuration Wizard"));
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::NoCancelButton, false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setPixmap(QWizard::LogoPixmap, QPixmap(QString::fromLatin1(kLogo)));
    setWindowIcon(QIcon(QString::fromLatin1(kLogo)));

    add_pages();
    setStartId(kIntroPage);

    monitor_ = current_monitor();
    use_adobe_cmm_ = isAdobeCmmRegistered();
    if (monitor_ && master_control_instance) {
        record_loaded_ = master_control_instance->monitor_tracker().lookup(
                             monitor_->model_name(), monitor_->serial_number(), entry_) >= 0;
    }
    if (record_loaded_) {
        rebuild_reference_profiles();
        const QString full = targets_folder() + QLatin1String(kFullGamutProfile);
        lut_generator_.setSourceProfile(full);
        lut_generator_.setDisplayProfile(full);
    }
    lut_viewer_ = new view_3d_lut_dialog(this);
    // A window manager raises the modal wizard over its own viewer on a click (Next, say):
    // the viewer, while shown, goes back on top, the wizard keeping the keyboard.
    const auto keep_viewer_above = [this] {
        if (lut_viewer_->isVisible()) lut_viewer_->raise();
    };
    connect(this, &QWizard::currentIdChanged, lut_viewer_, keep_viewer_above);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, lut_viewer_,
            [this, keep_viewer_above](QWindow* focused) {
                if (focused && focused == windowHandle()) keep_viewer_above();
            });
}

color_wizard::~color_wizard() = default;

void color_wizard::add_pages() {
    setPage(kIntroPage, new ColorWizardIntroPage(*this));
    setPage(kCustomTypePage, new ColorWizardCustomTypePage(*this));
    setPage(kPrinterEmulationPage, new ColorWizardPrinterEmulationPage(*this));
    setPage(kRenderingIntentPage, new ColorWizardPrinterRenderingIntentPage(*this));
    setPage(kDisplayEmulationPage, new ColorWizardDisplayEmulationSelectionPage(*this));
    setPage(kGammaPage, new ColorWizardCustomGammaPage(*this));
    setPage(kColorGamutPage, new ColorWizardColorGamutPage(*this));
    setPage(kNamePresetPage, new ColorWizardNamePresetPage(*this));
    setPage(kWhitePointPage, new ColorWizardWhitePointPage(*this));
    setPage(kBrightnessPage, new ColorWizardBrightnessPage(*this));
}

void color_wizard::save_record() {
    if (!record_loaded_ || !master_control_instance) return;
    master_control_instance->monitor_tracker().store(entry_);
}

std::array<int, 6> color_wizard::native_primaries(bool alternate) const {
    const auto& source =
        alternate ? entry_.adjust.correctedPrimaries : entry_.adjust.factoryPrimaries;
    std::array<int, 6> primaries{};
    for (std::size_t i = 0; i < primaries.size(); ++i)
        primaries[i] = source[i];
    return primaries;
}

void color_wizard::set_printer_white_point(unsigned x, unsigned y) {
    printer_white_x_ = x;
    printer_white_y_ = y;
}

QString color_wizard::targets_folder() const {
    QString folder = QDir::fromNativeSeparators(targetFolder(true, picture_mode::profile_texts()));
    if (folder.isEmpty()) return folder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

int color_wizard::rebuild_reference_profiles() {
    // The writer takes the six values at indices 1 to 6.
    QList<quint16> gamut = {0};
    for (const int value : native_primaries())
        gamut.append(static_cast<quint16>(value));
    return makeReferenceProfiles(gamut, static_cast<quint16>(printer_white_x_),
                                 static_cast<quint16>(printer_white_y_), use_adobe_cmm_,
                                 picture_mode::profile_texts());
}

void color_wizard::recompute_lut() {
    lut_generator_.setUseAdobeCmm(use_adobe_cmm_);
    lut_generator_.compute();
    lut_viewer_->set_3d_lut(lut_generator_.table());
}

int color_wizard::apply_settings(CMonitorSettingList& list) {
    TW_restore_monitor_settings_dialog dialog(
        monitor_, CheckRestoreMonitorSettingsThread::AdjustSettings, QString(), this);
    dialog.set_settings(&list);
    return dialog.exec();
}

int color_wizard::write_3d_lut() {
    // The monitor takes the nodes as nine planes of nine rows of nine, red fastest: the
    // generator's own order.
    const EmulationLut::Table& table = lut_generator_.table();
    const std::span<const std::int32_t> values(table.front().data(),
                                               table.size() * table.front().size());
    TW_restore_monitor_settings_dialog dialog(
        monitor_, CheckRestoreMonitorSettingsThread::Write3dLut, QString(), this);
    dialog.set_lut(values, EmulationLut::kGridSize);
    return dialog.exec();
}

int color_wizard::write_1d_luts(CSpline& red, CSpline& green, CSpline& blue) {
    TW_restore_monitor_settings_dialog dialog(
        monitor_, CheckRestoreMonitorSettingsThread::Write1dLuts, QString(), this);
    dialog.set_curves(&red, &green, &blue);
    return dialog.exec();
}

void color_wizard::size_for_intro() {
    if (sized_) return;
    sized_ = true;
    resize(kWidth, kHeight);
}

FlowChoice color_wizard::flow_choice() const {
    const auto on = [this](const char* name) { return field(QLatin1String(name)).toBool(); };
    FlowChoice c;
    c.srgb = on("preset_type.srgb");
    c.adobergb = on("preset_type.adobergb");
    c.dci = on("preset_type.dci");
    c.rec709 = on("preset_type.rec709");
    c.dicom = on("preset_type.dicom");
    c.highbright = on("preset_type.highbright");
    c.full = on("preset_type.full");
    c.ecirgb = on("preset_type.ecirgb");
    c.custom = on("preset_type.custom");
    c.full_custom = on("custom_type.full_custom");
    c.emulate_display = on("custom_type.emulate_display");
    c.emulate_printer = on("custom_type.emulate_printer");
    return c;
}

int color_wizard::next_page(int page) const {
    return color_wizard_rules::next_page(page, flow_choice());
}

void color_wizard::done(int result) {
    // The viewer is a window of its own: it goes with the wizard, its place kept.
    if (lut_viewer_) lut_viewer_->hide();
    QWizard::done(result);
}

void color_wizard::showEvent(QShowEvent* event) {
    if (master_control_instance) {
        const QPoint stored = master_control_instance->preferences().wizard_position();
        // The client area's corner, as stored (see hideEvent).
        if (stored.x() != Preferences::kNoPosition && on_a_screen(stored))
            setGeometry(QRect(stored, size()));
    }
    QWizard::showEvent(event);
}

void color_wizard::hideEvent(QHideEvent* event) {
    // The client area's corner: the frame's, given back as the client's, would move the wizard
    // by its frame at every opening. A frame hidden at zero on an axis stores nothing.
    if (master_control_instance && Preferences::storable_position(pos()))
        master_control_instance->preferences().set_wizard_position(geometry().topLeft());
    QWizard::hideEvent(event);
}
