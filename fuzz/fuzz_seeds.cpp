// Writes the fuzzers' seed corpus into a folder, from the tests' own photo generators: colour,
// grayscale, progressive, CMYK and YCCK photos, photos with EXIF, Windows XP tags, XMP and a
// comment, photos with damaged EXIF blocks, a truncated photo, a PNG, a TIFF (a photo's EXIF
// block stands alone as one) and a text file. Both fuzz targets start from it.
//
//   fuzz_seeds <folder>

#include "Fixtures.h"
#include "MetadataFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

QString gFolder;
int gWritten = 0;

void Write(const char* name, const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "fuzz_seeds: %s came out empty\n", name);
        std::exit(1);
    }
    QFile file(gFolder + '/' + QString::fromUtf8(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    ++gWritten;
}

PhotoMetadata Everything()
{
    PhotoMetadata m;
    m.xpAuthor = QStringLiteral("山田 太郎");
    m.xpTitle = QStringLiteral("夕焼け");
    m.xpSubject = QStringLiteral("旅行");
    m.xpKeywords = QStringLiteral("海;山");
    m.xpComment = QStringLiteral("初日");
    m.artist = "Taro";
    m.imageDescription = "\x95\x5c\x8e\xa6"; // CP932
    m.model = "DSC-W1";
    m.dateTimeOriginal = "2004:05:01 09:05:00";
    m.dateTimeDigitized = "2004:05:01 09:05:07";
    m.userComment = UnicodeUserComment(QStringLiteral("コメント"));
    m.xmpCreator = {QStringLiteral("Taro"), QStringLiteral("Hanako")};
    m.xmpTitle = QStringLiteral("Sunset");
    m.xmpDescription = QStringLiteral("Beach");
    m.xmpSubject = {QStringLiteral("sea"), QStringLiteral("sky")};
    m.xmpUserComment = QStringLiteral("xmp comment");
    m.jpegComment = "a comment";
    return m;
}

// The TIFF structure of a photo's EXIF block: a TIFF file of its own.
QByteArray ExifBlockAsTiff(const QByteArray& jpeg)
{
    const qsizetype at = jpeg.indexOf(QByteArray("Exif\0\0", 6));
    if (at < 4)
        return {};
    const qsizetype length = uchar(jpeg[at - 2]) << 8 | uchar(jpeg[at - 1]);
    return jpeg.mid(at + 6, length - 2 - 6);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    gFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gFolder);

    Write("colour.jpg", EncodeJpeg({.width = 16, .height = 16}));
    Write("colour-odd.jpg", EncodeJpeg({.width = 33, .height = 17, .quality = 75, .seed = 2}));
    Write("grayscale.jpg", EncodeJpeg({.width = 16, .height = 16, .grayscale = true}));
    Write("progressive.jpg", EncodeJpeg({.width = 24, .height = 16, .progressive = true, .seed = 3}));
    Write("progressive-grayscale.jpg",
          EncodeJpeg({.width = 17, .height = 9, .grayscale = true, .progressive = true, .seed = 4}));
    Write("noisy.jpg", EncodeJpeg({.width = 32, .height = 24, .seed = 5, .noise = 40}));
    Write("cmyk-adobe.jpg", EncodeJpeg({.width = 16, .height = 8, .cmyk = true}));
    Write("cmyk-plain.jpg", EncodeJpeg({.width = 16, .height = 8, .cmyk = true, .adobeMarker = false}));
    Write("ycck.jpg", EncodeJpeg({.width = 16, .height = 8, .ycck = true}));
    Write("cmyk-progressive.jpg", EncodeJpeg({.width = 16, .height = 8, .progressive = true, .cmyk = true}));

    const QByteArray photo = EncodeJpeg({.width = 16, .height = 12, .seed = 6});
    const QByteArray tagged = AddMetadata(photo, Everything());
    Write("metadata.jpg", tagged);
    PhotoMetadata bigEndian = Everything();
    bigEndian.bigEndian = true;
    Write("metadata-big-endian.jpg", AddMetadata(photo, bigEndian));
    PhotoMetadata xmpOnly;
    xmpOnly.xmpTitle = QStringLiteral("only XMP");
    xmpOnly.xmpSubject = {QStringLiteral("a"), QStringLiteral("b")};
    Write("xmp-only.jpg", AddMetadata(photo, xmpOnly));
    PhotoMetadata asciiComment;
    asciiComment.userComment = AsciiUserComment("ascii");
    asciiComment.model = "X";
    Write("ascii-comment.jpg", AddMetadata(EncodeJpeg({.width = 8, .height = 8, .grayscale = true}), asciiComment));
    Write("metadata-progressive.jpg",
          AddMetadata(EncodeJpeg({.width = 16, .height = 16, .progressive = true}), Everything()));

    Write("exif-broken-header.jpg", DamageExif(tagged, ExifDamage::BrokenHeader));
    Write("exif-ifd0-out-of-range.jpg", DamageExif(tagged, ExifDamage::Ifd0OutOfRange));
    Write("exif-huge-counts.jpg", DamageExif(tagged, ExifDamage::HugeCounts));
    Write("exif-sub-ifd-out-of-range.jpg", DamageExif(tagged, ExifDamage::ExifIfdOutOfRange));
    Write("exif-truncated-block.jpg", DamageExif(tagged, ExifDamage::TruncatedBlock));
    Write("exif-truncated-file.jpg", DamageExif(tagged, ExifDamage::TruncatedFile));
    Write("truncated.jpg", photo.left(photo.size() / 2));

    Write("exif.tif", ExifBlockAsTiff(tagged));
    Write("picture.png", PngBytes());
    Write("notes.txt", "not a photo\n");

    std::printf("fuzz_seeds: %d files in %s\n", gWritten, qPrintable(gFolder));
    return 0;
}
