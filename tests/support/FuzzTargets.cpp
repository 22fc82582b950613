#include "FuzzTargets.h"

#include "Fixtures.h"
#include "platform/Exception.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegMessages.h"
#include "platform/TJPEGImage.h"
#include "shell/DetailColumns.h"

#include <QRegularExpression>
#include <functional>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kPictureName = "fuzz.jpg";

// A small stable hash of the input: it picks the input step and the rows per slice, so that the
// fuzzer reaches the decoder's suspension at many different places.
quint32 Hash(const QByteArray& bytes)
{
    quint32 h = 2166136261u;
    for (const char c : bytes)
        h = (h ^ quint32(uchar(c))) * 16777619u;
    return h;
}

bool IsDecoderErrorText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^JPEG エラー #(\\d+)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const int n = m.captured(1).toInt();
    return (n >= 0 && n < ClassicJpegMessageCount()) || n >= kTurboOnlyMessageBase;
}

QString RowsText(const TJPEGImage& picture)
{
    if (picture.State() == TJPEGImage::DecodeState::Failed)
        return picture.DecodeError().value_or(QStringLiteral("failed without a text"));
    return QStringLiteral("%1 rows").arg(picture.RowsDecoded());
}

// The decoded rows against libjpeg's plain decode of the same bytes, where libjpeg decodes them
// without a warning. Of corrupt data libjpeg-turbo makes different pictures depending on how much
// of it lies in its buffer at a time (its Huffman decoder has a fast path for full buffers), so
// there the picture is only what could be decoded and nothing to compare.
QString CompareWithReference(const TJPEGImage& picture, const QByteArray& bytes, bool quantise)
{
    long warnings = 0;
    const QImage reference = DecodeJpegReference(bytes, quantise, &warnings);
    if (reference.isNull() || warnings != 0)
        return {}; // libjpeg's plain loop failed (it also reads what follows the picture) or warned
    const QImage& ours = picture.Bitmap();
    if (ours.size() != reference.size() || ours.format() != reference.format())
        return QStringLiteral("bitmap %1x%2 format %3, libjpeg gives %4x%5 format %6")
            .arg(ours.width()).arg(ours.height()).arg(int(ours.format()))
            .arg(reference.width()).arg(reference.height()).arg(int(reference.format()));
    if (ours.format() == QImage::Format_Indexed8 && ours.colorTable() != reference.colorTable())
        return QStringLiteral("colour map differs from libjpeg's");
    const qsizetype rowBytes = ours.format() == QImage::Format_Indexed8 ? ours.width() : qsizetype(ours.width()) * 3;
    for (int y = 0; y < picture.RowsDecoded(); ++y)
        if (std::memcmp(ours.constScanLine(y), reference.constScanLine(y), size_t(rowBytes)) != 0)
            return QStringLiteral("row %1 differs from libjpeg's").arg(y);
    return {};
}

// Runs a started decode in slices; a violation when it does not end in a bounded number of them.
QString RunSlices(TJPEGImage& picture, int rowsPerSlice, int maxSlices)
{
    for (int slice = 0; slice < maxSlices; ++slice)
        if (picture.DecodeSome(0, rowsPerSlice))
            return {};
    return QStringLiteral("the decode did not end within %1 slices").arg(maxSlices);
}

QString CheckDecoded(const TJPEGImage& picture, bool quantised)
{
    if (picture.State() == TJPEGImage::DecodeState::Failed) {
        if (!picture.DecodeError() || !IsDecoderErrorText(*picture.DecodeError()))
            return QStringLiteral("failed decode without a decoder error text: ") + picture.DecodeError().value_or(QString());
        if (!picture.Bitmap().isNull())
            return QStringLiteral("failed decode keeps a bitmap");
        return {};
    }
    if (picture.State() != TJPEGImage::DecodeState::Finished)
        return QStringLiteral("decode neither finished nor failed");
    const QImage& bitmap = picture.Bitmap();
    if (bitmap.width() != picture.Width() || bitmap.height() != picture.Height())
        return QStringLiteral("bitmap %1x%2 for a picture of %3x%4")
            .arg(bitmap.width()).arg(bitmap.height()).arg(picture.Width()).arg(picture.Height());
    if (picture.RowsDecoded() < 0 || picture.RowsDecoded() > picture.Height())
        return QStringLiteral("%1 rows decoded of %2").arg(picture.RowsDecoded()).arg(picture.Height());
    const bool palette = quantised || picture.Grayscale();
    if (palette != picture.Quantised())
        return QStringLiteral("quantised is %1").arg(picture.Quantised());
    if (palette) {
        if (bitmap.format() != QImage::Format_Indexed8)
            return QStringLiteral("palette picture in format %1").arg(int(bitmap.format()));
        const int colours = bitmap.colorCount();
        if (colours < 1 || colours > 236)
            return QStringLiteral("%1 colours in the palette").arg(colours);
        for (int y = 0; y < picture.RowsDecoded(); ++y) {
            const uchar* row = bitmap.constScanLine(y);
            for (int x = 0; x < bitmap.width(); ++x)
                if (row[x] >= colours)
                    return QStringLiteral("pixel %1,%2 indexes colour %3 of %4").arg(x).arg(y).arg(row[x]).arg(colours);
        }
    } else if (bitmap.format() != QImage::Format_RGB888) {
        return QStringLiteral("24-bit picture in format %1").arg(int(bitmap.format()));
    }
    return {};
}

bool WriteFile(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return ::close(fd) == 0 && done == bytes.size();
}

bool IsCleanLine(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0x2028 || c.unicode() == 0x2029)
            return false;
    return text == text.trimmed();
}

} // namespace

namespace {

// What a load made of the bytes: the error text, or the picture's size.
QString LoadResult(TJPEGImage& picture, const std::function<void()>& load)
{
    try {
        load();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("%1x%2").arg(picture.Width()).arg(picture.Height());
}

} // namespace

JpegTargetOutcome RunJpegTarget(const QByteArray& bytes, const QByteArray& scratchFile)
{
    JpegTargetOutcome out;
    auto violated = [&](const QString& what) {
        if (out.violation.isEmpty())
            out.violation = what;
    };
    TJPEGImage picture;
    try {
        picture.LoadFromMemory(bytes, kPictureName);
    } catch (const Exception& e) {
        out.loadError = e.Message();
        const QString tooLarge = QStringLiteral("ファイル %1 は大きすぎて表示できません").arg(QString::fromUtf8(kPictureName));
        if (!IsDecoderErrorText(out.loadError) && out.loadError != tooLarge)
            violated(QStringLiteral("load error in unknown words: ") + out.loadError);
        if (!picture.Empty())
            violated(QStringLiteral("a failed load left a picture"));
        if (JpegDecoder::LiveDecompressors() != 0)
            violated(QStringLiteral("a decompressor outlived the failed load"));
        return out;
    }
    out.width = picture.Width();
    out.height = picture.Height();

    if (!scratchFile.isEmpty()) {
        const quint32 h = Hash(bytes);
        QByteArray padded = bytes;
        const char fillers[] = {'\0', '\xFF'};
        while (padded.size() < bytes.size() + 70 * 1024)
            padded += h % 3 == 2 && !bytes.isEmpty() ? bytes : QByteArray(4096, fillers[h % 3 == 1]);
        if (!WriteFile(scratchFile, padded)) {
            violated(QStringLiteral("cannot write ") + QString::fromUtf8(scratchFile));
        } else {
            TJPEGImage fromFile, fromMemory;
            const QString file = LoadResult(fromFile, [&] { fromFile.LoadFromFile(scratchFile); });
            const QString memory = LoadResult(fromMemory, [&] { fromMemory.LoadFromMemory(padded, scratchFile); });
            if (file != memory)
                violated(QStringLiteral("loaded from a file: %1; from memory: %2").arg(file, memory));
        }
    }
    if (out.width <= 0 || out.height <= 0)
        violated(QStringLiteral("loaded a picture of %1x%2").arg(out.width).arg(out.height));
    if (JpegDecoder::LiveDecompressors() != 0)
        violated(QStringLiteral("a decompressor outlived the load"));
    if (qint64(out.width) * out.height > kFuzzMaxDecodePixels || !out.violation.isEmpty())
        return out;
    out.decoded = true;

    const quint32 h = Hash(bytes);
    static constexpr int kSteps[] = {61, 509, 4096, 65536};
    const int step = kSteps[h % 4];
    const int rowsPerSlice = 1 + int((h >> 2) % 24);
    const int maxSlices = int(bytes.size() / step) + 2 * out.height + 64;
    picture.SetInputSliceBytes(size_t(step));

    // For a 24-bit screen.
    picture.StartDecode(false);
    violated(RunSlices(picture, rowsPerSlice, maxSlices));
    violated(CheckDecoded(picture, false));
    out.colour = RowsText(picture);
    if (JpegDecoder::LiveDecompressors() != 0)
        violated(QStringLiteral("a decompressor outlived the decode"));
    // libjpeg's plain loop has no conversion of four-component files for display to compare with.
    bool fourComponents = false;
    {
        JpegDecoder decoder(reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
        JpegHeader header;
        fourComponents = decoder.ReadHeader(&header) != 0 || header.cmyk;
    }
    if (picture.Finished() && !fourComponents && out.violation.isEmpty())
        violated(CompareWithReference(picture, bytes, false));

    // For an 8-bit screen, as the program would load it there (a decoded picture lets go of its
    // file's bytes, so it is loaded anew): started, abandoned after a few slices, started again
    // and run through.
    TJPEGImage forEightBits;
    forEightBits.LoadFromMemory(bytes, kPictureName);
    forEightBits.SetInputSliceBytes(size_t(step));
    forEightBits.StartDecode(true);
    for (int i = 0; i < 3 && !forEightBits.DecodeSome(0, rowsPerSlice); ++i) {
    }
    forEightBits.AbandonDecode();
    if (forEightBits.State() == TJPEGImage::DecodeState::Running)
        violated(QStringLiteral("an abandoned decode still runs"));
    if (forEightBits.State() == TJPEGImage::DecodeState::NotStarted && !forEightBits.Bitmap().isNull())
        violated(QStringLiteral("an abandoned decode keeps its bitmap"));
    if (JpegDecoder::LiveDecompressors() != 0)
        violated(QStringLiteral("a decompressor outlived the abandoned decode"));
    forEightBits.StartDecode(true);
    violated(RunSlices(forEightBits, rowsPerSlice, maxSlices));
    violated(CheckDecoded(forEightBits, true));
    out.quantised = RowsText(forEightBits);
    if (forEightBits.Finished() && !fourComponents && out.violation.isEmpty())
        violated(CompareWithReference(forEightBits, bytes, true));
    if (JpegDecoder::LiveDecompressors() != 0)
        violated(QStringLiteral("a decompressor outlived the decode"));
    return out;
}

DetailsTargetOutcome RunDetailsTarget(const QByteArray& bytes, const QByteArray& path)
{
    DetailsTargetOutcome out;
    auto violated = [&](const QString& what) {
        if (out.violation.isEmpty())
            out.violation = what;
    };
    if (!WriteFile(path, bytes)) {
        violated(QStringLiteral("cannot write ") + QString::fromUtf8(path));
        return out;
    }
    const ItemDetails details = ItemDetails::Read(path);
    for (int column = 0; column < 32; ++column)
        out.columns << details.Column(column);

    using namespace DetailColumn;
    if (out.columns[Size] != DetailSizeText(bytes.size()))
        violated(QStringLiteral("size column ") + out.columns[Size]);
    if (out.columns[Type].isEmpty())
        violated(QStringLiteral("no type"));
    if (out.columns[Attributes] != QStringLiteral("A"))
        violated(QStringLiteral("attributes ") + out.columns[Attributes]);
    for (int column = 0; column < 32; ++column)
        if (!IsCleanLine(out.columns[column]))
            violated(QStringLiteral("column %1 is no clean line: %2").arg(column).arg(out.columns[column]));
    static const QRegularExpression date(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$"));
    for (const int column : {DateTaken, DateDigitized})
        if (!out.columns[column].isEmpty() && !date.match(out.columns[column]).hasMatch())
            violated(QStringLiteral("column %1 is no date: %2").arg(column).arg(out.columns[column]));
    static const QRegularExpression dimensions(QStringLiteral("^([1-9]\\d*) x ([1-9]\\d*)$"));
    const QRegularExpressionMatch m = dimensions.match(out.columns[Dimensions]);
    if (out.columns[Dimensions].isEmpty()) {
        if (!out.columns[Width].isEmpty() || !out.columns[Height].isEmpty())
            violated(QStringLiteral("width or height without dimensions"));
    } else if (!m.hasMatch() || out.columns[Width] != m.captured(1) + QStringLiteral(" ピクセル")
               || out.columns[Height] != m.captured(2) + QStringLiteral(" ピクセル")) {
        violated(QStringLiteral("dimensions %1, width %2, height %3")
                     .arg(out.columns[Dimensions], out.columns[Width], out.columns[Height]));
    }
    for (const int column : {Status, PageCount})
        if (!out.columns[column].isEmpty())
            violated(QStringLiteral("column %1 is not empty").arg(column));
    return out;
}

namespace {
QByteArray gScratchDir;
QByteArray gScratchFile;

void RemoveScratch()
{
    ::unlink(gScratchFile.constData());
    ::rmdir(gScratchDir.constData());
}
} // namespace

QByteArray FuzzScratchFile(const char* target)
{
    std::string dir = (qEnvironmentVariableIsSet("TMPDIR") ? qgetenv("TMPDIR").toStdString() : "/tmp")
        + "/porteo-" + target + "-XXXXXX";
    if (!::mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    gScratchDir = QByteArray::fromStdString(dir);
    gScratchFile = gScratchDir + "/photo.jpg";
    std::atexit(RemoveScratch);
    return gScratchFile;
}
