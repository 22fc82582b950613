#pragma once
// The JPEG picture of a photo frame, over libjpeg-turbo.
//
// LoadFromFile reads the file whole into memory (one open, read to the end) and parses only its
// header, which gives Width and Height. A file whose first 64 KiB already hold a header the decoder
// refuses (a big file named like a photo that is none) is read no further. The full decode, at
// scale 1/1, runs later from that memory, when the picture is first drawn, and in slices
// (StartDecode, then DecodeSome until it reports the end) so that the event loop stays live between
// slices. The rows are decoded straight into the bitmap that is drawn; the file's bytes are let go
// once the decode has ended. Both lie in pages of their own, asked for as huge pages, which go back
// to the system when let go.
//
// The decoded bitmap:
// - colour files: 24-bit (QImage::Format_RGB888), decoded straight into the bitmap's rows;
// - grayscale files always, and colour files when the screen has 8 or fewer bits a pixel
//   (StartDecode's quantiseForScreen): an 8-bit palette bitmap (QImage::Format_Indexed8) of
//   libjpeg's 236-colour quantisation, the colour map as its colour table;
// - CMYK and YCCK files are converted to RGB for display (Adobe files store inverted CMYK, files
//   without the Adobe marker plain CMYK); when quantised, to the 216 colours of a 6x6x6 cube.
// Warnings are ignored: a truncated file decodes to the end of its data and shows what was there.
// A fatal error during the decode is kept (DecodeError) in the words of a load error.

#include "platform/JpegDecoder.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <climits>
#include <cstddef>
#include <memory>
#include <optional>

// The bytes of a file read whole, in pages of their own: they go back to the system the moment
// they are let go (the allocator's heap would keep photo-sized blocks it once held).
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    bool IsNull() const { return data_ == nullptr; }
    const unsigned char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    // Room for at least `capacity` bytes, the first Size() kept; raises std::bad_alloc.
    void Reserve(std::size_t capacity);
    // The room beyond Size(), and taking `count` bytes of it into Size().
    unsigned char* End() { return data_ + size_; }
    std::size_t Room() const { return capacity_ - size_; }
    void Grow(std::size_t count) { size_ += count; }
    void Reset();

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // bytes mapped
};

class TJPEGImage {
public:
    // Files larger than this are not read, and pictures whose 24-bit bitmap would be larger than
    // this are refused at load, before anything is allocated for them.
    static constexpr qint64 kMaxFileBytes = qint64(1) << 30;
    static constexpr qint64 kMaxBitmapBytes = qint64(1) << 30;
    // Compressed bytes offered to the decoder per step while it absorbs a multi-scan file.
    static constexpr std::size_t kDefaultInputSliceBytes = 64 * 1024;

    enum class DecodeState { NotStarted, Running, Finished, Failed };

    TJPEGImage();
    ~TJPEGImage();
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // Raises Exception: "ファイル %s は開けません" (missing, no access, not a regular file, read
    // error), "JPEG エラー #%d" (the decoder's fatal error in the header, classic numbering; an
    // empty file gives 41), "ファイル %s は大きすぎて表示できません" (over the limits above).
    // On failure the picture keeps what it held before.
    void LoadFromFile(const QByteArray& path);
    // The same for the bytes of a file already read: `path` names it in the errors.
    void LoadFromMemory(const QByteArray& bytes, const QByteArray& path);

    bool Empty() const { return !loaded_; }  // nothing loaded yet
    int Width() const { return header_.width; }
    int Height() const { return header_.height; }
    bool Grayscale() const { return header_.grayscale; }

    // Begins a decode for drawing (abandoning one in progress). Cheap: it sets the decoder up and
    // decodes nothing yet. Does nothing when no picture is loaded, and nothing once a decode has
    // ended: a picture is decoded once, and when its decode has ended (finished or failed) it
    // lets go of the file's bytes, keeping only the bitmap.
    void StartDecode(bool quantiseForScreen);
    // Decodes for about maxMilliseconds (and at most maxRows rows); always makes some progress.
    // Returns true when the decode has ended (finished or failed), false while more is to do.
    bool DecodeSome(int maxMilliseconds, int maxRows = INT_MAX);
    // Runs the decode in progress to its end.
    void FinishDecode();
    // Stops a decode in progress and frees the decoder and the partial bitmap; the picture can be
    // decoded again later. A finished or failed decode is left as it is.
    void AbandonDecode();

    DecodeState State() const { return state_; }
    bool DecodeStarted() const { return state_ != DecodeState::NotStarted; }
    bool Finished() const { return state_ == DecodeState::Finished; }
    bool Quantised() const { return quantised_; }
    int RowsDecoded() const { return rows_; }
    // The bitmap being decoded: null until the decoder gives its first row's format; rows at and
    // beyond RowsDecoded() are not decoded yet.
    const QImage& Bitmap() const { return bitmap_; }
    // "JPEG エラー #%d" when the decode failed.
    const std::optional<QString>& DecodeError() const { return error_; }

    void SetInputSliceBytes(std::size_t bytes) { sliceBytes_ = bytes; }

private:
    void Load(FileBytes bytes, const QByteArray& path);
    void BeginDecode(bool quantiseForScreen);
    bool DecodeSlice(int maxMilliseconds, int maxRows);
    bool BeginOutput();
    void Fail(int turboCode);
    void ConvertCmykRows(int firstRow, int count);

    FileBytes data_; // the file's bytes, until the decode has ended
    bool loaded_ = false;
    JpegHeader header_;
    std::unique_ptr<JpegDecoder> decoder_;
    DecodeState state_ = DecodeState::NotStarted;
    bool quantised_ = false;
    bool outputStarted_ = false;
    int rows_ = 0;
    QImage bitmap_;
    QByteArray cmykRows_;
    std::optional<QString> error_;
    std::size_t sliceBytes_ = kDefaultInputSliceBytes;
};

// The text of a fatal decoder error: "JPEG エラー #%d" with the classic message number.
QString JpegErrorText(int turboCode);
