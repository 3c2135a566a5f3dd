#include "bench/FirstFrame.h"

#include "app/TFieldView.h"
#include "app/TProgram.h"
#include "bench/Clocks.h"
#include "platform/ErrorDisplay.h"

#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// Notes the first paint event of the watched widget and ends the event loop.
class FirstPaint : public QObject
{
public:
    std::int64_t paintNs = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && paintNs == 0) {
            paintNs = MonotonicNs();
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
};

// Runs one child and reads its report; false with `error` set when it failed.
bool RunChild(const std::vector<std::string> &arguments, StartupResult &result)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        result.error = "pipe failed";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);

    std::vector<char *> argv;
    std::string program = "/proc/self/exe";
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string &argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const std::int64_t spawnNs = MonotonicNs();
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        result.error = "cannot start the first-frame child";
        return false;
    }

    std::string output;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            output.append(buffer, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            break;
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);

    std::istringstream report(output);
    std::string tag;
    std::int64_t mainNs = 0;
    std::int64_t paintNs = 0;
    if (!(report >> tag >> mainNs >> paintNs) || tag != "first-frame" || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0) {
        result.error = "the first-frame child reported nothing usable: " + output;
        return false;
    }
    result.fromExec.Add(static_cast<double>(paintNs - spawnNs) / 1e6);
    result.fromMain.Add(static_cast<double>(paintNs - mainNs) / 1e6);
    result.peakKiB = std::max(result.peakKiB, usage.ru_maxrss);
    return true;
}

} // namespace

int RunFirstFrameChild(int &argc, char **argv, std::int64_t mainStartNs)
{
    // As the program's own main() does.
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Zandrix II"));
    TApplication::setDesktopFileName(QStringLiteral("org.zandrix.Zandrix2"));

    TProgram program(1);
    TForm1 &form = program.Form1;
    FirstPaint watch;
    auto *view = form.findChild<TFieldView *>();
    if (view == nullptr)
        return 2;
    view->installEventFilter(&watch);
    form.show();
    TApplication::exec();
    if (watch.paintNs == 0)
        return 3;
    std::printf("first-frame %lld %lld\n", static_cast<long long>(mainStartNs), static_cast<long long>(watch.paintNs));
    return 0;
}

StartupResult MeasureStartup(int runs, const std::vector<std::string> &arguments)
{
    StartupResult result;
    for (int i = 0; i < runs; ++i)
        if (!RunChild(arguments, result))
            break;
    return result;
}
