#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "color/display_info.h"
#include "color/mode_target.h"
#include "core/verify_report.h"
#include "core/verify_run.h"
#include "platform/instrument.h"

class CDDCMonitor;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QThread;
class verify_chromaticity_graph;
class verify_grayscale_graph;

// The window that shows the measuring patches on the monitor's display: black, with the patch
// filling it or as a centred square of a share of its height.
class verify_patch_window : public QWidget {
    Q_OBJECT

  public:
    explicit verify_patch_window(const QRect& area);
    void set_patch_share(int percent) { share_ = percent; }  // 100: full screen
    void show_signal(const std::array<double, 3>& signal);
    QColor colour() const { return colour_; }
    int patch_share() const { return share_; }

  Q_SIGNALS:
    // Escape on the patch, which may cover the dialog's Cancel.
    void cancel_requested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QColor colour_ = Qt::black;
    int share_ = 100;
};

// Verify...: measures the active mode of a monitor with an instrument against the mode's own
// target (or an emulated device's profile) and shows the report: a table, the chromaticity
// diagram and the grayscale graph, saved as HTML or CSV. The monitor's settings are only read.
class verify_dialog : public QDialog {
    Q_OBJECT

  public:
    // An instrument the user can choose: its name and how to open one for a monitor's serial.
    struct InstrumentChoice {
        QString name;
        std::function<std::unique_ptr<platform::CInstrument>(const QByteArray& serial)> create;
    };
    // The instruments this machine offers (the simulated colorimeter first in simulation).
    static QList<InstrumentChoice> default_instruments();
    using InstrumentList = std::function<QList<InstrumentChoice>()>;
    // Tests replace what the dialog offers.
    static void set_instrument_list(InstrumentList list);

    verify_dialog(CDDCMonitor* monitor, const DisplayInfo& display, QWidget* parent = nullptr);
    ~verify_dialog() override;

    // Starts the measurement as the Measure button does; false (with the status text) when it
    // cannot start.
    bool start();
    void cancel();
    // Close cancels a measurement in progress and closes once the instrument has let go.
    void reject() override;
    bool running() const { return worker_ != nullptr; }
    const verify::Report* report() const { return report_ ? report_.get() : nullptr; }
    QString status_text() const;
    bool save_html(const QString& path, QString& error) const;
    bool save_csv(const QString& path, QString& error) const;

    QComboBox* instrument_box() const { return instrument_; }
    QComboBox* patch_box() const { return patch_mode_; }
    QSpinBox* patch_size_box() const { return patch_size_; }
    QPushButton* measure_button() const { return measure_; }
    QPushButton* cancel_button() const { return cancel_; }
    QProgressBar* progress_bar() const { return progress_; }
    QTableWidget* table() const { return table_; }
    verify_chromaticity_graph* chromaticity_graph() const { return chromaticity_; }
    verify_grayscale_graph* grayscale_graph() const { return grayscale_; }
    verify_patch_window* patch_window() const { return patch_window_.data(); }

  Q_SIGNALS:
    void finished_measuring(int result);

  private Q_SLOTS:
    void run_progressed(int done, int total, qint64 ms_left);
    void run_finished(int result);
    void browse_profile_clicked();
    void save_html_clicked();
    void save_csv_clicked();

  private:
    void present(const verify::Patch* patch);
    void show_report();
    verify::Thresholds thresholds() const;
    void set_running(bool running);

    CDDCMonitor* monitor_;
    DisplayInfo display_;
    QByteArray serial_;
    QList<InstrumentChoice> instruments_;

    QComboBox* instrument_ = nullptr;
    QComboBox* patch_mode_ = nullptr;
    QSpinBox* patch_size_ = nullptr;
    QLineEdit* emulated_ = nullptr;
    QDoubleSpinBox* average_limit_ = nullptr;
    QDoubleSpinBox* percentile_limit_ = nullptr;
    QDoubleSpinBox* maximum_limit_ = nullptr;
    QDoubleSpinBox* white_limit_ = nullptr;
    QPushButton* measure_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* save_html_ = nullptr;
    QPushButton* save_csv_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* time_left_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    verify_chromaticity_graph* chromaticity_ = nullptr;
    verify_grayscale_graph* grayscale_ = nullptr;
    QPointer<verify_patch_window> patch_window_;

    std::vector<verify::Patch> patches_;
    std::vector<CCIEXYZ> targets_;
    std::vector<CCIEXYZ> readings_;
    QString mode_text_;
    std::unique_ptr<platform::CInstrument> instrument_object_;
    std::unique_ptr<verify::CVerificationRun> run_;
    QThread* worker_ = nullptr;
    std::unique_ptr<verify::Report> report_;
};
