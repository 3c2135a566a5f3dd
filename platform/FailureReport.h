#pragma once

#include <exception>
#include <functional>
#include <string>

// Where failures caught on the GUI thread are reported. The application installs a reporter that
// shows the modal error box; tests install one that records. Without a reporter the message goes
// to standard error. Installed once at start-up, before any worker thread runs.
using FailureReporter = std::function<void(const std::string &message)>;

void SetFailureReporter(FailureReporter reporter);
void ReportFailure(const std::string &message);

// Reports the exception currently being handled (call from inside a catch block).
void ReportCurrentException() noexcept;

// Runs a handler and reports a failure it raises right there. Slots and event handlers run their
// handlers this way: a failure must not travel back into Qt's signal or event code (undefined
// behaviour through a signal's connection, and an event handler would skip what Qt still does
// after it). The application's event dispatch catches only as the last backstop.
template <typename Handler> void RunReporting(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
        ReportCurrentException();
    }
}
