#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// Relative scheduling priorities of a worker thread.
enum TThreadPriority : std::uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A worker thread that another thread can park and release without ever waiting for it. Parking
// is a flag the worker looks at in SleepUntil() and WaitWhileParked(): a parked worker delivers
// nothing new, and a released one goes on where it stood (a parked sleep keeps its deadline). The
// thread itself starts at the first release. Destruction wakes the worker and joins it; the worker
// sees SleepUntil() or WaitWhileParked() return false and must leave Execute() without doing more.
class TThread
{
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread &) = delete;
    TThread &operator=(const TThread &) = delete;

    // From the controlling thread.
    void Park();
    void Release();
    bool Parked() const;
    void SetPriority(TThreadPriority priority);
    TThreadPriority Priority() const { return priority.load(); }
    // The kernel's id of the worker thread (for getpriority and /proc), 0 before it has started.
    int NativeId() const { return nativeId.load(); }
    // Asks the worker to end, wakes it and waits for it. Call from the most derived destructor,
    // after whatever it may be blocked on has let it go.
    void Stop();

    // The nice value a priority maps to. Without CAP_SYS_NICE Linux lets a thread's priority go
    // down but never up again (not even back to normal): such a step is refused, and the thread
    // keeps the priority it had.
    static int NiceValue(TThreadPriority priority);

protected:
    virtual void Execute() = 0;

    // From the worker: sleeps until `deadline`, and for as long as the thread is parked. Returns
    // false when the thread is being stopped.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline);
    // From the worker: waits while the thread is parked. Returns false when it is being stopped,
    // and tells in `waited` whether it was parked at all.
    bool WaitWhileParked(bool *waited = nullptr);

private:
    void Main();
    void ApplyPriority();

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool parked = true;
    bool stopping = false;
    std::thread thread;
    std::mutex priorityMutex;
    std::atomic<TThreadPriority> priority{tpNormal};
    std::atomic<int> nativeId{0};
};
