#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Points XDG_CONFIG_HOME (and XDG_DATA_HOME, where the games played are kept) at a fresh empty
// directory for as long as it lives, so every test starts without a settings file and never
// touches the user's own files.
class TestConfigHome
{
public:
    TestConfigHome()
    {
        old = qgetenv("XDG_CONFIG_HOME");
        hadOld = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        oldData = qgetenv("XDG_DATA_HOME");
        hadOldData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
    }
    ~TestConfigHome()
    {
        if (hadOld)
            qputenv("XDG_CONFIG_HOME", old);
        else
            qunsetenv("XDG_CONFIG_HOME");
        if (hadOldData)
            qputenv("XDG_DATA_HOME", oldData);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    TestConfigHome(const TestConfigHome &) = delete;
    TestConfigHome &operator=(const TestConfigHome &) = delete;

    QString path() const { return dir.path(); }
    QString settingsFile() const { return dir.path() + QStringLiteral("/zandrix2.ini"); }

private:
    QTemporaryDir dir;
    QByteArray old;
    bool hadOld = false;
    QByteArray oldData;
    bool hadOldData = false;
};
