#pragma once

#include <QPixmap>
#include <QString>
#include <QVBoxLayout>
#include <QWizard>
#include <QWizardPage>

// How every page of the colour wizard holds its form: alone in a vertical box layout, with the
// page's logo in the header.
namespace wizard_page_setup {

inline void place_form(QWizardPage* page, QWidget* form, const char* logo = nullptr) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    if (logo) page->setPixmap(QWizard::LogoPixmap, QPixmap(QString::fromLatin1(logo)));
}

constexpr char kPrinterLogo[] = ":/images/Resources/Printer-profile.png";
constexpr char kMonitorLogo[] = ":/images/Resources/monitor image.png";
constexpr char kGammaLogo[] = ":/images/Resources/gamma blue.png";
constexpr char kGamutLogo[] = ":/images/Resources/gamut white large full color.png";
constexpr char kWhitePointLogo[] = ":/images/Resources/white point large full color.png";
constexpr char kBrightnessLogo[] = ":/images/Resources/brightness copy.png";

}  // namespace wizard_page_setup
