#pragma once
// Photos for the benchmarks, and libjpeg-turbo's own decode of them as the measure of what a
// decode costs at least.

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <new>
#include <random>
#include <sys/mman.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A colour picture with gradients under noise of up to +-noise on every sample, so that it
// compresses about as a camera photo does (6000 x 4000 at quality 90 with noise 30: ~10 MB).
inline QByteArray EncodeNoisy(int width, int height, int quality, bool progressive, unsigned seed = 7,
                              int noise = 40)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> jitter(-noise, noise);
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
            row[size_t(3 * x)] = uchar(std::clamp(x * 255 / width + jitter(random), 0, 255));
            row[size_t(3 * x + 1)] = uchar(std::clamp(y * 255 / height + jitter(random), 0, 255));
            row[size_t(3 * x + 2)] = uchar(std::clamp(((x + y) / 16) % 256 + jitter(random), 0, 255));
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

inline bool WriteFile(const QByteArray& path, const QByteArray& bytes)
{
    FILE* f = std::fopen(path.constData(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return std::fclose(f) == 0 && ok;
}

// libjpeg's plain loop over a file, one row a call, from its stdio source: default parameters
// (block smoothing on), scale 1/1, into one buffer; quantise: 236 colours.
inline double PlainLibjpegStdio(const QByteArray& path, bool quantise)
{
    const auto start = Clock::now();
    FILE* f = std::fopen(path.constData(), "rb");
    if (!f)
        return -1;
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

// Where the plain decode puts the file's bytes and the pixels.
enum class Memory {
    Heap,      // new[]: what a plain program does
    HugePages, // fresh anonymous pages with MADV_HUGEPAGE, as the program's pictures ask for
};

// A block of fresh memory of either kind, freed when it goes.
class Block {
public:
    Block(size_t bytes, Memory memory) : bytes_(bytes), memory_(memory)
    {
        if (memory == Memory::Heap) {
            data_ = new unsigned char[bytes];
        } else {
            void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED)
                throw std::bad_alloc();
            ::madvise(p, bytes, MADV_HUGEPAGE);
            data_ = static_cast<unsigned char*>(p);
        }
    }
    ~Block()
    {
        if (memory_ == Memory::Heap)
            delete[] data_;
        else
            ::munmap(data_, bytes_);
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    unsigned char* get() const { return data_; }
    unsigned char& operator[](size_t i) const { return data_[i]; }

private:
    unsigned char* data_;
    size_t bytes_;
    Memory memory_;
};

// The least a decode of a file for display costs with libjpeg-turbo: the file read whole into
// memory with one read, libjpeg's memory source, default parameters at scale 1/1, rows read in
// batches straight into a freshly allocated (not cleared) RGB buffer, which is freed at the end.
// Returns the milliseconds taken, or a negative value when the file could not be decoded.
inline double PlainLibjpegDecode(const QByteArray& path, Memory memory = Memory::Heap)
{
    const auto start = Clock::now();
    FILE* f = std::fopen(path.constData(), "rb");
    if (!f)
        return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    Block data(size_t(size), memory);
    const size_t got = std::fread(data.get(), 1, size_t(size), f);
    std::fclose(f);
    if (got != size_t(size))
        return -1;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.get(), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    Block pixels(stride * cinfo.output_height, memory);
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        for (int i = 0; i < 16; ++i)
            rows[i] = pixels.get() + stride * std::min<size_t>(cinfo.output_scanline + i, cinfo.output_height - 1);
        jpeg_read_scanlines(&cinfo, rows, 16);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    // Touch the result, so that nothing of the work can be left out.
    volatile unsigned char sink = pixels[stride * cinfo.output_height - 1];
    (void)sink;
    return Ms(Clock::now() - start);
}

} // namespace bench
