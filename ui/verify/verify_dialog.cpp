#include "ui/verify/verify_dialog.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include "comm/ddc_monitor.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/picture_mode_controller.h"
#include "core/verify_files.h"
#include "platform/colord_sensor.h"
#include "platform/sim_colorimeter.h"
#include "platform/sim_screen.h"
#include "platform/spotread_instrument.h"
#include "sim/sim_config.h"
#include "ui/verify/verify_graphs.h"

namespace {

verify_dialog::InstrumentList& instrument_list() {
    static verify_dialog::InstrumentList list = &verify_dialog::default_instruments;
    return list;
}

QString lab_text(const CCIELab& lab) {
    return QStringLiteral("%1 %2 %3")
        .arg(lab.L, 0, 'f', 1)
        .arg(lab.a, 0, 'f', 1)
        .arg(lab.b, 0, 'f', 1);
}

QDoubleSpinBox* limit_box(double value, double maximum, int decimals, double step) {
    auto* box = new QDoubleSpinBox;
    box->setDecimals(decimals);
    box->setRange(0.0, maximum);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

}  // namespace

verify_patch_window::verify_patch_window(const QRect& area)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    // The dialog keeps the keyboard, so Escape still cancels behind a full-screen patch.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(tr("Verification patch"));
    setGeometry(area);
}

void verify_patch_window::show_signal(const std::array<double, 3>& signal) {
    colour_ = QColor::fromRgbF(float(signal[0]), float(signal[1]), float(signal[2]));
    if (!isVisible()) show();
    update();
}

void verify_patch_window::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT cancel_requested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void verify_patch_window::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), share_ >= 100 ? colour_ : QColor(Qt::black));
    if (share_ < 100) {
        const int side = height() * share_ / 100;
        QRect patch(0, 0, side, side);
        patch.moveCenter(rect().center());
        painter.fillRect(patch, colour_);
    }
}

QList<verify_dialog::InstrumentChoice> verify_dialog::default_instruments() {
    QList<InstrumentChoice> choices;
    sim::CSimConfig config;
    if (sim::CSimConfig::from_environment(config, nullptr)) {
        choices.append({platform::CSimColorimeter(config, QByteArray()).name(),
                        [config](const QByteArray& serial) {
                            return std::make_unique<platform::CSimColorimeter>(config, serial);
                        }});
    }
    choices.append({platform::CColordSensor().name(),
                    [](const QByteArray&) { return std::make_unique<platform::CColordSensor>(); }});
    // Offered even when ArgyllCMS is missing: opening it then says what to install.
    choices.append({platform::CSpotreadInstrument().name(), [](const QByteArray&) {
                        return std::make_unique<platform::CSpotreadInstrument>();
                    }});
    return choices;
}

void verify_dialog::set_instrument_list(InstrumentList list) {
    instrument_list() = list ? std::move(list) : InstrumentList(&default_instruments);
}

verify_dialog::verify_dialog(CDDCMonitor* monitor, const DisplayInfo& display, QWidget* parent)
    : QDialog(parent), monitor_(monitor), display_(display) {
    setWindowTitle(tr("Verify Picture Mode"));
    serial_ = display.text2.toLatin1();
    instruments_ = instrument_list()();
    patches_ = verify::standard_patches();

    auto* setup = new QGroupBox(tr("Measurement"));
    auto* form = new QFormLayout(setup);
    instrument_ = new QComboBox;
    for (const InstrumentChoice& c : instruments_)
        instrument_->addItem(c.name);
    if (instruments_.isEmpty()) instrument_->addItem(tr("No instrument available"));
    instrument_->setEnabled(!instruments_.isEmpty());
    auto* instrument_label = new QLabel(tr("&Instrument:"));
    instrument_label->setBuddy(instrument_);
    form->addRow(instrument_label, instrument_);

    patch_mode_ = new QComboBox;
    patch_mode_->addItem(tr("Full screen"));
    patch_mode_->addItem(tr("Centred patch on black"));
    patch_size_ = new QSpinBox;
    patch_size_->setRange(10, 90);
    patch_size_->setValue(40);
    patch_size_->setSuffix(tr(" % of the height"));
    patch_size_->setEnabled(false);
    connect(patch_mode_, &QComboBox::currentIndexChanged, this,
            [this](int index) { patch_size_->setEnabled(index == 1); });
    auto* patch_row = new QHBoxLayout;
    patch_row->addWidget(patch_mode_, 1);
    patch_row->addWidget(patch_size_);
    auto* patch_label = new QLabel(tr("&Patch:"));
    patch_label->setBuddy(patch_mode_);
    form->addRow(patch_label, patch_row);

    emulated_ = new QLineEdit;
    emulated_->setPlaceholderText(tr("None: the mode's own target"));
    auto* browse = new QPushButton(tr("&Browse..."));
    connect(browse, &QPushButton::clicked, this, &verify_dialog::browse_profile_clicked);
    auto* emulated_row = new QHBoxLayout;
    emulated_row->addWidget(emulated_, 1);
    emulated_row->addWidget(browse);
    auto* emulated_label = new QLabel(tr("&Emulated profile:"));
    emulated_label->setBuddy(emulated_);
    form->addRow(emulated_label, emulated_row);

    const verify::Thresholds defaults;
    average_limit_ = limit_box(defaults.average, 20.0, 1, 0.1);
    percentile_limit_ = limit_box(defaults.percentile95, 30.0, 1, 0.1);
    maximum_limit_ = limit_box(defaults.maximum, 50.0, 1, 0.5);
    white_limit_ = limit_box(defaults.white_point, 0.05, 4, 0.001);
    auto* limits = new QHBoxLayout;
    const auto add_limit = [&](const QString& text, QDoubleSpinBox* box) {
        auto* label = new QLabel(text);
        label->setBuddy(box);
        limits->addWidget(label);
        limits->addWidget(box);
    };
    add_limit(tr("A&verage dE2000"), average_limit_);
    add_limit(tr("9&5 %"), percentile_limit_);
    add_limit(tr("Ma&ximum"), maximum_limit_);
    add_limit(tr("&White u'v'"), white_limit_);
    limits->addStretch();
    form->addRow(new QLabel(tr("Pass limits:")), limits);

    measure_ = new QPushButton(tr("&Measure"));
    cancel_ = new QPushButton(tr("&Cancel"));
    cancel_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setRange(0, int(patches_.size()));
    progress_->setValue(0);
    progress_->setFormat(tr("%v of %m patches"));
    time_left_ = new QLabel;
    time_left_->setMinimumWidth(fontMetrics().horizontalAdvance(tr("About %1 s left").arg(888)));
    auto* run_row = new QHBoxLayout;
    run_row->addWidget(measure_);
    run_row->addWidget(progress_, 1);
    run_row->addWidget(time_left_);
    run_row->addWidget(cancel_);
    connect(measure_, &QPushButton::clicked, this, [this] { start(); });
    connect(cancel_, &QPushButton::clicked, this, &verify_dialog::cancel);

    status_ = new QLabel;
    status_->setWordWrap(true);
    summary_ = new QLabel;
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_ = new QTableWidget(0, 8);
    table_->setHorizontalHeaderLabels({tr("Patch"), tr("Target L*a*b*"), tr("Measured L*a*b*"),
                                       tr("dE2000"), tr("Gamma"), tr("Target gamma"), tr("CCT"),
                                       tr("duv")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(200);

    chromaticity_ = new verify_chromaticity_graph;
    chromaticity_->setMinimumSize(300, 300);
    grayscale_ = new verify_grayscale_graph;
    grayscale_->setMinimumSize(300, 300);
    auto* graphs = new QHBoxLayout;
    graphs->addWidget(chromaticity_, 1);
    graphs->addWidget(grayscale_, 1);

    save_html_ = new QPushButton(tr("Save &HTML..."));
    save_csv_ = new QPushButton(tr("Save C&SV..."));
    save_html_->setEnabled(false);
    save_csv_->setEnabled(false);
    connect(save_html_, &QPushButton::clicked, this, &verify_dialog::save_html_clicked);
    connect(save_csv_, &QPushButton::clicked, this, &verify_dialog::save_csv_clicked);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(save_html_, QDialogButtonBox::ActionRole);
    buttons->addButton(save_csv_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &verify_dialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setup);
    layout->addLayout(run_row);
    layout->addWidget(status_);
    layout->addWidget(summary_);
    layout->addLayout(graphs, 2);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);

    // No default button: Return in a field takes what was typed there; it neither covers the
    // screen with a run nor opens a file dialog (a dialog makes its first auto-default button
    // the default when it is shown). Buttons are pressed with their mnemonic or Space.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    QWidget::setTabOrder(instrument_, patch_mode_);
    QWidget::setTabOrder(patch_mode_, patch_size_);
    QWidget::setTabOrder(patch_size_, emulated_);
    QWidget::setTabOrder(emulated_, browse);
    QWidget::setTabOrder(browse, average_limit_);
    QWidget::setTabOrder(average_limit_, percentile_limit_);
    QWidget::setTabOrder(percentile_limit_, maximum_limit_);
    QWidget::setTabOrder(maximum_limit_, white_limit_);
    QWidget::setTabOrder(white_limit_, measure_);
    QWidget::setTabOrder(measure_, cancel_);
    QWidget::setTabOrder(cancel_, table_);
    resize(980, 900);
}

verify_dialog::~verify_dialog() {
    cancel();
    if (worker_) {
        // The worker may be waiting for a patch to be drawn here.
        while (!worker_->wait(monitor_timing::kWorkerEndPollMs))
            QCoreApplication::processEvents();
        delete worker_;
    }
    delete patch_window_.data();
    platform::CSimScreen::instance().clear(serial_);
}

QString verify_dialog::status_text() const {
    return status_->text();
}

verify::Thresholds verify_dialog::thresholds() const {
    verify::Thresholds t;
    t.average = average_limit_->value();
    t.percentile95 = percentile_limit_->value();
    t.maximum = maximum_limit_->value();
    t.white_point = white_limit_->value();
    return t;
}

void verify_dialog::set_running(bool running) {
    measure_->setEnabled(!running);
    cancel_->setEnabled(running);
    instrument_->setEnabled(!running && !instruments_.isEmpty());
    save_html_->setEnabled(!running && report_ != nullptr);
    save_csv_->setEnabled(!running && report_ != nullptr);
}

bool verify_dialog::start() {
    if (worker_) return false;
    const int choice = instrument_->currentIndex();
    if (instruments_.isEmpty() || choice < 0 || choice >= instruments_.size()) {
        status_->setText(platform::instrument_error_text(platform::instrument_error::kNone));
        return false;
    }
    if (!monitor_) {
        status_->setText(tr("The monitor is not connected."));
        return false;
    }
    verify::ActiveMode mode;
    QString what;
    if (const int r = verify::read_active_mode(*monitor_, mode, what); r != 0) {
        status_->setText(tr("The monitor did not report its %1 (error %2).").arg(what).arg(r));
        return false;
    }
    CModeTarget target;
    if (verify::mode_target(mode, target) != verify::TargetResult::ready) {
        status_->setText(
            tr("The active mode (memory %1) gives no target to measure against.").arg(mode.memory));
        return false;
    }
    // Targets of what the screen draws, not of the finer signal asked for: the instrument sees
    // the drawn value (deep screens draw 10 bits per channel).
    const QScreen* screen =
        windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    const int bits = screen && screen->depth() >= 30 ? 10 : 8;
    patches_ = verify::as_drawn(verify::standard_patches(), bits);
    platform::CSimScreen::instance().set_bits_per_channel(bits);
    if (emulated_->text().trimmed().isEmpty()) {
        targets_ = verify::mode_targets(target, patches_);
    } else {
        QString error;
        if (!verify::emulation_targets({QString(), emulated_->text().trimmed(), 4}, target,
                                       patches_, targets_, error)) {
            status_->setText(error);
            return false;
        }
    }
    // Named as the Picture Mode page's buttons name it, by the program's record.
    CMonitorTracker* records =
        master_control_instance ? &master_control_instance->monitor_tracker() : nullptr;
    const CPictureModeController controller([this, records] {
        return CPictureModeController::Target{monitor_, records, &display_};
    });
    mode_text_ =
        tr("Memory %1, %2").arg(mode.memory).arg(controller.label_of_preset(mode.item.preset()));

    const QRect area(QPoint(display_.desktop_left, display_.desktop_top),
                     QPoint(display_.desktop_right, display_.desktop_bottom));
    if (!patch_window_) {
        patch_window_ = new verify_patch_window(area.isValid() ? area : QRect(0, 0, 800, 600));
        connect(patch_window_, &verify_patch_window::cancel_requested, this,
                &verify_dialog::cancel);
    }
    patch_window_->set_patch_share(patch_mode_->currentIndex() == 0 ? 100 : patch_size_->value());

    instrument_object_ = instruments_[choice].create(serial_);
    run_ = std::make_unique<verify::CVerificationRun>(
        *instrument_object_, [this](const verify::Patch* patch) {
            // The patch is drawn by the GUI thread; the reading waits until it is on screen.
            QMetaObject::invokeMethod(
                this, [this, patch] { present(patch); }, Qt::BlockingQueuedConnection);
        });
    readings_.clear();
    report_.reset();
    table_->setRowCount(0);
    summary_->clear();
    status_->setText(tr("Measuring with %1. Place the instrument on the patch.")
                         .arg(instrument_object_->name()));
    progress_->setValue(0);
    set_running(true);
    worker_ = QThread::create([this] {
        std::vector<CCIEXYZ> readings;
        const int result = run_->run(patches_, readings, [this](int done, int total, qint64 left) {
            QMetaObject::invokeMethod(this, "run_progressed", Qt::QueuedConnection,
                                      Q_ARG(int, done), Q_ARG(int, total), Q_ARG(qint64, left));
        });
        QMetaObject::invokeMethod(
            this,
            [this, result, readings] {
                readings_ = readings;
                run_finished(result);
            },
            Qt::QueuedConnection);
    });
    worker_->start();
    return true;
}

void verify_dialog::present(const verify::Patch* patch) {
    if (!patch) {
        platform::CSimScreen::instance().clear(serial_);
        if (patch_window_) patch_window_->hide();
        return;
    }
    // A simulated monitor has no real screen: the simulated colorimeter looks here.
    platform::CSimScreen::instance().show(serial_, patch->signal);
    if (patch_window_) patch_window_->show_signal(patch->signal);
}

void verify_dialog::cancel() {
    if (run_) run_->cancel();
}

void verify_dialog::reject() {
    if (worker_) {
        cancel();
        return;  // closes once the instrument has let go
    }
    QDialog::reject();
}

void verify_dialog::run_progressed(int done, int total, qint64 ms_left) {
    progress_->setMaximum(total);
    progress_->setValue(done);
    time_left_->setText(tr("About %1 s left").arg((ms_left + 999) / 1000));
}

void verify_dialog::run_finished(int result) {
    if (worker_) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    time_left_->clear();
    if (result == 0) {
        progress_->setValue(progress_->maximum());
        report_ = std::make_unique<verify::Report>(
            verify::compute_report(patches_, targets_, readings_, thresholds()));
        report_->monitor = display_.text1 + QLatin1Char(' ') + display_.text2;
        report_->mode = mode_text_;
        report_->instrument = instrument_object_->description();
        report_->measured = QDateTime::currentDateTimeUtc();
        status_->clear();
        show_report();
    } else {
        status_->setText(run_->error_text());
    }
    run_.reset();
    instrument_object_.reset();
    set_running(false);
    Q_EMIT finished_measuring(result);
}

void verify_dialog::show_report() {
    const verify::Report& r = *report_;
    summary_->setText(
        tr("<b>%1</b> &nbsp; Average dE2000 %2, 95th percentile %3, maximum %4 (%5). White "
           "%6 cd/m², black %7 cd/m², contrast %8:1, white point error %9 u'v'.")
            .arg(r.passed() ? tr("Passed") : tr("Failed"))
            .arg(r.average, 0, 'f', 2)
            .arg(r.percentile95, 0, 'f', 2)
            .arg(r.maximum, 0, 'f', 2)
            .arg(r.worst.toHtmlEscaped())
            .arg(r.white_luminance, 0, 'f', 1)
            .arg(r.black_luminance, 0, 'f', 3)
            .arg(r.contrast, 0, 'f', 0)
            .arg(r.white_point_error, 0, 'f', 4));
    table_->setRowCount(int(r.rows.size()));
    QList<CChromaticity> targets, measured;
    QList<QPointF> gamma, target_gamma, duv;
    for (int i = 0; i < int(r.rows.size()); ++i) {
        const verify::PatchResult& row = r.rows[std::size_t(i)];
        const auto cell = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(i, column, item);
        };
        cell(0, row.patch.name);
        table_->item(i, 0)->setData(
            Qt::DecorationRole,
            QColor::fromRgbF(float(row.patch.signal[0]), float(row.patch.signal[1]),
                             float(row.patch.signal[2])));
        cell(1, lab_text(row.target_lab));
        cell(2, lab_text(row.measured_lab));
        cell(3, QString::number(row.delta_e, 'f', 2));
        cell(4, row.gamma ? QString::number(*row.gamma, 'f', 2) : QString());
        cell(5, row.target_gamma ? QString::number(*row.target_gamma, 'f', 2) : QString());
        const bool gray = row.patch.group == verify::PatchGroup::grayscale && row.cct > 0;
        cell(6, gray ? QString::number(row.cct) : QString());
        cell(7, gray ? QString::number(row.duv, 'f', 4) : QString());
        if (row.measured.Y > 0.0 && row.target.Y > 0.0) {
            targets << row.target.chromaticity();
            measured << row.measured.chromaticity();
        }
        if (row.gamma) gamma << QPointF(row.patch.level, *row.gamma);
        if (row.target_gamma) target_gamma << QPointF(row.patch.level, *row.target_gamma);
        if (gray) duv << QPointF(row.patch.level, row.duv);
    }
    chromaticity_->set_points(targets, measured);
    grayscale_->set_series(gamma, target_gamma, duv);
}

bool verify_dialog::save_html(const QString& path, QString& error) const {
    if (!report_) return false;
    QList<verify::ReportImage> images;
    for (QWidget* graph :
         {static_cast<QWidget*>(chromaticity_), static_cast<QWidget*>(grayscale_)}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        graph->grab().save(&buffer, "PNG");
        images.append(
            {graph == chromaticity_ ? chromaticity_->caption() : grayscale_->caption(), png});
    }
    return verify::save_report_file(path, verify::report_html(*report_, images), error);
}

bool verify_dialog::save_csv(const QString& path, QString& error) const {
    if (!report_) return false;
    return verify::save_report_file(path, verify::report_csv(*report_), error);
}

void verify_dialog::browse_profile_clicked() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Emulated profile"), QString(),
                                                      tr("ICC profiles (*.icc *.icm)"));
    if (!path.isEmpty()) emulated_->setText(path);
}

void verify_dialog::save_html_clicked() {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save report"), QString(), tr("HTML files (*.html)"));
    QString error;
    if (!path.isEmpty() && !save_html(path, error)) status_->setText(error);
}

void verify_dialog::save_csv_clicked() {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save report"), QString(), tr("CSV files (*.csv)"));
    QString error;
    if (!path.isEmpty() && !save_csv(path, error)) status_->setText(error);
}
