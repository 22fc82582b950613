#include "Fixtures.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>
#include <cstdio>
#include <jpeglib.h>
#include <ftw.h>
#include <sys/stat.h>

namespace {

// Deterministic noise source for the fixture pictures.
struct Lcg {
    std::uint32_t state;
    int Next(int amplitude)
    {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % std::uint32_t(2 * amplitude + 1)) - amplitude;
    }
};

} // namespace

QImage FixturePixels(const JpegOptions& o)
{
    QImage image(o.width, o.height, o.grayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    Lcg noise{o.seed * 2654435761u + 1};
    auto withNoise = [&](int v) { return o.noise > 0 ? std::clamp(v + noise.Next(o.noise), 0, 255) : v; };
    for (int y = 0; y < o.height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < o.width; ++x) {
            // Smooth gradients with a seed-dependent tilt: compresses well, decodes distinctly.
            // Unsigned arithmetic: any seed wraps instead of overflowing.
            const int r = int((unsigned(x * 255 / std::max(1, o.width - 1)) + o.seed * 37u) & 0xFFu);
            const int g = int((unsigned(y * 255 / std::max(1, o.height - 1)) + o.seed * 91u) & 0xFFu);
            const int b = int((unsigned((x + y) * 4) + o.seed * 53u) & 0xFFu);
            if (o.grayscale) {
                row[x] = uchar(withNoise((r + g + b) / 3));
            } else {
                row[3 * x] = uchar(withNoise(r));
                row[3 * x + 1] = uchar(withNoise(g));
                row[3 * x + 2] = uchar(withNoise(b));
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
    const bool fourComponents = (o.cmyk || o.ycck) && !o.grayscale;
    cinfo.image_width = JDIMENSION(o.width);
    cinfo.image_height = JDIMENSION(o.height);
    cinfo.input_components = o.grayscale ? 1 : fourComponents ? 4 : 3;
    cinfo.in_color_space = o.grayscale ? JCS_GRAYSCALE : fourComponents ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (fourComponents) {
        jpeg_set_colorspace(&cinfo, o.ycck ? JCS_YCCK : JCS_CMYK);
        cinfo.write_Adobe_marker = o.adobeMarker ? TRUE : FALSE;
    }
    jpeg_set_quality(&cinfo, o.quality, TRUE);
    if (o.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> cmykRow(size_t(o.width) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.constScanLine(int(cinfo.next_scanline)));
        if (fourComponents) {
            // Ink amounts whose plain conversion (255-C)(255-K)/255 gives back the RGB pattern,
            // with half the common ink moved to K.
            for (int x = 0; x < o.width; ++x) {
                const int ink[3] = {255 - row[3 * x], 255 - row[3 * x + 1], 255 - row[3 * x + 2]};
                const int k = std::min({ink[0], ink[1], ink[2]}) / 2;
                for (int c = 0; c < 3; ++c) {
                    const int v = 255 - ((255 - ink[c]) * 255 + (255 - k) / 2) / (255 - k);
                    cmykRow[size_t(4 * x + c)] = uchar(o.adobeMarker ? 255 - v : v);
                }
                cmykRow[size_t(4 * x + 3)] = uchar(o.adobeMarker ? 255 - k : k);
            }
            row = cmykRow.data();
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    free(buffer);
    return bytes;
}

QByteArray PngBytes()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

qint64 BytesReadByProcess()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
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

namespace {

struct ReferenceError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void ReferenceErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ReferenceError*>(cinfo->err)->jump, 1);
}

void ReferenceQuiet(j_common_ptr cinfo, int level)
{
    if (level < 0) // a warning: corrupt or truncated data
        ++cinfo->err->num_warnings;
}

// The straightforward decode: libjpeg's scanline loop over jpeg_mem_src. Fills `rows` with the
// decoded rows and `colours` with the colour map; false on a fatal error.
bool ReferenceDecode(const QByteArray& jpeg, bool quantise, int* width, int* height, int* components,
                     std::vector<unsigned char>* pixels, QList<QRgb>* colours, long* warnings)
{
    jpeg_decompress_struct cinfo;
    ReferenceError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ReferenceErrorExit;
    err.pub.emit_message = ReferenceQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.constData()), (unsigned long)jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.do_block_smoothing = TRUE;
    if (quantise || cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
    } else {
        cinfo.out_color_space = JCS_RGB;
    }
    jpeg_start_decompress(&cinfo);
    *width = int(cinfo.output_width);
    *height = int(cinfo.output_height);
    *components = cinfo.quantize_colors ? 1 : cinfo.output_components;
    pixels->resize(size_t(*width) * size_t(*height) * size_t(*components));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels->data() + size_t(cinfo.output_scanline) * size_t(*width) * size_t(*components);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    if (cinfo.quantize_colors) {
        for (int i = 0; i < cinfo.actual_number_of_colors; ++i) {
            const int r = cinfo.colormap[0][i];
            const int g = cinfo.out_color_components == 3 ? cinfo.colormap[1][i] : r;
            const int b = cinfo.out_color_components == 3 ? cinfo.colormap[2][i] : r;
            colours->append(qRgb(r, g, b));
        }
    }
    jpeg_finish_decompress(&cinfo);
    *warnings = err.pub.num_warnings;
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpegReference(const QByteArray& jpeg, bool quantise, long* warnings)
{
    int width = 0, height = 0, components = 0;
    std::vector<unsigned char> pixels;
    QList<QRgb> colours;
    long count = 0;
    if (!ReferenceDecode(jpeg, quantise, &width, &height, &components, &pixels, &colours, &count))
        return QImage();
    if (warnings)
        *warnings = count;
    QImage image(width, height, components == 1 ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    if (components == 1)
        image.setColorTable(colours);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * size_t(width) * size_t(components),
                    size_t(width) * size_t(components));
    return image;
}

QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height)
{
    QByteArray out = jpeg;
    for (qsizetype i = 2; i + 9 < out.size(); ++i) {
        const uchar m = uchar(out[i + 1]);
        if (uchar(out[i]) == 0xFF && (m == 0xC0 || m == 0xC1 || m == 0xC2)) {
            // FF Cn, length (2), precision (1), height (2), width (2)
            out[i + 5] = char(height >> 8);
            out[i + 6] = char(height & 0xFF);
            out[i + 7] = char(width >> 8);
            out[i + 8] = char(width & 0xFF);
            return out;
        }
    }
    qFatal("WithFrameSize: no frame header");
}

QByteArray InsertBeforeScan(const QByteArray& jpeg, int scanIndex, const QByteArray& bytes)
{
    qsizetype at = -1;
    for (int i = 0; i <= scanIndex; ++i) {
        at = jpeg.indexOf("\xFF\xDA", at + 1);
        if (at < 0)
            qFatal("InsertBeforeScan: the file has fewer scans");
    }
    QByteArray out = jpeg;
    out.insert(at, bytes);
    return out;
}
