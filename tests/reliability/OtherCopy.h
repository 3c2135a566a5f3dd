#pragma once

// Another copy of the game at the settings file: the profile writer (profile_writer.cpp) in a
// process of its own. The suite that uses it names the writer's path in PROFILE_WRITER.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

class OtherCopy
{
public:
    explicit OtherCopy(const QStringList &arguments) { process.start(QStringLiteral(PROFILE_WRITER), arguments); }
    ~OtherCopy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
    OtherCopy(const OtherCopy &) = delete;
    OtherCopy &operator=(const OtherCopy &) = delete;

    // The next line the writer prints, waited for up to 10 s; empty when none comes.
    QByteArray NextLine()
    {
        const QDeadlineTimer deadline(10000);
        while (!process.canReadLine()) {
            if (deadline.hasExpired() || !process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return QByteArray();
        }
        return process.readLine().trimmed();
    }

    // Sends a line at once, not when the next wait comes.
    void Send(const QByteArray &line)
    {
        process.write(line + '\n');
        process.waitForBytesWritten(10000);
    }

    // Ends its input: it lets go of what it holds and ends. False if it does not end in 10 s or
    // fails.
    bool Finish()
    {
        process.closeWriteChannel();
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

    // Killed as a crash would end it: no chance to let go of anything.
    void Kill()
    {
        process.kill();
        process.waitForFinished(10000);
    }

    QString Errors() { return QString::fromLocal8Bit(process.readAllStandardError()); }

private:
    QProcess process;
};
