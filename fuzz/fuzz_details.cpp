// libFuzzer target: the bytes of an arbitrary file, named like a photo, read for the details
// panel (see RunDetailsTarget). A broken promise aborts.

#include "FuzzTargets.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QByteArray gPath;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv); // the MIME database and locales want one
    gPath = FuzzScratchFile("fuzz-details");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DetailsTargetOutcome outcome =
        RunDetailsTarget(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), gPath);
    if (!outcome.violation.isEmpty()) {
        std::fprintf(stderr, "fuzz_details: %s\n", outcome.violation.toUtf8().constData());
        std::abort();
    }
    return 0;
}
