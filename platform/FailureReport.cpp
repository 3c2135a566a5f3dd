#include "platform/FailureReport.h"

#include <cstdio>
#include <utility>

namespace {
FailureReporter &Reporter()
{
    static FailureReporter reporter;
    return reporter;
}
} // namespace

void SetFailureReporter(FailureReporter reporter)
{
    Reporter() = std::move(reporter);
}

void ReportFailure(const std::string &message)
{
    if (Reporter())
        Reporter()(message);
    else
        std::fprintf(stderr, "zandrix2: %s\n", message.c_str());
}

void ReportCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception &e) {
            ReportFailure(e.what());
        } catch (...) {
            ReportFailure("Unknown failure");
        }
    } catch (...) {
        // The reporter itself failed: nothing sensible is left to do but go on.
    }
}
