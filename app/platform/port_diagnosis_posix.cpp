#include "PortDiagnosis.h"

#include "Cradle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "port_holder.h"

namespace {

QString modeText(mode_t mode)
{
    QString text = S_ISCHR(mode) ? QStringLiteral("c") : S_ISLNK(mode) ? QStringLiteral("l") : QStringLiteral("-");
    const char letters[] = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text;
}

QString userName(uid_t uid)
{
    const passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group* entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

bool processHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int filled = ::getgroups(count, groups.data());
    for (int i = 0; i < filled; ++i) {
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    }
    return false;
}

// Membership as the account database has it now, which a running login may not have picked up.
bool accountHasGroup(uid_t uid, gid_t gid)
{
    const passwd* entry = ::getpwuid(uid);
    if (!entry)
        return false;
    const QByteArray name(entry->pw_name);
    const gid_t primary = entry->pw_gid;
    if (primary == gid)
        return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (::getgrouplist(name.constData(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        if (::getgrouplist(name.constData(), primary, groups.data(), &count) < 0)
            return false;
    }
    for (int i = 0; i < count; ++i) {
        if (groups[static_cast<size_t>(i)] == gid)
            return true;
    }
    return false;
}

QString processName(const QString& pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

QStringList otherProcesses()
{
    const QString self = QString::number(::getpid());
    QStringList pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        entry.toInt(&numeric);
        if (numeric && entry != self)
            pids.append(entry);
    }
    return pids;
}

bool modemManagerRuns()
{
    for (const QString& pid : otherProcesses()) {
        if (processName(pid) == QLatin1String("ModemManager"))
            return true;
    }
    return false;
}

void explainPermission(PortDiagnosis& diagnosis, const struct stat& status)
{
    const uid_t uid = ::geteuid();
    diagnosis.group = groupName(status.st_gid);
    diagnosis.mode = modeText(status.st_mode);
    const mode_t groupReadWrite = S_IRGRP | S_IWGRP;
    if (status.st_uid == uid || (status.st_mode & groupReadWrite) != groupReadWrite || processHasGroup(status.st_gid))
        diagnosis.kind = PortDiagnosis::ModeDenies;
    else if (accountHasGroup(uid, status.st_gid))
        diagnosis.kind = PortDiagnosis::NeedsNewLogin;
    else
        diagnosis.kind = PortDiagnosis::NoPermission;
}

void explainInUse(PortDiagnosis& diagnosis, const QString& device)
{
    diagnosis.kind = PortDiagnosis::InUse;
    if (const auto holder = procedures::findPortHolder(QFile::encodeName(device).toStdString())) {
        diagnosis.holder = QString::fromLocal8Bit(holder->name.c_str());
        diagnosis.holderPid = holder->pid;
    }
    // A modem manager opens new ACM ports to probe them for a modem, for some seconds after plug-in.
    diagnosis.modemManager = QFileInfo(device).fileName().startsWith(QLatin1String("ttyACM"))
                             && (diagnosis.holder == QLatin1String("ModemManager") || modemManagerRuns());
}

}  // namespace

PortDiagnosis diagnoseOpenFailure(const QString& portName, int libraryError)
{
    PortDiagnosis diagnosis;
    // As the library opens it: a bare name lives under /dev, a path is taken as given. The system's
    // own list cannot be asked, as it no longer holds a port that has gone.
    diagnosis.path = portName.contains(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    diagnosis.user = userName(::geteuid());
    const QByteArray path = QFile::encodeName(diagnosis.path);

    struct stat status {};
    if (::stat(path.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            diagnosis.kind = PortDiagnosis::Gone;
        return diagnosis;
    }
    const QString device = QFileInfo(diagnosis.path).canonicalFilePath();

    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case EACCES:
        case EPERM: explainPermission(diagnosis, status); break;
        case EBUSY: explainInUse(diagnosis, device); break;
        case ENOENT:
        case ENXIO:
        case ENODEV: diagnosis.kind = PortDiagnosis::Gone; break;
        default: break;
        }
        return diagnosis;
    }
    // The library locks the port for itself; a lock held elsewhere is another program using it. One
    // that opened the port without a lock is found by the library, which says so.
    if ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) || libraryError == CRADLE_SERIAL_HELD_ELSEWHERE)
        explainInUse(diagnosis, device);
    ::close(fd);
    return diagnosis;
}
