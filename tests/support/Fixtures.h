#pragma once
// Photos and folders that the tests make for themselves, in a temporary folder.

#include <QByteArray>
#include <QTemporaryDir>
#include <QImage>

struct JpegOptions {
    int width = 64;
    int height = 48;
    int quality = 90;
    bool grayscale = false;
    bool progressive = false;
    unsigned seed = 1; // pixel pattern; the same seed gives the same picture
    int noise = 0;     // pseudo-random noise of up to +-noise on every sample (seeded): big files
    // Four-component files, from the same RGB pattern: stored as CMYK, or as YCCK.
    bool cmyk = false;
    bool ycck = false;
    // CMYK/YCCK only: with the Adobe marker the samples are stored inverted, as Adobe software
    // writes them (255 = no ink); without it they are plain ink amounts.
    bool adobeMarker = true;
};

// The picture a JPEG fixture encodes, before compression (RGB888, or Grayscale8).
QImage FixturePixels(const JpegOptions& options);

// A JPEG file encoded with libjpeg; returns its bytes.
QByteArray EncodeJpeg(const JpegOptions& options);

// libjpeg's own straightforward decode of a JPEG: scale 1/1, defaults, block smoothing on; RGB888,
// or when quantising (always for grayscale files) 236 colours into Indexed8 with the colour map as
// colour table. A null image when libjpeg fails. `warnings`, when given, receives the number of
// libjpeg's warnings (corrupt or truncated data).
QImage DecodeJpegReference(const QByteArray& jpeg, bool quantise, long* warnings = nullptr);

// The JPEG with its frame header (SOF) saying width x height instead.
QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height);

// The JPEG with `bytes` inserted just before its scanIndex-th (0-based) start-of-scan marker.
QByteArray InsertBeforeScan(const QByteArray& jpeg, int scanIndex, const QByteArray& bytes);

// A small PNG picture: a file that is no JPEG, whatever its name.
QByteArray PngBytes();

// Bytes this process has read through read() and its kin so far (-1 when unknown): the difference
// over a call tells how much of a file it read.
qint64 BytesReadByProcess();

// Writes bytes to a path (bytes, as the file system takes them); fails the test on error.
void WriteBytes(const QByteArray& path, const QByteArray& bytes);

// A fresh temporary folder; `Path()` gives it as bytes, `File(name)` a path inside it.
class FixtureFolder {
public:
    FixtureFolder();
    ~FixtureFolder();
    FixtureFolder(const FixtureFolder&) = delete;
    FixtureFolder& operator=(const FixtureFolder&) = delete;
    QByteArray Path() const;
    QByteArray File(const QByteArray& name) const;
    void AddFile(const QByteArray& name, const QByteArray& bytes = {}) const;
    void AddJpeg(const QByteArray& name, const JpegOptions& options = {}) const;
    void AddFolder(const QByteArray& name) const;

private:
    QTemporaryDir dir_;
};
