// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Folders that fail as a real disk fails, made with mounts in a mount
// namespace of the test process's own, so nothing outside it sees them: a
// folder bound read-only over itself, and a tiny tmpfs. Root ignores file
// permissions, so a read-only mount is the only read-only that holds for
// root; a plain user gets the mount namespace inside a user namespace of
// its own, where the same mounts hold for it too.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace netsonde::test {

// Why this process has no mount namespace of its own; empty when it has.
inline QString& MountNamespaceFailure()
{
    static QString failure = QStringLiteral("the mount namespace was not set up");
    return failure;
}

// Writes a file of /proc/self in one write, as the kernel wants its id maps.
inline bool WriteOwnProcessFile(const char* name, const QByteArray& text)
{
    const int fd = ::open((QByteArray("/proc/self/") + name).constData(), O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

// A user namespace in which this user keeps its own ids (files it makes on
// a tmpfs of the namespace are its own), with a mount namespace inside.
inline bool EnterUserAndMountNamespace()
{
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray gid = QByteArray::number(::getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && WriteOwnProcessFile("setgroups", "deny")
           && WriteOwnProcessFile("uid_map", uid + ' ' + uid + " 1")
           && WriteOwnProcessFile("gid_map", gid + ' ' + gid + " 1");
}

// Call in main before any thread starts.
inline void EnterPrivateMountNamespace()
{
    const bool entered = ::unshare(CLONE_NEWNS) == 0 || EnterUserAndMountNamespace();
    if (!entered || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        MountNamespaceFailure() = QStringLiteral("no private mount namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
    else
        MountNamespaceFailure().clear();
}

// A mount over a path for the life of the object; Failure() says why there
// is none.
class CScopedMount {
public:
    // The folder or file at path, bound read-only over itself.
    static CScopedMount ReadOnly(const QString& path) { return CScopedMount(path, 0); }
    // An empty tmpfs of the given size at the folder.
    static CScopedMount Tmpfs(const QString& folder, int kibibytes) { return CScopedMount(folder, kibibytes); }

    CScopedMount(const CScopedMount&) = delete;
    CScopedMount& operator=(const CScopedMount&) = delete;
    ~CScopedMount()
    {
        if (m_bMounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }

    const QString& Failure() const { return m_failure; }

private:
    CScopedMount(const QString& path, int tmpfsKibibytes) : m_path(QFile::encodeName(path))
    {
        m_failure = MountNamespaceFailure();
        if (!m_failure.isEmpty())
            return;
        if (tmpfsKibibytes > 0)
            Mount("tmpfs", "netsonde-test", "tmpfs", MS_NOSUID | MS_NODEV,
                  "size=" + QByteArray::number(tmpfsKibibytes) + "k");
        else if (Mount("bind", m_path.constData(), nullptr, MS_BIND))
            Mount("read-only remount", nullptr, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY);
    }

    bool Mount(const char* step, const char* source, const char* type, unsigned long flags,
               const QByteArray& options = {})
    {
        if (::mount(source, m_path.constData(), type, flags, options.isEmpty() ? nullptr : options.constData()) == 0)
            return m_bMounted = true;
        m_failure = QStringLiteral("cannot mount (%1) at %2: %3")
                        .arg(QLatin1String(step), QFile::decodeName(m_path), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

    QByteArray m_path;
    QString m_failure;
    bool m_bMounted = false;
};

// Fills the folder's file system with one file until nothing more fits, or
// until only `leave` bytes would; false when the disk never filled.
inline bool FillDisk(const QString& path, qsizetype leave = 0)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(1024, 'f');
    qint64 written = 0;
    while (filler.write(block) == block.size())
        written += block.size();
    filler.resize(written - leave);
    return written > 0;
}

} // namespace netsonde::test

#define SKIP_WITHOUT(mount)                                                                        \
    do {                                                                                           \
        if (!(mount).Failure().isEmpty())                                                          \
            QSKIP(qPrintable((mount).Failure()));                                                  \
    } while (false)
