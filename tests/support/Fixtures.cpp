#include "Fixtures.h"

#include <QtTest>
#include <cstdio>
#include <jpeglib.h>
#include <ftw.h>
#include <sys/stat.h>

QImage FixturePixels(const JpegOptions& o)
{
    QImage image(o.width, o.height, o.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    for (int y = 0; y < o.height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < o.width; ++x) {
            // Smooth gradients with a seed-dependent tilt: compresses well, decodes distinctly.
            const int r = (x * 255 / std::max(1, o.width - 1) + int(o.seed) * 37) & 0xFF;
            const int g = (y * 255 / std::max(1, o.height - 1) + int(o.seed) * 91) & 0xFF;
            const int b = ((x + y) * 4 + int(o.seed) * 53) & 0xFF;
            if (o.grayscale) {
                row[x] = uchar((r + g + b) / 3);
            } else {
                row[3 * x] = uchar(r);
                row[3 * x + 1] = uchar(g);
                row[3 * x + 2] = uchar(b);
            }
        }
    }
    return image;
}

QByteArray EncodeJpeg(const JpegOptions& o)
{
    const QImage pixels = FixturePixels(o);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(o.width);
    cinfo.image_height = JDIMENSION(o.height);
    cinfo.input_components = o.grayscale ? 1 : 3;
    cinfo.in_color_space = o.grayscale ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, o.quality, TRUE);
    if (o.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    free(buffer);
    return bytes;
}

void WriteBytes(const QByteArray& path, const QByteArray& bytes)
{
    FILE* f = std::fopen(path.constData(), "wb");
    QVERIFY2(f, path.constData());
    if (!bytes.isEmpty())
        QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f), size_t(bytes.size()));
    QCOMPARE(std::fclose(f), 0);
}

FixtureFolder::FixtureFolder()
{
    QVERIFY(dir_.isValid());
    dir_.setAutoRemove(false); // names that are not UTF-8 defeat QDir; removed by bytes below
}

FixtureFolder::~FixtureFolder()
{
    // Make everything writable first (tests take permissions away), then remove it all.
    const auto remove = [](const char* path, const struct stat*, int, struct FTW*) {
        ::remove(path);
        return 0;
    };
    const auto unlock = [](const char* path, const struct stat* st, int type, struct FTW*) {
        if (type == FTW_D || type == FTW_DNR)
            ::chmod(path, 0700);
        (void)st;
        return 0;
    };
    ::nftw(Path().constData(), unlock, 16, FTW_PHYS);
    ::nftw(Path().constData(), remove, 16, FTW_DEPTH | FTW_PHYS);
}

QByteArray FixtureFolder::Path() const
{
    return QFile::encodeName(dir_.path());
}

QByteArray FixtureFolder::File(const QByteArray& name) const
{
    return Path() + '/' + name;
}

void FixtureFolder::AddFile(const QByteArray& name, const QByteArray& bytes) const
{
    WriteBytes(File(name), bytes);
}

void FixtureFolder::AddJpeg(const QByteArray& name, const JpegOptions& options) const
{
    WriteBytes(File(name), EncodeJpeg(options));
}

void FixtureFolder::AddFolder(const QByteArray& name) const
{
    QCOMPARE(::mkdir(File(name).constData(), 0755), 0);
}
