#include "Fixtures.h"
#include "platform/Exception.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegMessages.h"
#include "platform/TJPEGImage.h"

#include <QtTest>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(JpegOptions)

namespace {

// The text LoadFromFile raised, or an empty string when it loaded.
QString LoadError(TJPEGImage& picture, const QByteArray& path)
{
    try {
        picture.LoadFromFile(path);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

QString OpenError(const QByteArray& path)
{
    return QStringLiteral("ファイル %1 は開けません").arg(QString::fromUtf8(path));
}

// Decodes in the smallest steps: one row a call, and (unless told otherwise) a tiny input offer,
// so that the preload of multi-scan files and the two-pass quantiser suspend many times.
int DecodeInSmallSteps(TJPEGImage& picture, bool quantise, std::size_t sliceBytes = 256)
{
    picture.SetInputSliceBytes(sliceBytes);
    picture.StartDecode(quantise);
    int calls = 1;
    while (!picture.DecodeSome(0, 1))
        ++calls;
    return calls;
}

void CompareBitmaps(const QImage& actual, const QImage& expected)
{
    QVERIFY(!expected.isNull());
    QCOMPARE(actual.format(), expected.format());
    QCOMPARE(actual.size(), expected.size());
    if (expected.format() == QImage::Format_Indexed8)
        QCOMPARE(actual.colorTable(), expected.colorTable());
    const int rowBytes = expected.width() * expected.depth() / 8;
    for (int y = 0; y < expected.height(); ++y)
        QVERIFY2(std::memcmp(actual.constScanLine(y), expected.constScanLine(y), size_t(rowBytes)) == 0,
                 qPrintable(QStringLiteral("row %1 differs").arg(y)));
}

// Mean difference of the bitmap's colours from the picture the fixture encoded.
double MeanColourError(const QImage& bitmap, const QImage& expected)
{
    qint64 sum = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = bitmap.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            for (int d : {qRed(a) - qRed(e), qGreen(a) - qGreen(e), qBlue(a) - qBlue(e)})
                sum += std::abs(d);
        }
    return double(sum) / (3.0 * expected.width() * expected.height());
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private slots:
    // The classic numbers at the edges of every stretch where the two lists differ.
    void classicNumbers_data()
    {
        QTest::addColumn<int>("turbo");
        QTest::addColumn<int>("classic");
        const int only = kTurboOnlyMessageBase;
        QTest::newRow("JMSG_NOMESSAGE") << int(JMSG_NOMESSAGE) << 0;
        QTest::newRow("JERR_ARITH_NOTIMPL") << int(JERR_ARITH_NOTIMPL) << 1;
        QTest::newRow("JERR_BAD_COMPONENT_ID") << int(JERR_BAD_COMPONENT_ID) << 5;
        QTest::newRow("JERR_BAD_DCT_COEF (new)") << int(JERR_BAD_DCT_COEF) << only + int(JERR_BAD_DCT_COEF);
        QTest::newRow("JERR_BAD_DCTSIZE") << int(JERR_BAD_DCTSIZE) << 6;
        QTest::newRow("JERR_BAD_HUFF_TABLE (was DHT_COUNTS)") << int(JERR_BAD_HUFF_TABLE) << 28;
        QTest::newRow("JERR_BAD_IN_COLORSPACE") << int(JERR_BAD_IN_COLORSPACE) << 7;
        QTest::newRow("JERR_BAD_LIB_VERSION") << int(JERR_BAD_LIB_VERSION) << 10;
        QTest::newRow("JERR_BAD_STATE") << int(JERR_BAD_STATE) << 18;
        QTest::newRow("JERR_BAD_STRUCT_SIZE") << int(JERR_BAD_STRUCT_SIZE) << 19;
        QTest::newRow("JERR_DAC_VALUE") << int(JERR_DAC_VALUE) << 27;
        QTest::newRow("JERR_DHT_INDEX") << int(JERR_DHT_INDEX) << 29;
        QTest::newRow("JERR_IMAGE_TOO_BIG") << int(JERR_IMAGE_TOO_BIG) << 40;
        QTest::newRow("JERR_INPUT_EMPTY") << int(JERR_INPUT_EMPTY) << 41;
        QTest::newRow("JERR_INPUT_EOF") << int(JERR_INPUT_EOF) << 42;
        QTest::newRow("JERR_NO_QUANT_TABLE") << int(JERR_NO_QUANT_TABLE) << 51;
        QTest::newRow("JERR_NO_SOI") << int(JERR_NO_SOI) << 52;
        QTest::newRow("JERR_OUT_OF_MEMORY") << int(JERR_OUT_OF_MEMORY) << 53;
        QTest::newRow("JERR_SOI_DUPLICATE") << int(JERR_SOI_DUPLICATE) << 60;
        QTest::newRow("JERR_XMS_WRITE") << int(JERR_XMS_WRITE) << 71;
        QTest::newRow("JMSG_COPYRIGHT") << int(JMSG_COPYRIGHT) << 72;
        QTest::newRow("JMSG_VERSION") << int(JMSG_VERSION) << 73;
        QTest::newRow("JTRC_JFIF") << int(JTRC_JFIF) << 86;
        QTest::newRow("JTRC_JFIF_BADTHUMBNAILSIZE") << int(JTRC_JFIF_BADTHUMBNAILSIZE) << 87;
        QTest::newRow("JTRC_JFIF_EXTENSION (new)") << int(JTRC_JFIF_EXTENSION) << only + int(JTRC_JFIF_EXTENSION);
        QTest::newRow("JTRC_JFIF_THUMBNAIL") << int(JTRC_JFIF_THUMBNAIL) << 89;
        QTest::newRow("JTRC_MISC_MARKER") << int(JTRC_MISC_MARKER) << 90;
        QTest::newRow("JTRC_THUMB_RGB (new)") << int(JTRC_THUMB_RGB) << only + int(JTRC_THUMB_RGB);
        QTest::newRow("JTRC_UNKNOWN_IDS") << int(JTRC_UNKNOWN_IDS) << 107;
        QTest::newRow("JTRC_XMS_OPEN") << int(JTRC_XMS_OPEN) << 109;
        QTest::newRow("JWRN_ADOBE_XFORM") << int(JWRN_ADOBE_XFORM) << 110;
        QTest::newRow("JWRN_TOO_MUCH_DATA") << int(JWRN_TOO_MUCH_DATA) << 119;
        QTest::newRow("JERR_BAD_CROP_SPEC (new)") << int(JERR_BAD_CROP_SPEC) << only + int(JERR_BAD_CROP_SPEC);
        QTest::newRow("JERR_NO_ARITH_TABLE (new)") << int(JERR_NO_ARITH_TABLE) << only + int(JERR_NO_ARITH_TABLE);
        QTest::newRow("JWRN_BOGUS_ICC (new)") << int(JWRN_BOGUS_ICC) << only + int(JWRN_BOGUS_ICC);
        QTest::newRow("past the list") << int(JMSG_LASTMSGCODE) << 0;
        QTest::newRow("negative") << -1 << 0;
    }
    void classicNumbers()
    {
        QFETCH(int, turbo);
        QFETCH(int, classic);
        QCOMPARE(ClassicJpegMessageNumber(turbo), classic);
    }

    // Every classic message but the one trace release 6b dropped has exactly one turbo twin: a
    // misspelt or misplaced name in the classic list would leave a gap or a double.
    void classicNumbersAreABijection()
    {
        std::multiset<int> hit;
        for (int code = 0; code < int(JMSG_LASTMSGCODE); ++code) {
            const int classic = ClassicJpegMessageNumber(code);
            if (classic < kTurboOnlyMessageBase)
                hit.insert(classic);
        }
        QCOMPARE(ClassicJpegMessageCount(), 120);
        for (int n = 0; n < ClassicJpegMessageCount(); ++n)
            QCOMPARE(int(hit.count(n)), n == 88 ? 0 : 1); // 88: JTRC_JFIF_MINOR
    }

    void loadErrors_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("error"); // "%1" stands for the path
        const QString open = QStringLiteral("ファイル %1 は開けません");
        QTest::newRow("png named x.JPG") << QByteArray("x.JPG") << PngBytes() << false
                                         << QStringLiteral("JPEG エラー #52");
        QTest::newRow("empty file") << QByteArray("e.jpg") << QByteArray() << false << QStringLiteral("JPEG エラー #41");
        QTest::newRow("SOI only") << QByteArray("s.jpg") << QByteArray("\xFF\xD8", 2) << false
                                  << QStringLiteral("JPEG エラー #50");
        QTest::newRow("header cut short") << QByteArray("h.jpg") << EncodeJpeg({}).left(100) << false
                                          << QStringLiteral("JPEG エラー #50");
        QTest::newRow("beyond libjpeg's dimension") << QByteArray("w.jpg") << WithFrameSize(EncodeJpeg({}), 65535, 16)
                                                    << false << QStringLiteral("JPEG エラー #40");
        QTest::newRow("missing") << QByteArray("none.jpg") << QByteArray() << false << open;
        QTest::newRow("folder y.jpg") << QByteArray("y.jpg") << QByteArray() << true << open;
        QTest::newRow("bitmap too large") << QByteArray("big.jpg") << WithFrameSize(EncodeJpeg({}), 20000, 20000)
                                          << false << QStringLiteral("ファイル %1 は大きすぎて表示できません");
    }
    void loadErrors()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, folder);
        QFETCH(QString, error);
        FixtureFolder dir;
        if (folder)
            dir.AddFolder(name);
        else if (name != "none.jpg")
            dir.AddFile(name, bytes);
        const QByteArray path = dir.File(name);
        TJPEGImage picture;
        QCOMPARE(LoadError(picture, path), error.contains("%1") ? error.arg(QString::fromUtf8(path)) : error);
        QVERIFY(picture.Empty());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }

    void loadErrorNoAccess()
    {
        if (::geteuid() == 0)
            QSKIP("running as root: every file is readable");
        FixtureFolder dir;
        dir.AddJpeg("locked.jpg");
        const QByteArray path = dir.File("locked.jpg");
        QCOMPARE(::chmod(path.constData(), 0), 0);
        TJPEGImage picture;
        QCOMPARE(LoadError(picture, path), OpenError(path));
    }

    // A file far beyond the limit is refused from its size, without being read.
    void loadRefusesHugeFile()
    {
        FixtureFolder dir;
        dir.AddFile("huge.jpg", EncodeJpeg({}));
        const QByteArray path = dir.File("huge.jpg");
        QCOMPARE(::truncate(path.constData(), TJPEGImage::kMaxFileBytes + 1), 0); // sparse
        TJPEGImage picture;
        QCOMPARE(LoadError(picture, path), QStringLiteral("ファイル %1 は大きすぎて表示できません").arg(QString::fromUtf8(path)));
    }

    // The load takes the header only; the decode later runs from memory, so the file may be gone.
    // A failed load keeps what the picture held.
    void loadReadsOnceAndKeepsPictureOnFailure()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 40, .height = 30});
        dir.AddFile("bad.jpg", PngBytes());
        TJPEGImage picture;
        QCOMPARE(LoadError(picture, dir.File("a.jpg")), QString());
        QCOMPARE(picture.Width(), 40);
        QCOMPARE(picture.Height(), 30);
        QVERIFY(!picture.DecodeStarted());
        QVERIFY(picture.Bitmap().isNull());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);

        QCOMPARE(::unlink(dir.File("a.jpg").constData()), 0);
        QCOMPARE(LoadError(picture, dir.File("bad.jpg")), QStringLiteral("JPEG エラー #52"));
        QCOMPARE(picture.Width(), 40);
        picture.StartDecode(false);
        picture.FinishDecode();
        QVERIFY(picture.Finished());
        QCOMPARE(picture.RowsDecoded(), 30);
        CompareBitmaps(picture.Bitmap(), DecodeJpegReference(EncodeJpeg({.width = 40, .height = 30}), false));
    }

    // Our decode, whole or in the smallest slices, gives exactly the pixels of libjpeg's own
    // straightforward decode with the same parameters.
    void decodeMatchesLibjpeg_data()
    {
        QTest::addColumn<JpegOptions>("options");
        QTest::addColumn<bool>("quantise");
        QTest::addColumn<int>("format");
        QTest::newRow("colour") << JpegOptions{.width = 97, .height = 61} << false << int(QImage::Format_RGB888);
        QTest::newRow("colour, 8-bit screen") << JpegOptions{.width = 97, .height = 61, .noise = 20} << true
                                              << int(QImage::Format_Indexed8);
        QTest::newRow("grayscale") << JpegOptions{.width = 50, .height = 70, .grayscale = true, .noise = 10} << false
                                   << int(QImage::Format_Indexed8);
        QTest::newRow("progressive") << JpegOptions{.width = 160, .height = 120, .progressive = true, .noise = 30}
                                     << false << int(QImage::Format_RGB888);
        QTest::newRow("progressive, 8-bit screen")
            << JpegOptions{.width = 160, .height = 120, .progressive = true, .noise = 30} << true
            << int(QImage::Format_Indexed8);
        QTest::newRow("progressive grayscale")
            << JpegOptions{.width = 81, .height = 33, .grayscale = true, .progressive = true, .noise = 5} << false
            << int(QImage::Format_Indexed8);
    }
    void decodeMatchesLibjpeg()
    {
        QFETCH(JpegOptions, options);
        QFETCH(bool, quantise);
        QFETCH(int, format);
        FixtureFolder dir;
        const QByteArray jpeg = EncodeJpeg(options);
        dir.AddFile("p.jpg", jpeg);
        const QImage expected = DecodeJpegReference(jpeg, quantise);
        QCOMPARE(int(expected.format()), format);

        TJPEGImage whole;
        whole.LoadFromFile(dir.File("p.jpg"));
        whole.StartDecode(quantise);
        whole.FinishDecode();
        QVERIFY(!whole.DecodeError());
        QCOMPARE(whole.RowsDecoded(), options.height);
        CompareBitmaps(whole.Bitmap(), expected);
        if (format == QImage::Format_Indexed8)
            QVERIFY(whole.Bitmap().colorCount() <= 236);

        TJPEGImage sliced;
        sliced.LoadFromFile(dir.File("p.jpg"));
        const int calls = DecodeInSmallSteps(sliced, quantise, 256);
        // One row a call, after the start. Multi-scan files and the two-pass quantiser take the
        // whole file before the first row, in steps of the 256 bytes offered at a time.
        if (options.progressive || (quantise && !options.grayscale))
            QVERIFY2(calls >= options.height + jpeg.size() / 512, qPrintable(QString::number(calls)));
        else
            QCOMPARE(calls, options.height + 1);
        QVERIFY(sliced.Finished());
        CompareBitmaps(sliced.Bitmap(), expected);

        // One byte at a time: every suspension point libjpeg has, markers between scans too.
        TJPEGImage byByte;
        byByte.LoadFromFile(dir.File("p.jpg"));
        DecodeInSmallSteps(byByte, quantise, 1);
        CompareBitmaps(byByte.Bitmap(), expected);
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }

    // Rows come out a slice at a time, top first, and the bitmap's rows above the count are final.
    void rowsComeOutInSlices()
    {
        FixtureFolder dir;
        const JpegOptions options{.width = 64, .height = 64};
        dir.AddJpeg("p.jpg", options);
        TJPEGImage picture;
        picture.LoadFromFile(dir.File("p.jpg"));
        picture.StartDecode(false);
        QVERIFY(!picture.DecodeSome(1000, 10));
        QCOMPARE(picture.RowsDecoded(), 10);
        QVERIFY(!picture.Finished());
        const QImage expected = DecodeJpegReference(EncodeJpeg(options), false);
        for (int y = 0; y < 10; ++y)
            QVERIFY(std::memcmp(picture.Bitmap().constScanLine(y), expected.constScanLine(y), 64 * 3) == 0);
        QCOMPARE(JpegDecoder::LiveDecompressors(), 1);
        picture.AbandonDecode();
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
        QVERIFY(!picture.DecodeStarted());
        QVERIFY(picture.Bitmap().isNull());
        picture.StartDecode(false);
        picture.FinishDecode();
        CompareBitmaps(picture.Bitmap(), expected);

        // A picture is decoded once: it has let go of the file's bytes, and a later start leaves
        // the finished bitmap as it is.
        picture.StartDecode(true);
        QVERIFY(picture.Finished());
        QVERIFY(!picture.Quantised());
        CompareBitmaps(picture.Bitmap(), expected);
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }

    void cmykShownInColour_data()
    {
        QTest::addColumn<JpegOptions>("options");
        QTest::addColumn<bool>("quantise");
        const JpegOptions base{.width = 64, .height = 48, .quality = 95};
        JpegOptions adobe = base;
        adobe.cmyk = true;
        JpegOptions plain = adobe;
        plain.adobeMarker = false;
        JpegOptions ycck = base;
        ycck.ycck = true;
        JpegOptions progressive = adobe;
        progressive.progressive = true;
        QTest::newRow("CMYK, Adobe inverted") << adobe << false;
        QTest::newRow("CMYK, plain") << plain << false;
        QTest::newRow("YCCK, Adobe inverted") << ycck << false;
        QTest::newRow("CMYK progressive") << progressive << false;
        QTest::newRow("CMYK, 8-bit screen") << adobe << true;
    }
    void cmykShownInColour()
    {
        QFETCH(JpegOptions, options);
        QFETCH(bool, quantise);
        FixtureFolder dir;
        dir.AddJpeg("c.jpg", options);
        TJPEGImage picture;
        picture.LoadFromFile(dir.File("c.jpg"));
        DecodeInSmallSteps(picture, quantise);
        QVERIFY(!picture.DecodeError());
        const QImage& bitmap = picture.Bitmap();
        QCOMPARE(bitmap.format(), quantise ? QImage::Format_Indexed8 : QImage::Format_RGB888);
        if (quantise)
            QCOMPARE(bitmap.colorCount(), 216);
        const double mean = MeanColourError(bitmap, FixturePixels(options));
        // Lossy coding and YCCK's halved chroma (and, quantised, a cube step of 51) move colours
        // a little (mean 0.5 to 13); a wrong inversion moves them by about half the range.
        QVERIFY2(mean < (quantise ? 20.0 : 10.0), qPrintable(QString::number(mean)));
    }

    // A truncated file: no error, every row comes out, the top as in the whole file, exactly as
    // libjpeg itself decodes the truncated data.
    void truncatedFileShowsWhatIsThere_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::newRow("sequential") << false;
        QTest::newRow("progressive") << true;
    }
    void truncatedFileShowsWhatIsThere()
    {
        QFETCH(bool, progressive);
        const JpegOptions options{.width = 128, .height = 128, .progressive = progressive, .noise = 40};
        const QByteArray whole = EncodeJpeg(options);
        const QByteArray cut = whole.left(whole.size() * 2 / 5);
        FixtureFolder dir;
        dir.AddFile("t.jpg", cut);
        TJPEGImage picture;
        picture.LoadFromFile(dir.File("t.jpg"));
        DecodeInSmallSteps(picture, false);
        QVERIFY(!picture.DecodeError());
        QVERIFY(picture.Finished());
        QCOMPARE(picture.RowsDecoded(), 128);
        CompareBitmaps(picture.Bitmap(), DecodeJpegReference(cut, false));
        const QImage full = DecodeJpegReference(whole, false);
        if (!progressive) {
            QVERIFY(std::memcmp(picture.Bitmap().constScanLine(0), full.constScanLine(0), 128 * 3) == 0);
        }
        QVERIFY(std::memcmp(picture.Bitmap().constScanLine(127), full.constScanLine(127), 128 * 3) != 0);
    }

    // A fatal error that shows only in the decode (a second SOI between the scans of a
    // progressive file) is kept in the words of a load error; the decompressor is gone.
    void fatalErrorDuringDecode()
    {
        const QByteArray jpeg =
            InsertBeforeScan(EncodeJpeg({.width = 64, .height = 64, .progressive = true}), 2, QByteArray("\xFF\xD8", 2));
        FixtureFolder dir;
        dir.AddFile("f.jpg", jpeg);
        for (const bool sliced : {false, true}) {
            TJPEGImage picture;
            QCOMPARE(LoadError(picture, dir.File("f.jpg")), QString());
            if (sliced)
                DecodeInSmallSteps(picture, false, 16);
            else {
                picture.StartDecode(false);
                picture.FinishDecode();
            }
            QCOMPARE(picture.State(), TJPEGImage::DecodeState::Failed);
            QCOMPARE(picture.DecodeError().value_or(QString()), QStringLiteral("JPEG エラー #60"));
            QVERIFY(picture.Bitmap().isNull());
            QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
        }
    }

    // Destroying a picture in the middle of its decode destroys its decompressor.
    void destructionMidDecodeFreesDecoder()
    {
        FixtureFolder dir;
        dir.AddJpeg("p.jpg", {.width = 64, .height = 64, .progressive = true, .noise = 30});
        {
            TJPEGImage picture;
            picture.LoadFromFile(dir.File("p.jpg"));
            picture.SetInputSliceBytes(64);
            picture.StartDecode(true);
            QVERIFY(!picture.DecodeSome(0, 1));
            QCOMPARE(JpegDecoder::LiveDecompressors(), 1);
        }
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }
};

QTEST_GUILESS_MAIN(TestJpeg)
#include "test_jpeg.moc"
