// libFuzzer target: the bytes of a photo file loaded as the JPEG picture of a frame, then decoded
// for a 24-bit screen and for an 8-bit screen (see RunJpegTarget). A broken promise aborts.

#include "FuzzTargets.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const JpegTargetOutcome outcome =
        RunJpegTarget(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!outcome.violation.isEmpty()) {
        std::fprintf(stderr, "fuzz_jpeg: %s\n", outcome.violation.toUtf8().constData());
        std::abort();
    }
    return 0;
}
