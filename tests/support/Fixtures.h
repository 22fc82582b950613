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
};

// The picture a JPEG fixture encodes, before compression (RGB888, or Grayscale8).
QImage FixturePixels(const JpegOptions& options);

// A JPEG file encoded with libjpeg; returns its bytes.
QByteArray EncodeJpeg(const JpegOptions& options);

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
