// Load and decode of one large noisy photo: TJPEGImage against libjpeg's plain scanline loop.
// Usage: bench_jpeg [width height [quality]]   (default 6000 4000 90)

#include "BenchJpeg.h"
#include "platform/TJPEGImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using bench::Clock;
using bench::Ms;

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
        const QByteArray jpeg = bench::EncodeNoisy(width, height, quality, progressive);
        const QByteArray path = QFile::encodeName(dir.path()) + (progressive ? "/p.jpg" : "/s.jpg");
        bench::WriteFile(path, jpeg);
        for (const bool quantise : {false, true}) {
            std::printf("%dx%d %s%s, %.1f MB\n", width, height, progressive ? "progressive" : "baseline",
                        quantise ? ", quantised (8-bit screen)" : "", double(jpeg.size()) / 1e6);
            std::vector<double> plain, batched, whole, sliced, load;
            Ours last{};
            for (int run = 0; run < 3; ++run) {
                plain.push_back(bench::PlainLibjpegStdio(path, quantise));
                if (!quantise)
                    batched.push_back(bench::PlainLibjpegDecode(path));
                const Ours w = TJPEG(path, quantise, 100000);
                whole.push_back(w.total);
                load.push_back(w.load);
                last = TJPEG(path, quantise, 20);
                sliced.push_back(last.total);
            }
            const auto median = bench::Median;
            std::printf("  plain libjpeg (stdio, one loop)   %8.1f ms\n", median(plain));
            if (!batched.empty())
                std::printf("  plain libjpeg (whole read, memory source, 16 rows a call) %5.1f ms\n", median(batched));
            std::printf("  TJPEGImage load (read + header)   %8.1f ms\n", median(load));
            std::printf("  TJPEGImage load + decode, whole   %8.1f ms\n", median(whole));
            std::printf("  TJPEGImage load + decode, 20 ms slices %5.1f ms (%d slices, longest %.1f ms)\n",
                        median(sliced), last.slices, last.longestSlice);
        }
    }
    return 0;
}
