#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class CMultiMonitor;

// Finds the monitors off the GUI thread at start-up: one detection pass per request.
class MonitorDetectThread : public QThread {
    Q_OBJECT

  public:
    explicit MonitorDetectThread(CMultiMonitor& monitors);
    // Asks a running pass to stop and waits for the thread to end.
    ~MonitorDetectThread() override;

    // Starts a pass at low priority, or, while one runs, asks for another one after it.
    void request(bool full_detection);

    bool restart_requested() const;
    bool abort_requested() const;
    bool full_detection() const;

  protected:
    void run() override;

  private:
    bool aborted() const { return abort_requested(); }
    void detection_pass(bool full_detection);

    CMultiMonitor& monitors_;
    mutable QMutex mutex_;
    QWaitCondition condition_;
    bool restart_requested_ = false;
    bool abort_requested_ = false;
    bool full_detection_ = false;
};
