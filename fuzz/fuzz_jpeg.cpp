// libFuzzer target: the bytes of a photo file loaded as the JPEG picture of a frame, then decoded
// for a 24-bit screen and for an 8-bit screen; and loaded from a file with filler after them (see
// RunJpegTarget). A broken promise aborts.

#include "FuzzTargets.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QByteArray gPath;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gPath = FuzzScratchFile("fuzz-jpeg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const JpegTargetOutcome outcome =
        RunJpegTarget(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)), gPath);
    if (!outcome.violation.isEmpty()) {
        std::fprintf(stderr, "fuzz_jpeg: %s\n", outcome.violation.toUtf8().constData());
        std::abort();
    }
    return 0;
}
