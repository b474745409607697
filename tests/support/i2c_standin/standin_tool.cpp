// orvale-i2c-standin: lays out the stand-in's device nodes and kernel object tree, changes its
// fault settings, and runs a program in a private mount namespace where those appear at /dev
// and /sys, with the library that answers the i2c-dev calls preloaded.
//
//   orvale-i2c-standin setup ROOT
//   orvale-i2c-standin set ROOT i2c-N key=value...
//   orvale-i2c-standin run ROOT PROGRAM [ARGUMENT...]
#include <dirent.h>
#include <link.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/sim_config.h"
#include "standin_bus.h"
#include "standin_layout.h"

namespace {

int usage() {
    std::fputs(
        "usage: orvale-i2c-standin setup ROOT\n"
        "       orvale-i2c-standin set ROOT i2c-N key=value...\n"
        "       orvale-i2c-standin run ROOT PROGRAM [ARGUMENT...]\n",
        stderr);
    return 2;
}

int set(const QString& root, const QString& bus, const QStringList& words) {
    standin::BusSettings s;
    if (!standin::read_settings(root, bus, s)) {
        std::fprintf(stderr, "orvale-i2c-standin: no bus %s in %s\n", qPrintable(bus),
                     qPrintable(root));
        return 1;
    }
    QString error;
    if (!standin::apply_words(s, words, error)) {
        std::fprintf(stderr, "orvale-i2c-standin: %s\n", qPrintable(error));
        return 2;
    }
    standin::write_settings(root, s);
    standin::sync_node(root, s);
    return 0;
}

// The sanitizer runtime this tool was linked with: it has to come first in a preload list.
std::string sanitizer_runtime() {
    std::string found;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/libasan.so"))
                *static_cast<std::string*>(data) = info->dlpi_name;
            return 0;
        },
        &found);
    return found;
}

bool fail(const char* what, const std::string& path) {
    std::fprintf(stderr, "orvale-i2c-standin: %s %s: %s\n", what, path.c_str(),
                 std::strerror(errno));
    return false;
}

// Every entry of the machine's /dev appears in the stand-in's as a link into a bind mount of
// the original, beside the stand-in's own i2c nodes.
bool enter_namespace(const std::string& root) {
    if (unshare(CLONE_NEWNS) != 0) return fail("cannot enter a mount namespace for", root);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return fail("cannot make mounts private under", "/");
    const std::string hostdev = root + "/hostdev";
    mkdir(hostdev.c_str(), 0755);
    if (mount("/dev", hostdev.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
        return fail("cannot bind /dev to", hostdev);
    if (DIR* dir = opendir(hostdev.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == ".." || name.rfind("i2c-", 0) == 0) continue;
            const std::string link = root + "/dev/" + name;
            if (symlink((hostdev + "/" + name).c_str(), link.c_str()) != 0 && errno != EEXIST)
                return fail("cannot link", link);
        }
        closedir(dir);
    }
    if (mount((root + "/dev").c_str(), "/dev", nullptr, MS_BIND, nullptr) != 0)
        return fail("cannot bind the stand-in's nodes to", "/dev");
    if (mount((root + "/sys").c_str(), "/sys", nullptr, MS_BIND | MS_REC, nullptr) != 0)
        return fail("cannot bind the stand-in's tree to", "/sys");
    return true;
}

int run(const QString& root, char** command) {
    const std::string folder = QFileInfo(root).absoluteFilePath().toStdString();
    if (!enter_namespace(folder)) return 1;
    std::string preload = ORVALE_I2C_STANDIN_LIBRARY;
    if (const std::string runtime = sanitizer_runtime(); !runtime.empty())
        preload = runtime + " " + preload;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("ORVALE_I2C_STANDIN", folder.c_str(), 1);
    execvp(command[0], command);
    std::fprintf(stderr, "orvale-i2c-standin: cannot run %s: %s\n", command[0],
                 std::strerror(errno));
    return 127;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string verb = argv[1];
    const QString root = QString::fromLocal8Bit(argv[2]);
    if (verb == "run") {
        if (argc < 4) return usage();
        return run(root, argv + 3);
    }
    QCoreApplication app(argc, argv);
    if (verb == "setup") {
        QString error;
        if (!standin::lay_out(root, error)) {
            std::fprintf(stderr, "orvale-i2c-standin: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (verb == "set" && argc >= 4) {
        QStringList words;
        for (int i = 4; i < argc; ++i)
            words << QString::fromLocal8Bit(argv[i]);
        return set(root, QString::fromLocal8Bit(argv[3]), words);
    }
    return usage();
}
