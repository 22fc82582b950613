#pragma once
// What the fuzz targets (fuzz/) do with one input, and the promises they check, shared with the
// test that replays the inputs the fuzzers once broke the program with (test_fuzz_regressions).
//
// Each run returns what came of the input and, when a promise was broken, a description of it
// (`violation`); the fuzz targets abort on a violation, the test fails.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct JpegTargetOutcome {
    QString loadError;  // the load's error text; empty when the picture loaded
    int width = 0;
    int height = 0;
    bool decoded = false;  // false for pictures above kFuzzMaxDecodePixels: only their header is read
    QString colour;     // the 24-bit (or, for grayscale, palette) decode: "N rows" or the error
    QString quantised;  // the decode for an 8-bit screen: "N rows" or the error
    QString violation;  // empty when every promise held
};

// Pictures larger than this are loaded but not decoded by the fuzz target (a few bytes can promise
// a picture of gigabytes; decoding those tells nothing new and takes long).
inline constexpr qint64 kFuzzMaxDecodePixels = qint64(1) << 20;

// Loads `bytes` as the bytes of a photo file, then decodes the picture for a 24-bit screen in small
// slices with a small input step, checking it against libjpeg's plain decode; then starts the
// decode for an 8-bit screen, abandons it, and runs it again to its end, also checked against
// libjpeg's plain decode. With a scratch file, the bytes followed by more than 64 KiB of filler
// are also loaded from that file, which must come out as loading them from memory does (the load
// reads a file's head first and the rest only when the head does not decide).
JpegTargetOutcome RunJpegTarget(const QByteArray& bytes, const QByteArray& scratchFile = {});

struct DetailsTargetOutcome {
    QStringList columns;  // columns 0..31 as ItemDetails answers them
    QString violation;    // empty when every promise held
};

// Writes `bytes` to the file at `path` (replacing it) and reads its details.
DetailsTargetOutcome RunDetailsTarget(const QByteArray& bytes, const QByteArray& path);

// For a fuzz target's set-up: makes a folder of its own under $TMPDIR (else /tmp), named after
// `target`, and returns the path of "photo.jpg" in it. The file and the folder go at exit; a
// folder that cannot be made aborts.
QByteArray FuzzScratchFile(const char* target);
