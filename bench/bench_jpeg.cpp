// Load and decode of one large noisy photo: TJPEGImage against libjpeg's plain scanline loop.
// Usage: bench_jpeg [width height [quality]]   (default 6000 4000 90)

#include "platform/TJPEGImage.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

QByteArray EncodeNoisy(int width, int height, int quality, bool progressive)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-40, 40);
    std::vector<unsigned char> row(size_t(width) * 3);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            row[size_t(3 * x)] = uchar(std::clamp(x * 255 / width + noise(random), 0, 255));
            row[size_t(3 * x + 1)] = uchar(std::clamp(y * 255 / height + noise(random), 0, 255));
            row[size_t(3 * x + 2)] = uchar(std::clamp(((x + y) / 16) % 256 + noise(random), 0, 255));
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    free(buffer);
    return bytes;
}

// libjpeg's plain loop from the file: stdio source, same parameters, into one RGB buffer.
double PlainLibjpeg(const QByteArray& path, bool quantise)
{
    const auto start = Clock::now();
    FILE* f = std::fopen(path.constData(), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.do_block_smoothing = TRUE;
    if (quantise) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
    }
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    std::vector<unsigned char> pixels(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW p = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return Ms(Clock::now() - start);
}

struct Ours {
    double load;
    double total;
    int slices;
    double longestSlice;
};

Ours TJPEG(const QByteArray& path, bool quantise, int sliceMs)
{
    const auto start = Clock::now();
    TJPEGImage picture;
    picture.LoadFromFile(path);
    const auto loaded = Clock::now();
    picture.StartDecode(quantise);
    int slices = 0;
    double longest = 0;
    for (;;) {
        const auto s = Clock::now();
        const bool ended = picture.DecodeSome(sliceMs);
        longest = std::max(longest, Ms(Clock::now() - s));
        ++slices;
        if (ended)
            break;
    }
    if (picture.DecodeError())
        std::fprintf(stderr, "decode error: %s\n", qPrintable(*picture.DecodeError()));
    return {Ms(loaded - start), Ms(Clock::now() - start), slices, longest};
}

} // namespace

int main(int argc, char** argv)
{
    const int width = argc > 2 ? std::atoi(argv[1]) : 6000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 4000;
    const int quality = argc > 3 ? std::atoi(argv[3]) : 90;
    QTemporaryDir dir;
    for (const bool progressive : {false, true}) {
        const QByteArray jpeg = EncodeNoisy(width, height, quality, progressive);
        const QByteArray path = QFile::encodeName(dir.path()) + (progressive ? "/p.jpg" : "/s.jpg");
        FILE* f = std::fopen(path.constData(), "wb");
        std::fwrite(jpeg.constData(), 1, size_t(jpeg.size()), f);
        std::fclose(f);
        for (const bool quantise : {false, true}) {
            std::printf("%dx%d %s%s, %.1f MB\n", width, height, progressive ? "progressive" : "baseline",
                        quantise ? ", quantised (8-bit screen)" : "", double(jpeg.size()) / 1e6);
            std::vector<double> plain, whole, sliced, load;
            Ours last{};
            for (int run = 0; run < 3; ++run) {
                plain.push_back(PlainLibjpeg(path, quantise));
                const Ours w = TJPEG(path, quantise, 100000);
                whole.push_back(w.total);
                load.push_back(w.load);
                last = TJPEG(path, quantise, 20);
                sliced.push_back(last.total);
            }
            auto median = [](std::vector<double> v) {
                std::sort(v.begin(), v.end());
                return v[v.size() / 2];
            };
            std::printf("  plain libjpeg (stdio, one loop)   %8.1f ms\n", median(plain));
            std::printf("  TJPEGImage load (read + header)   %8.1f ms\n", median(load));
            std::printf("  TJPEGImage load + decode, whole   %8.1f ms\n", median(whole));
            std::printf("  TJPEGImage load + decode, 20 ms slices %5.1f ms (%d slices, longest %.1f ms)\n",
                        median(sliced), last.slices, last.longestSlice);
        }
    }
    return 0;
}
