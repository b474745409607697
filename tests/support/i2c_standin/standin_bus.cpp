#include "standin_bus.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <utility>

namespace standin {

namespace {

constexpr std::pair<const char*, int> kErrnos[] = {
    {"ENXIO", ENXIO},         {"EREMOTEIO", EREMOTEIO}, {"EIO", EIO},
    {"EAGAIN", EAGAIN},       {"ETIMEDOUT", ETIMEDOUT}, {"ENODEV", ENODEV},
    {"ESHUTDOWN", ESHUTDOWN}, {"EINVAL", EINVAL},       {"EOPNOTSUPP", EOPNOTSUPP},
    {"EBUSY", EBUSY},         {"EPROTO", EPROTO},
};

bool flag(const QString& value, bool& out) {
    if (value == QLatin1String("1") || value == QLatin1String("true")) {
        out = true;
    } else if (value == QLatin1String("0") || value == QLatin1String("false")) {
        out = false;
    } else {
        return false;
    }
    return true;
}

bool number(const QString& value, int& out) {
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok || v < 0) return false;
    out = v;
    return true;
}

}  // namespace

int errno_by_name(const QString& name) {
    for (const auto& [text, code] : kErrnos) {
        if (name == QLatin1String(text)) return code;
    }
    bool ok = false;
    const int code = name.toInt(&ok);
    return ok && code > 0 ? code : -1;
}

QString errno_name(int code) {
    for (const auto& [text, value] : kErrnos) {
        if (value == code) return QString::fromLatin1(text);
    }
    return QString::number(code);
}

QString settings_path(const QString& root, const QString& bus) {
    return root + QStringLiteral("/buses/") + bus;
}

bool apply_words(BusSettings& s, const QStringList& words, QString& error) {
    for (const QString& word : words) {
        const int eq = word.indexOf(QLatin1Char('='));
        const QString key = word.left(eq);
        const QString value = eq < 0 ? QString() : word.mid(eq + 1);
        bool ok = eq > 0;
        if (!ok) {
        } else if (key == QLatin1String("kind")) {
            s.kind = value;
        } else if (key == QLatin1String("monitor")) {
            s.monitor = value;
        } else if (key == QLatin1String("adapter")) {
            s.adapter = value;
        } else if (key == QLatin1String("nack")) {
            s.nack_errno = errno_by_name(value);
            ok = s.nack_errno > 0;
        } else if (key == QLatin1String("fail_errno")) {
            s.fail_errno = errno_by_name(value);
            ok = s.fail_errno > 0;
        } else if (key == QLatin1String("driver_bound")) {
            ok = flag(value, s.driver_bound);
        } else if (key == QLatin1String("ddcci_off")) {
            ok = flag(value, s.ddcci_off);
        } else if (key == QLatin1String("rdwr")) {
            ok = flag(value, s.rdwr);
        } else if (key == QLatin1String("removed")) {
            ok = flag(value, s.removed);
        } else if (key == QLatin1String("stale")) {
            ok = flag(value, s.stale);
        } else if (key == QLatin1String("slow_ms")) {
            ok = number(value, s.slow_ms);
        } else if (key == QLatin1String("timeout_ms")) {
            ok = number(value, s.timeout_ms);
        } else if (key == QLatin1String("fail_every")) {
            ok = number(value, s.fail_every);
        } else if (key == QLatin1String("remove_after")) {
            ok = number(value, s.remove_after);
        } else {
            ok = false;
        }
        if (!ok) {
            error = QStringLiteral("cannot take \"%1\"").arg(word);
            return false;
        }
    }
    return true;
}

bool read_settings(const QString& root, const QString& bus, BusSettings& settings) {
    QFile file(settings_path(root, bus));
    if (!file.open(QIODevice::ReadOnly)) return false;
    BusSettings s;
    s.name = bus;
    QString error;
    const QStringList words =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!apply_words(s, words, error)) return false;
    settings = s;
    return true;
}

bool write_settings(const QString& root, const BusSettings& s) {
    QDir().mkpath(root + QStringLiteral("/buses"));
    QSaveFile file(settings_path(root, s.name));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QStringList lines{
        QStringLiteral("kind=") + s.kind,
        QStringLiteral("monitor=") + s.monitor,
        QStringLiteral("adapter=") + s.adapter,
        QStringLiteral("nack=") + errno_name(s.nack_errno),
        QStringLiteral("driver_bound=%1").arg(int(s.driver_bound)),
        QStringLiteral("ddcci_off=%1").arg(int(s.ddcci_off)),
        QStringLiteral("rdwr=%1").arg(int(s.rdwr)),
        QStringLiteral("slow_ms=%1").arg(s.slow_ms),
        QStringLiteral("timeout_ms=%1").arg(s.timeout_ms),
        QStringLiteral("fail_every=%1").arg(s.fail_every),
        QStringLiteral("fail_errno=") + errno_name(s.fail_errno),
        QStringLiteral("remove_after=%1").arg(s.remove_after),
        QStringLiteral("removed=%1").arg(int(s.removed)),
        QStringLiteral("stale=%1").arg(int(s.stale)),
    };
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

QStringList bus_names(const QString& root) {
    return QDir(root + QStringLiteral("/buses")).entryList(QDir::Files, QDir::Name);
}

void sync_node(const QString& root, const BusSettings& settings) {
    const QString node = root + QStringLiteral("/dev/") + settings.name;
    if (settings.removed) {
        QFile::remove(node);
    } else if (!QFile::exists(node)) {
        QFile file(node);
        if (file.open(QIODevice::WriteOnly)) file.close();
    }
}

}  // namespace standin
