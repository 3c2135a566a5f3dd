#include "platform/TThread.h"

#include <chrono>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

TThread::TThread() = default;

TThread::~TThread()
{
    Stop();
}

void TThread::Park()
{
    std::lock_guard lock(mutex);
    parked = true;
}

void TThread::Release()
{
    {
        std::lock_guard lock(mutex);
        if (stopping)
            return;
        parked = false;
        if (!thread.joinable())
            thread = std::thread(&TThread::Main, this);
    }
    wake.notify_all();
}

bool TThread::Parked() const
{
    std::lock_guard lock(mutex);
    return parked;
}

void TThread::Stop()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void TThread::SetPriority(TThreadPriority newPriority)
{
    priority = newPriority;
    ApplyPriority();
}

int TThread::NiceValue(TThreadPriority value)
{
    switch (value) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -20;
    }
    return 0;
}

void TThread::ApplyPriority()
{
    // On Linux the nice value is per thread. A refusal (no privilege to raise the priority) is
    // ignored: the timer runs all the same, only less favoured.
    std::lock_guard lock(priorityMutex);
    if (const int id = nativeId.load(); id != 0)
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(id), NiceValue(priority.load()));
}

void TThread::Main()
{
    // The default timer slack of 50 microseconds would show in every period; ask for the least.
    (void)prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    nativeId = static_cast<int>(syscall(SYS_gettid));
    ApplyPriority();
    Execute();
}

bool TThread::SleepUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex);
    while (!stopping) {
        if (parked)
            wake.wait(lock);
        else if (std::chrono::steady_clock::now() >= deadline)
            return true;
        else
            wake.wait_until(lock, deadline);
    }
    return false;
}

bool TThread::WaitWhileParked(bool *waited)
{
    std::unique_lock lock(mutex);
    if (waited)
        *waited = parked && !stopping;
    wake.wait(lock, [this] { return stopping || !parked; });
    return !stopping;
}
