#include "TJPEGImage.h"

#include "platform/Exception.h"
#include "platform/JpegMessages.h"
#include "platform/NarrowText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <jpeglib.h>
#include <jerror.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kRowBatch = 16;

QString OpenErrorText(const QByteArray& path)
{
    return QStringLiteral("ファイル %1 は開けません").arg(DisplayText(path));
}

QString TooLargeText(const QByteArray& path)
{
    return QStringLiteral("ファイル %1 は大きすぎて表示できません").arg(DisplayText(path));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Pages of their own for a photo-sized block (the file's bytes, the decoded bitmap): they go back
// to the system as soon as they are let go. Where the system grants huge pages on request, the
// block asks for them, so that filling it costs a fault per 2 MiB rather than per 4 KiB.
void* MapPages(std::size_t bytes)
{
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    ::madvise(p, bytes, MADV_HUGEPAGE); // a hint: refused, the pages are ordinary ones
    return p;
}

struct MappedBlock {
    void* base;
    std::size_t bytes;
};

void UnmapBlock(void* info)
{
    auto* block = static_cast<MappedBlock*>(info);
    ::munmap(block->base, block->bytes);
    delete block;
}

// A bitmap over pages of its own; a null image when there is no memory for it.
QImage PictureBitmap(int width, int height, QImage::Format format)
{
    const int depth = format == QImage::Format_Indexed8 ? 8 : 24;
    const qsizetype bytesPerLine = (qsizetype(width) * depth / 8 + 3) / 4 * 4; // rows 32-bit aligned
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(height);
    if (width <= 0 || height <= 0)
        return {};
    void* pixels = MapPages(bytes);
    if (!pixels)
        return {};
    auto* block = new (std::nothrow) MappedBlock{pixels, bytes};
    if (!block) {
        ::munmap(pixels, bytes);
        return {};
    }
    QImage image(static_cast<uchar*>(pixels), width, height, bytesPerLine, format, UnmapBlock, block);
    if (image.isNull())
        UnmapBlock(block); // not taken: the image calls its clean-up only once it was made
    return image;
}

// Whether the decoder refuses the header in `head` without looking beyond its end: it would then
// refuse any file that begins with these bytes, in the same words.
bool HeaderFailsWithin(const unsigned char* head, std::size_t size)
{
    JpegDecoder decoder(head, size);
    JpegHeader header;
    return decoder.ReadHeader(&header) != 0 && !decoder.RanOutOfData();
}

// The photo file, read through one descriptor from its start to its end; but a file whose first
// kHeadBytes already show it holds no JPEG header (a big file named like a photo that is none)
// is read no further: those bytes alone give the decoder's error.
FileBytes ReadPhotoFile(const QByteArray& path)
{
    constexpr qint64 kHeadBytes = 64 * 1024;
    if (path.isEmpty() || path.contains('\0'))
        throw Exception(OpenErrorText(path));
    // O_NONBLOCK: a FIFO bearing the name must not hang the program; it is refused below.
    FileDescriptor fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        throw Exception(OpenErrorText(path));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Exception(OpenErrorText(path));
    if (st.st_size > TJPEGImage::kMaxFileBytes)
        throw Exception(TooLargeText(path));

    FileBytes bytes;
    // One spare byte beyond the size: the file may have grown.
    bytes.Reserve(std::size_t(std::min<qint64>(qint64(st.st_size) + 1, kHeadBytes)));
    bool headChecked = false;
    for (;;) {
        if (bytes.Room() == 0) {
            if (!headChecked) {
                headChecked = true;
                if (HeaderFailsWithin(bytes.Data(), bytes.Size()))
                    return bytes;
            }
            if (qint64(bytes.Size()) > TJPEGImage::kMaxFileBytes)
                throw Exception(TooLargeText(path));
            const qint64 wanted = std::max<qint64>(qint64(st.st_size) + 1, qint64(bytes.Size()) * 2);
            bytes.Reserve(std::size_t(std::min<qint64>(wanted, TJPEGImage::kMaxFileBytes + 1)));
        }
        const ssize_t n = ::read(fd.get(), bytes.End(), bytes.Room());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(OpenErrorText(path));
        }
        if (n == 0)
            break;
        bytes.Grow(std::size_t(n));
    }
    if (qint64(bytes.Size()) > TJPEGImage::kMaxFileBytes)
        throw Exception(TooLargeText(path));
    return bytes;
}

qint64 Rgb888BitmapBytes(int width, int height)
{
    const qint64 bytesPerLine = (qint64(width) * 3 + 3) / 4 * 4;
    return bytesPerLine * height;
}

// The 6x6x6 colour cube used for quantised CMYK pictures.
int CubeLevel(int v)
{
    return (v * 5 + 127) / 255;
}

} // namespace

FileBytes::~FileBytes()
{
    Reset();
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0))
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void FileBytes::Reserve(std::size_t capacity)
{
    if (capacity <= capacity_)
        return;
    void* p = data_ ? ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE) : MapPages(capacity);
    if (p == MAP_FAILED || p == nullptr)
        throw std::bad_alloc();
    data_ = static_cast<unsigned char*>(p);
    capacity_ = capacity;
}

void FileBytes::Reset()
{
    if (data_)
        ::munmap(data_, capacity_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

QString JpegErrorText(int turboCode)
{
    return QStringLiteral("JPEG エラー #%1").arg(ClassicJpegMessageNumber(turboCode));
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromFile(const QByteArray& path)
{
    FileBytes bytes;
    try {
        bytes = ReadPhotoFile(path);
    } catch (const std::bad_alloc&) {
        throw Exception(TooLargeText(path));
    }
    Load(std::move(bytes), path);
}

void TJPEGImage::LoadFromMemory(const QByteArray& bytes, const QByteArray& path)
{
    if (bytes.size() > kMaxFileBytes)
        throw Exception(TooLargeText(path));
    FileBytes copy;
    try {
        copy.Reserve(std::size_t(bytes.size()) + 1);
    } catch (const std::bad_alloc&) {
        throw Exception(TooLargeText(path));
    }
    std::memcpy(copy.End(), bytes.constData(), std::size_t(bytes.size()));
    copy.Grow(std::size_t(bytes.size()));
    Load(std::move(copy), path);
}

void TJPEGImage::Load(FileBytes bytes, const QByteArray& path)
{
    JpegHeader header;
    {
        JpegDecoder decoder(bytes.Data(), bytes.Size());
        const int code = decoder.ReadHeader(&header);
        if (code != 0)
            throw Exception(JpegErrorText(code));
    }
    if (header.width <= 0 || header.height <= 0)
        throw Exception(JpegErrorText(JERR_EMPTY_IMAGE));
    if (Rgb888BitmapBytes(header.width, header.height) > kMaxBitmapBytes)
        throw Exception(TooLargeText(path));

    decoder_.reset();
    bitmap_ = QImage();
    cmykRows_.clear();
    error_.reset();
    rows_ = 0;
    outputStarted_ = false;
    quantised_ = false;
    state_ = DecodeState::NotStarted;
    data_ = std::move(bytes);
    loaded_ = true;
    header_ = header;
}

void TJPEGImage::StartDecode(bool quantiseForScreen)
{
    // Called from paint events: nothing may be thrown from here.
    try {
        BeginDecode(quantiseForScreen);
    } catch (const std::bad_alloc&) {
        Fail(JERR_OUT_OF_MEMORY);
    }
}

void TJPEGImage::BeginDecode(bool quantiseForScreen)
{
    if (Empty() || data_.IsNull())
        return; // nothing loaded, or decoded already
    decoder_.reset();
    bitmap_ = QImage();
    error_.reset();
    rows_ = 0;
    outputStarted_ = false;
    quantised_ = quantiseForScreen || header_.grayscale;
    state_ = DecodeState::Running;

    decoder_ = std::make_unique<JpegDecoder>(data_.Data(), data_.Size());
    JpegHeader header;
    const int code = decoder_->ReadHeader(&header);
    if (code != 0) {
        Fail(code);
        return;
    }
    decoder_->Configure(header_.cmyk ? JpegOutput::Cmyk : quantised_ ? JpegOutput::Quantised : JpegOutput::Rgb);
}

void TJPEGImage::Fail(int turboCode)
{
    decoder_.reset();
    bitmap_ = QImage();
    cmykRows_.clear();
    data_.Reset(); // after the decoder, which reads it
    error_ = JpegErrorText(turboCode);
    state_ = DecodeState::Failed;
}

// The bitmap, once the decoder knows its output (and, when quantising, its colour map).
bool TJPEGImage::BeginOutput()
{
    const int w = decoder_->OutputWidth();
    const int h = decoder_->OutputHeight();
    if (header_.cmyk) {
        bitmap_ = PictureBitmap(w, h, quantised_ ? QImage::Format_Indexed8 : QImage::Format_RGB888);
        if (quantised_ && !bitmap_.isNull()) {
            QList<QRgb> table;
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b)
                        table.append(qRgb(r * 51, g * 51, b * 51));
            bitmap_.setColorTable(table);
        }
        cmykRows_.resize(qsizetype(w) * 4 * kRowBatch);
    } else if (quantised_) {
        bitmap_ = PictureBitmap(w, h, QImage::Format_Indexed8);
        if (!bitmap_.isNull()) {
            QList<QRgb> table;
            for (int i = 0; i < decoder_->ColourCount(); ++i) {
                int r, g, b;
                decoder_->Colour(i, &r, &g, &b);
                table.append(qRgb(r, g, b));
            }
            bitmap_.setColorTable(table);
        }
    } else {
        bitmap_ = PictureBitmap(w, h, QImage::Format_RGB888);
    }
    if (bitmap_.isNull()) {
        Fail(JERR_OUT_OF_MEMORY);
        return false;
    }
    outputStarted_ = true;
    return true;
}

void TJPEGImage::ConvertCmykRows(int firstRow, int count)
{
    const int w = bitmap_.width();
    // Adobe's convention (Photoshop) stores inverted CMYK: 255 means no ink. Without the Adobe
    // marker the samples are plain ink amounts.
    const bool inverted = header_.adobeMarker;
    for (int i = 0; i < count; ++i) {
        const auto* in = reinterpret_cast<const unsigned char*>(cmykRows_.constData()) + qsizetype(i) * w * 4;
        uchar* out = bitmap_.scanLine(firstRow + i);
        for (int x = 0; x < w; ++x, in += 4) {
            int c = in[0], m = in[1], y = in[2], k = in[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            const int r = (c * k + 127) / 255;
            const int g = (m * k + 127) / 255;
            const int b = (y * k + 127) / 255;
            if (quantised_) {
                out[x] = uchar(CubeLevel(r) * 36 + CubeLevel(g) * 6 + CubeLevel(b));
            } else {
                out[3 * x] = uchar(r);
                out[3 * x + 1] = uchar(g);
                out[3 * x + 2] = uchar(b);
            }
        }
    }
}

bool TJPEGImage::DecodeSome(int maxMilliseconds, int maxRows)
{
    // Called from the event loop: nothing may be thrown from here.
    try {
        return DecodeSlice(maxMilliseconds, maxRows);
    } catch (const std::bad_alloc&) {
        Fail(JERR_OUT_OF_MEMORY);
        return true;
    }
}

bool TJPEGImage::DecodeSlice(int maxMilliseconds, int maxRows)
{
    if (state_ != DecodeState::Running)
        return true;
    const auto deadline = JpegDecoder::Clock::now() + std::chrono::milliseconds(std::max(maxMilliseconds, 0));
    if (!outputStarted_) {
        bool started = false;
        const int code = decoder_->Start(deadline, sliceBytes_, &started);
        if (code != 0) {
            Fail(code);
            return true;
        }
        if (!started)
            return false;
        if (!BeginOutput())
            return true;
        if (JpegDecoder::Clock::now() >= deadline)
            return false;
    }
    const int height = bitmap_.height();
    maxRows = std::max(maxRows, 1);
    int done = 0;
    bool exhausted = false;
    while (rows_ < height && done < maxRows) {
        const int batch = std::min({kRowBatch, height - rows_, maxRows - done});
        std::array<unsigned char*, kRowBatch> rowPointers{};
        for (int i = 0; i < batch; ++i)
            rowPointers[size_t(i)] = header_.cmyk
                ? reinterpret_cast<unsigned char*>(cmykRows_.data()) + qsizetype(i) * bitmap_.width() * 4
                : bitmap_.scanLine(rows_ + i);
        int got = 0;
        const int code = decoder_->ReadRows(rowPointers.data(), batch, &got);
        if (code != 0) {
            Fail(code);
            return true;
        }
        if (got == 0) {
            exhausted = true; // the decoder has no more rows to give
            break;
        }
        if (header_.cmyk)
            ConvertCmykRows(rows_, got);
        rows_ += got;
        done += got;
        if (JpegDecoder::Clock::now() >= deadline)
            break;
    }
    if (rows_ >= height || exhausted) {
        decoder_.reset();
        cmykRows_.clear();
        data_.Reset(); // after the decoder, which reads it
        state_ = DecodeState::Finished;
        return true;
    }
    return false;
}

void TJPEGImage::FinishDecode()
{
    while (!DecodeSome(1000)) {
    }
}

void TJPEGImage::AbandonDecode()
{
    if (state_ != DecodeState::Running)
        return;
    decoder_.reset();
    bitmap_ = QImage();
    cmykRows_.clear();
    rows_ = 0;
    outputStarted_ = false;
    state_ = DecodeState::NotStarted;
}
