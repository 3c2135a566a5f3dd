#pragma once

#include "platform/THandOff.h"

#include <QObject>

#include <memory>

// The hand-off through the Qt event loop: the call is posted as a queued invocation to a context
// object that lives on the GUI thread, and the worker waits for it on a condition of its own, so
// that Close() can always release it.
class TQtHandOff : public THandOff
{
public:
    TQtHandOff();
    ~TQtHandOff() override;

    void Run(std::function<bool()> call) override;
    void Close() override;

private:
    struct Call;
    struct State;

    static void Post(const std::shared_ptr<State> &state, const std::shared_ptr<Call> &job);
    // Held by every posted call too: a call whose handler destroys its own timer destroys this
    // hand-off while the call still runs, and must not find the worker's condition gone then.
    std::shared_ptr<State> state;
    std::unique_ptr<QObject> context;
};
