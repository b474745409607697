#include "platform/sim_backend.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "platform/interface_info.h"
#include "sim/sim_frame.h"

Q_LOGGING_CATEGORY(sim_log, "orvale.sim", QtWarningMsg)

namespace platform {

namespace {

int access_result(int sim_result) {
    if (sim_result >= 0) return sim_result;
    switch (sim_result) {
        case sim::kSimNoDevice:
            return kAccessNoDevice;
        case sim::kSimBadArguments:
            return kAccessBadArguments;
        default:
            return kAccessIoError;
    }
}

// The access library reports a USB monitor's product as the EDID's manufacturer and product
// words in the identifier form: (byte 8 + 256 * byte 9) << 16 | (byte 10 + 256 * byte 11).
std::int32_t product_identifier(const QByteArray& edid) {
    auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(edid[i])); };
    return static_cast<std::int32_t>((b(8) + 256 * b(9)) << 16 | (b(10) + 256 * b(11)));
}

bool is_ddcci(int address) {
    return (address & 0xFE) == sim::kDdcAddress;
}

// The thread asking, as "pid:tid": threads of one process and other processes alike.
QString requester() {
    return QStringLiteral("%1:%2").arg(::getpid()).arg(::gettid());
}

// An exchange whose thread is gone (a process that died in the middle) is over.
bool requester_alive(const QString& who) {
    const QStringList parts = who.split(QLatin1Char(':'));
    if (parts.size() != 2) return false;
    return QFileInfo::exists(QStringLiteral("/proc/%1/task/%2").arg(parts[0], parts[1]));
}

// A monitor's key ("KX271W/serial") as part of a file name.
QString file_name_part(QString key) {
    for (QChar& c : key) {
        if (!c.isLetterOrNumber()) c = QLatin1Char('_');
    }
    return key;
}

}  // namespace

CSimBackend::CSimBackend(sim::CSimConfig config)
    : config_(std::move(config)), store_(config_.state_file) {
    if (!config_.state_file.isEmpty())
        exchange_file_ = config_.state_file + QStringLiteral(".exchanges");
    monitors_ = sim::create_monitors(config_);
    for (auto& m : monitors_) {
        monitor_list_.push_back(m.get());
        exchange_locks_.push_back(std::make_unique<CSimExchangeLock>(
            config_.state_file.isEmpty() ? QString()
                                         : config_.state_file + QStringLiteral(".") +
                                               file_name_part(m->key()) + QStringLiteral(".lock")));
        // A real monitor keeps its settings when told to save them; so does the state file.
        m->set_save_handler([this] { save_locked(); });
    }
    QString error;
    QStringList warnings;
    if (!store_.load(monitor_list_, &error, &warnings)) report(error);
    for (const QString& text : warnings)
        report(text);
}

void CSimBackend::report(const QString& text) {
    // A refused state file fails every save in the same words; once is enough.
    if (text == last_report_) return;
    last_report_ = text;
    qCWarning(sim_log).noquote() << text;
}

CSimBackend::~CSimBackend() {
    std::lock_guard lock(mutex_);
    // Every change went to the file as it happened; only changes made directly to a monitor
    // (tests, the simulated platform services) are left to write.
    QString error;
    if (!store_.save_if_changed(monitor_list_, &error)) report(error);
}

sim::CSimMonitor* CSimBackend::monitor(std::size_t i) const {
    return i < monitors_.size() ? monitors_[i].get() : nullptr;
}

bool CSimBackend::persist() {
    std::lock_guard lock(mutex_);
    QString error;
    if (store_.save(monitor_list_, &error)) return true;
    report(error);
    return false;
}

bool CSimBackend::save_locked() {
    QString error;
    if (store_.save_if_changed(monitor_list_, &error)) return true;
    report(error);
    return false;
}

void CSimBackend::take_external_changes() {
    QStringList warnings;
    store_.reload_if_changed(monitor_list_, &warnings);
    for (const QString& text : warnings)
        report(text);
}

void CSimBackend::rescan(int /*mode*/) {
    std::lock_guard lock(mutex_);
    sim::CSimStateStore::Lock shared(store_);
    take_external_changes();
    interfaces_.clear();
    bool pulled = false;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        sim::CSimMonitor& m = *monitors_[i];
        if (m.link_lost()) {
            pulled = true;
            // A link lost in the middle of a transfer was the USB cable; the video cable
            // answers again.
            m.set_usb_plugged(false);
            m.reconnect();
        }
        if (config_.monitors[i].video != sim::CSimVideoLink::none)
            interfaces_.push_back({i, false});
        if (m.usb_plugged()) interfaces_.push_back({i, true});
    }
    // A cable pulled in the middle of a transfer is a change of the monitor's state too.
    if (pulled) save_locked();
}

int CSimBackend::interface_count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(interfaces_.size());
}

int CSimBackend::interface_info(int local_index, CInterfaceInfo& info) {
    std::lock_guard lock(mutex_);
    take_external_changes();
    if (local_index < 0 || local_index >= static_cast<int>(interfaces_.size()))
        return kAccessBadIndex;
    const Interface& iface = interfaces_[static_cast<std::size_t>(local_index)];
    const sim::CSimMonitor& m = *monitors_[iface.monitor];
    const sim::CSimMonitorConfig& c = config_.monitors[iface.monitor];
    info = CInterfaceInfo();
    if (iface.usb) {
        if (!m.usb_plugged()) return kAccessNoDevice;
        info.set_int(info_offset::type, kInterfaceTypeUsb);
        info.bytes[info_offset::usable] = 1;
        info.set_text(info_offset::model_name, info_offset::model_name_capacity,
                      m.model().name.toLatin1());
        info.set_text(info_offset::serial, info_offset::serial_capacity, m.serial());
        info.set_int(info_offset::product_id, product_identifier(m.edid()));
    } else {
        info.set_int(info_offset::type, kInterfaceTypeVideo);
        info.bytes[info_offset::usable] = c.video == sim::CSimVideoLink::unusable ? 0 : 1;
        info.bytes[info_offset::skip_video] = c.video == sim::CSimVideoLink::skip ? 1 : 0;
    }
    // The area values: the desktop rectangle of the first display showing this monitor.
    for (const sim::CSimDisplay& d : config_.displays) {
        if (d.monitor != static_cast<int>(iface.monitor)) continue;
        info.set_int(info_offset::area, d.geometry.x());
        info.set_int(info_offset::area + 4, d.geometry.y());
        info.set_int(info_offset::area + 8, d.geometry.width());
        info.set_int(info_offset::area + 12, d.geometry.height());
        break;
    }
    return 0;
}

int CSimBackend::reachable(int local_index, sim::CSimMonitor*& monitor) {
    take_external_changes();
    if (local_index < 0 || local_index >= static_cast<int>(interfaces_.size()))
        return kAccessBadIndex;
    const Interface& iface = interfaces_[static_cast<std::size_t>(local_index)];
    monitor = monitors_[iface.monitor].get();
    if (iface.usb && !monitor->usb_plugged()) return kAccessNoDevice;
    if (!iface.usb && config_.monitors[iface.monitor].video == sim::CSimVideoLink::unusable) {
        return kAccessIoError;
    }
    return 0;
}

bool CSimBackend::ddcci_switched_off(int local_index, int address) const {
    const Interface& iface = interfaces_[static_cast<std::size_t>(local_index)];
    return !iface.usb && (address & 0xFE) == sim::kDdcAddress &&
           !monitors_[iface.monitor]->video_ddcci();
}

std::map<QString, QString> CSimBackend::open_exchanges() {
    if (exchange_file_.isEmpty()) return exchanges_;
    std::map<QString, QString> open;
    QFile file(exchange_file_);
    if (!file.open(QIODevice::ReadOnly)) return open;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int tab = line.indexOf('\t');
        if (tab > 0) open[QString::fromUtf8(line.left(tab))] = QString::fromUtf8(line.mid(tab + 1));
    }
    return open;
}

void CSimBackend::store_open_exchanges(const std::map<QString, QString>& open) {
    if (exchange_file_.isEmpty()) {
        exchanges_ = open;
        return;
    }
    QByteArray text;
    for (const auto& [key, who] : open)
        text += key.toUtf8() + '\t' + who.toUtf8() + '\n';
    QFile file(exchange_file_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
}

void CSimBackend::check_overlap(sim::CSimMonitor& m) {
    const auto open = open_exchanges();
    const auto it = open.find(m.key());
    if (it == open.end()) return;
    const QString me = requester();
    if (it->second == me || !requester_alive(it->second)) return;
    ++m.state().overlapping_conversations;
    qCWarning(sim_log).noquote() << "overlapping conversation on" << m.key() << "- a request of"
                                 << me << "while the exchange of" << it->second << "is open ("
                                 << m.state().overlapping_conversations << "so far)";
}

void CSimBackend::track_exchange(sim::CSimMonitor& m, bool wrote) {
    auto open = open_exchanges();
    const QString key = m.key();
    const QString me = requester();
    const auto it = open.find(key);
    const bool mine = it != open.end() && it->second == me;
    // A reply another thread's request is waiting for stays theirs.
    if (!wrote && it != open.end() && !mine) return;
    // The writer's first read ends the exchange, whatever it found: a program that gives up
    // on a slow reply (or whose read failed) has ended it, and later polls are its own.
    const bool now_open = wrote && m.reply_pending();
    if (now_open == mine) return;
    if (now_open) {
        open[key] = me;
    } else {
        open.erase(key);
    }
    store_open_exchanges(open);
}

int CSimBackend::i2c_write(int local_index, int address, const std::uint8_t* data, int length) {
    std::lock_guard lock(mutex_);
    // One request is one step of the shared monitor: another process's changes are taken
    // before it, and what it changed is in the file before anyone else looks.
    sim::CSimStateStore::Lock shared(store_);
    sim::CSimMonitor* m = nullptr;
    if (const int r = reachable(local_index, m)) return r;
    // With DDC/CI off in its menu, nothing acknowledges at 0x6E on the video cable.
    if (ddcci_switched_off(local_index, address)) return access_result(sim::kSimNoAcknowledge);
    const sim::CSimMonitorState before = m->state();
    if (is_ddcci(address)) check_overlap(*m);
    const int result = access_result(m->i2c_write(address, data, length));
    // A request nobody acknowledged opens nothing, and ends the writer's earlier exchange: the
    // program gives up on it or starts again.
    if (is_ddcci(address)) track_exchange(*m, result >= 0);
    if (!(m->state() == before)) save_locked();
    return result;
}

int CSimBackend::i2c_read(int local_index, int address, std::uint8_t* buffer, int length) {
    std::lock_guard lock(mutex_);
    sim::CSimStateStore::Lock shared(store_);
    sim::CSimMonitor* m = nullptr;
    if (const int r = reachable(local_index, m)) {
        if (m && is_ddcci(address)) track_exchange(*m, false);
        return r;
    }
    if (ddcci_switched_off(local_index, address)) {
        track_exchange(*m, false);
        return access_result(sim::kSimNoAcknowledge);
    }
    if (!is_ddcci(address)) return access_result(m->i2c_read(address, buffer, length));
    const int overlaps = m->state().overlapping_conversations;
    check_overlap(*m);
    const int result = access_result(m->i2c_read(address, buffer, length));
    track_exchange(*m, false);
    if (m->state().overlapping_conversations != overlaps) save_locked();
    return result;
}

int CSimBackend::begin_transaction(int local_index) {
    std::size_t monitor = 0;
    {
        std::lock_guard lock(mutex_);
        if (local_index < 0 || local_index >= static_cast<int>(interfaces_.size()))
            return kAccessBadIndex;
        monitor = interfaces_[static_cast<std::size_t>(local_index)].monitor;
    }
    // Waited for without the backend's own lock, so that the holder can finish its exchange.
    const int result = exchange_locks_[monitor]->acquire();
    if (result != 0) return result;
    std::lock_guard lock(mutex_);
    held_[{std::this_thread::get_id(), local_index}].push_back(monitor);
    return 0;
}

void CSimBackend::end_transaction(int local_index) {
    std::size_t monitor = 0;
    {
        std::lock_guard lock(mutex_);
        const auto it = held_.find({std::this_thread::get_id(), local_index});
        if (it == held_.end()) return;
        monitor = it->second.back();
        it->second.pop_back();
        if (it->second.empty()) held_.erase(it);
    }
    exchange_locks_[monitor]->release();
}

std::unique_ptr<CAccessBackend> create_sim_backend_from_environment() {
    sim::CSimConfig config;
    QString error;
    if (!sim::CSimConfig::from_environment(config, &error)) {
        if (!error.isEmpty()) qCWarning(sim_log) << "simulator not started:" << error;
        return nullptr;
    }
    return std::make_unique<CSimBackend>(std::move(config));
}

}  // namespace platform
