// Every page of the colour wizard, reached the way a user reaches it, against the first
// simulated monitor with its record synchronised (as the main window does on selection) and a
// few of Debian's profiles installed.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QTableWidget>
#include <functional>

#include "comm/ddc_monitor.h"
#include "core/master_control.h"
#include "profiles/color_management.h"
#include "screenshot.h"
#include "ui/wizard/color_wizard.h"

namespace {

using color_wizard_rules::PageId;

void install_profiles() {
    const QString folder = colorDirectory();
    QDir().mkpath(folder);
    for (const char* path :
         {"/usr/share/color/icc/ghostscript/default_cmyk.icc",
          "/usr/share/color/icc/ghostscript/ps_cmyk.icc",
          "/usr/share/color/icc/colord/AdobeRGB1998.icc", "/usr/share/color/icc/colord/sRGB.icc",
          "/usr/share/color/icc/colord/Rec709.icc",
          "/usr/share/color/icc/colord/ProPhotoRGB.icc"}) {
        const QString source = QString::fromLatin1(path);
        if (QFile::exists(source))
            QFile::copy(source, folder + QLatin1Char('/') + QFileInfo(source).fileName());
    }
}

// A controller on the first simulated monitor whose stored record has been read from it.
MasterControl* synchronised_controller() {
    auto* master = new MasterControl;
    DisplayInfo info;
    info.index = 0;
    info.monitorId = -1;
    info.ddcCapable = 1;
    master->current_display().connect(info);
    if (CDDCMonitor* monitor = master->current_display().monitor()) {
        CMonitorEntry entry;
        entry.modelName = monitor->model_name();
        entry.serialNumber = monitor->serial_number();
        if (monitor->read_picture_memories(entry.adjust) == 0) {
            monitor->read_capabilities();
            master->monitor_tracker().store(entry);
        }
    }
    return master;
}

// Opens the wizard and walks it: `choose` sets the choices of the page it is given, then Next
// is pressed, until `page` is reached.
QWidget* wizard_at(int page, const std::function<void(color_wizard&)>& choose) {
    install_profiles();
    MasterControl* master = synchronised_controller();
    auto* wizard = new color_wizard;
    master->setParent(wizard);
    wizard->show();
    for (int steps = 0; wizard->currentId() != page && steps < 10; ++steps) {
        choose(*wizard);
        wizard->next();
    }
    return wizard;
}

void close_wizard(QWidget* window) {
    // The pages write what is pending when they go: the controller must outlive them.
    auto* master = window->findChild<MasterControl*>();
    if (master) master->setParent(nullptr);
    delete window;
    delete master;
}

void custom(color_wizard& w, const char* kind) {
    if (w.currentId() == color_wizard_rules::kIntroPage)
        w.setField(QStringLiteral("preset_type.custom"), true);
    if (w.currentId() == color_wizard_rules::kCustomTypePage) w.setField(QLatin1String(kind), true);
}

void preset(color_wizard& w, const char* field) {
    if (w.currentId() == color_wizard_rules::kIntroPage) w.setField(QLatin1String(field), true);
}

ORVALE_SCREENSHOT(
    "wizard_intro", [] { return wizard_at(color_wizard_rules::kIntroPage, [](color_wizard&) {}); },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_custom_type",
    [] {
        return wizard_at(color_wizard_rules::kCustomTypePage,
                         [](color_wizard& w) { custom(w, "custom_type.full_custom"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_printer_emulation",
    [] {
        return wizard_at(color_wizard_rules::kPrinterEmulationPage,
                         [](color_wizard& w) { custom(w, "custom_type.emulate_printer"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_rendering_intent",
    [] {
        return wizard_at(color_wizard_rules::kRenderingIntentPage,
                         [](color_wizard& w) { custom(w, "custom_type.emulate_printer"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_display_emulation",
    [] {
        return wizard_at(color_wizard_rules::kDisplayEmulationPage,
                         [](color_wizard& w) { custom(w, "custom_type.emulate_display"); });
    },
    close_wizard);

// ProPhoto RGB's red lies beyond what the panel shows: marked, and Next stays disabled.
ORVALE_SCREENSHOT(
    "wizard_display_emulation_out_of_range",
    [] {
        QWidget* window = wizard_at(color_wizard_rules::kDisplayEmulationPage, [](color_wizard& w) {
            custom(w, "custom_type.emulate_display");
        });
        QWizardPage* page =
            static_cast<color_wizard*>(window)->page(color_wizard_rules::kDisplayEmulationPage);
        if (auto* table = page->findChild<QTableWidget*>(QStringLiteral("profile_tableWidget"))) {
            for (int row = 0; row < table->rowCount(); ++row) {
                if (table->item(row, 1)->text() == QStringLiteral("ProPhotoRGB.icc"))
                    table->setCurrentCell(row, 0);
            }
        }
        return window;
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_name_preset",
    [] {
        return wizard_at(color_wizard_rules::kNamePresetPage,
                         [](color_wizard& w) { custom(w, "custom_type.full_custom"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_gamma",
    [] {
        return wizard_at(color_wizard_rules::kGammaPage,
                         [](color_wizard& w) { preset(w, "preset_type.full"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_color_gamut",
    [] {
        return wizard_at(color_wizard_rules::kColorGamutPage,
                         [](color_wizard& w) { preset(w, "preset_type.full"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_white_point",
    [] {
        return wizard_at(color_wizard_rules::kWhitePointPage,
                         [](color_wizard& w) { preset(w, "preset_type.full"); });
    },
    close_wizard);

ORVALE_SCREENSHOT(
    "wizard_brightness",
    [] {
        return wizard_at(color_wizard_rules::kBrightnessPage,
                         [](color_wizard& w) { preset(w, "preset_type.srgb"); });
    },
    close_wizard);

}  // namespace
