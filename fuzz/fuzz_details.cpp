// libFuzzer target: the bytes of an arbitrary file, named like a photo, read for the details
// panel (see RunDetailsTarget). A broken promise aborts.

#include "FuzzTargets.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
QByteArray gDir;
QByteArray gPath;

void RemoveFiles()
{
    ::unlink(gPath.constData());
    ::rmdir(gDir.constData());
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv); // the MIME database and locales want one
    std::string dir = (qEnvironmentVariableIsSet("TMPDIR") ? qgetenv("TMPDIR").toStdString() : "/tmp")
        + "/porteo-fuzz-details-XXXXXX";
    if (!::mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    gDir = QByteArray::fromStdString(dir);
    gPath = gDir + "/photo.jpg";
    std::atexit(RemoveFiles);
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
