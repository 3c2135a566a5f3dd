#pragma once

#include "components/TThreadedTimer.h"

#include <QObject>

// A threaded timer as the windows hold it: its ticks reach the GUI thread through Qt's event loop,
// and it is a QObject like the window's other components, so that a handler can name it as its
// Sender. (TThreadedTimer itself stays free of Qt, so that its suite runs under ThreadSanitizer.)
class TQtThreadedTimer
    : public QObject
    , public TThreadedTimer
{
    Q_OBJECT

public:
    explicit TQtThreadedTimer(QObject *owner = nullptr);
};
