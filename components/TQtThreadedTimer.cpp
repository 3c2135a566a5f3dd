#include "components/TQtThreadedTimer.h"

#include "platform/TQtHandOff.h"

TQtThreadedTimer::TQtThreadedTimer(QObject *owner)
    : QObject(owner)
    , TThreadedTimer(std::make_unique<TQtHandOff>())
{
}
