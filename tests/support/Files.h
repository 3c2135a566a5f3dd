#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <csignal>
#include <cstddef>
#include <sys/resource.h>
#include <unistd.h>

// A literal with its NUL bytes, without the terminating one.
template <std::size_t N> QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// Writes the bytes as the whole file.
inline void Store(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The whole file, or "<unreadable>" when it cannot be opened.
inline QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

// While it lives the process acts as the unprivileged user "nobody", so that permissions count
// (root passes every permission check). Without root there is nothing to drop.
class AsNobody
{
public:
    AsNobody()
    {
        if (geteuid() == 0)
            dropped = seteuid(65534) == 0;
    }
    ~AsNobody()
    {
        if (dropped)
            (void)!seteuid(0);
    }
    AsNobody(const AsNobody &) = delete;
    AsNobody &operator=(const AsNobody &) = delete;
    bool Active() const { return dropped || geteuid() != 0; }

private:
    bool dropped = false;
};

// Makes every file write beyond the given size fail with EFBIG, as a full disk would, even for
// root (who ignores directory permissions). Restores the old limit when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old{};
    void (*oldHandler)(int) = SIG_DFL;
};
