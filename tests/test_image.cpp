#include "Fixtures.h"
#include "platform/JpegDecoder.h"
#include "platform/TImage.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(JpegOptions)

namespace {

std::unique_ptr<TJPEGImage> LoadPicture(const FixtureFolder& dir, const QByteArray& name, const JpegOptions& options)
{
    dir.AddJpeg(name, options);
    auto picture = std::make_unique<TJPEGImage>();
    picture->LoadFromFile(dir.File(name));
    return picture;
}

QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What an empty box of that size shows (the background).
QImage EmptyBoxImage(QSize size)
{
    TImage empty;
    empty.resize(size);
    return Grab(empty);
}

// A progressive file whose decode fails after its header loaded: a second SOI between scans.
QByteArray FailingJpeg()
{
    return InsertBeforeScan(EncodeJpeg({.width = 64, .height = 64, .progressive = true}), 2, QByteArray("\xFF\xD8", 2));
}

// Turns the event loop (no waiting) until the condition holds.
template <typename Condition>
bool SpinUntil(Condition condition)
{
    for (int i = 0; i < 100000 && !condition(); ++i)
        QCoreApplication::processEvents();
    return condition();
}

class KeyCounter : public QObject {
public:
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++keys;
        return false;
    }
};

} // namespace

class TestImage : public QObject {
    Q_OBJECT
private slots:
    // Stretched, box pixel (x, y) shows the bitmap pixel under its centre: whole rows and columns
    // are repeated or dropped, and no colour is made up.
    void stretchIsNearestNeighbour_data()
    {
        QTest::addColumn<JpegOptions>("options");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<int>("depth");
        QTest::newRow("2x2 into 4x4") << JpegOptions{.width = 2, .height = 2, .quality = 100, .noise = 60}
                                      << QSize(4, 4) << 24;
        QTest::newRow("3x2 into 9x6") << JpegOptions{.width = 3, .height = 2, .quality = 100, .noise = 60}
                                      << QSize(9, 6) << 24;
        QTest::newRow("5x3 into 7x5") << JpegOptions{.width = 5, .height = 3, .quality = 100, .noise = 60}
                                      << QSize(7, 5) << 24;
        QTest::newRow("8x6 into 4x3 (dropping)")
            << JpegOptions{.width = 8, .height = 6, .quality = 100, .noise = 60} << QSize(4, 3) << 24;
        QTest::newRow("7x5 into 3x4") << JpegOptions{.width = 7, .height = 5, .quality = 100, .noise = 60}
                                      << QSize(3, 4) << 24;
        QTest::newRow("grayscale 2x3 into 6x9")
            << JpegOptions{.width = 2, .height = 3, .quality = 100, .grayscale = true, .noise = 60} << QSize(6, 9)
            << 24;
        QTest::newRow("8-bit screen, 4x3 into 8x6")
            << JpegOptions{.width = 4, .height = 3, .quality = 100, .noise = 60} << QSize(8, 6) << 8;
    }
    void stretchIsNearestNeighbour()
    {
        QFETCH(JpegOptions, options);
        QFETCH(QSize, box);
        QFETCH(int, depth);
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.SetScreenDepth(depth);
        image.resize(box);
        image.SetPicture(LoadPicture(dir, "p.jpg", options));
        const QImage shown = Grab(image); // the first paint decodes (no incremental display)
        const QImage& bitmap = image.Picture()->Bitmap();
        QVERIFY(image.Picture()->Finished());
        QVERIFY(!image.Halftoning());
        const int w = options.width, h = options.height;
        for (int y = 0; y < box.height(); ++y)
            for (int x = 0; x < box.width(); ++x) {
                // Centre of the box pixel, in bitmap pixels.
                const int sx = int((x + 0.5) * w / box.width());
                const int sy = int((y + 0.5) * h / box.height());
                QCOMPARE(shown.pixel(x, y), bitmap.pixel(sx, sy));
            }
    }

    // Integer enlargements make blocks of one colour: a check that needs no sampling rule.
    void stretchRepeatsBlocks()
    {
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.resize(6, 9);
        image.SetPicture(LoadPicture(dir, "p.jpg", {.width = 2, .height = 3, .quality = 100, .noise = 60}));
        const QImage shown = Grab(image);
        const QImage& bitmap = image.Picture()->Bitmap();
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 6; ++x)
                QCOMPARE(shown.pixel(x, y), bitmap.pixel(x / 3, y / 3));
    }

    void withoutStretchDrawsAtOwnSize()
    {
        FixtureFolder dir;
        TImage image;
        image.resize(6, 4);
        image.SetPicture(LoadPicture(dir, "p.jpg", {.width = 3, .height = 2, .quality = 100, .noise = 60}));
        const QImage shown = Grab(image);
        const QImage background = EmptyBoxImage(QSize(6, 4));
        const QImage& bitmap = image.Picture()->Bitmap();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                QCOMPARE(shown.pixel(x, y), x < 3 && y < 2 ? bitmap.pixel(x, y) : background.pixel(x, y));
    }

    // Halftoning only on screens of 8 or fewer bits, for a bitmap deeper than the screen; there it
    // blends (colours not in the bitmap appear).
    void halftoningOnlyForDeeperBitmaps_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("quantised");
        QTest::addColumn<bool>("halftone");
        QTest::newRow("24-bit screen") << 24 << false << false;
        QTest::newRow("8-bit screen") << 8 << true << false;
        QTest::newRow("4-bit screen") << 4 << true << true;
    }
    void halftoningOnlyForDeeperBitmaps()
    {
        QFETCH(int, depth);
        QFETCH(bool, quantised);
        QFETCH(bool, halftone);
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.SetScreenDepth(depth);
        image.resize(16, 16);
        image.SetPicture(LoadPicture(dir, "p.jpg", {.width = 2, .height = 2, .quality = 100, .noise = 80}));
        const QImage shown = Grab(image);
        QCOMPARE(image.Picture()->Quantised(), quantised);
        QCOMPARE(image.Halftoning(), halftone);
        QSet<QRgb> source;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                source.insert(image.Picture()->Bitmap().pixel(x, y));
        bool madeUp = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                madeUp = madeUp || !source.contains(shown.pixel(x, y));
        QCOMPARE(madeUp, halftone);
    }

    // Incremental display: nothing is decoded at load or at SetPicture; the first paint starts
    // the decode, the event loop runs it, and the box is repainted once it has ended.
    void decodeStartsAtFirstPaint()
    {
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.SetIncrementalDisplay(true);
        image.resize(64, 48);
        QSignalSpy painted(&image, &TImage::RowsPainted);
        image.SetPicture(LoadPicture(dir, "p.jpg", {.width = 80, .height = 60}));
        TJPEGImage* picture = image.Picture();
        QCoreApplication::processEvents();
        QVERIFY(!picture->DecodeStarted()); // hidden: never painted
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);

        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        QTRY_VERIFY(picture->DecodeStarted());
        QTRY_VERIFY(picture->Finished());
        QTRY_VERIFY(!painted.isEmpty() && painted.last().at(0).toInt() == 60);
        QVERIFY(image.RowsPaintCount() >= 1);
        QVERIFY(!image.Decoding());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }

    // Between slices the event loop serves timers and keys.
    void eventLoopStaysLiveWhileDecoding()
    {
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.SetIncrementalDisplay(true);
        image.SetDecodeSlice(0, 1);
        image.resize(64, 64);
        KeyCounter keys;
        image.installEventFilter(&keys);
        image.SetPicture(LoadPicture(dir, "p.jpg", {.width = 64, .height = 200}));
        TJPEGImage* picture = image.Picture();
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        QVERIFY(SpinUntil([&] { return image.Decoding(); }));

        int rowsAtTimer = -1;
        QTimer::singleShot(0, &image, [&] { rowsAtTimer = picture->RowsDecoded(); });
        QCoreApplication::postEvent(&image, new QKeyEvent(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier));
        QVERIFY(SpinUntil([&] { return rowsAtTimer >= 0 && keys.keys == 1; }));
        QVERIFY2(rowsAtTimer < 200, "the timer waited for the whole decode");
        QVERIFY(!picture->Finished());
        QVERIFY(image.Decoding());
        image.FinishDecodeNow();
        QVERIFY(picture->Finished());
        QVERIFY(!image.Decoding());
    }

    // Boxes take turns: the box painted first decodes to its end before the next one starts, and
    // a box that gives up its picture hands the turn on.
    void decodesTakeTurns()
    {
        FixtureFolder dir;
        QWidget window;
        window.resize(200, 100);
        TImage first(&window), second(&window), third(&window);
        for (TImage* box : {&first, &second, &third}) {
            box->SetStretch(true);
            box->SetIncrementalDisplay(true);
            box->SetDecodeSlice(0, 1);
            box->resize(60, 60);
        }
        second.move(70, 0);
        third.move(140, 0);
        first.SetPicture(LoadPicture(dir, "a.jpg", {.width = 64, .height = 120}));
        second.SetPicture(LoadPicture(dir, "b.jpg", {.width = 64, .height = 120, .seed = 2}));
        third.SetPicture(LoadPicture(dir, "c.jpg", {.width = 64, .height = 120, .seed = 3}));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(SpinUntil([&] { return first.Picture()->RowsDecoded() > 0; }));
        QVERIFY(first.Decoding() && second.Decoding() && third.Decoding());
        QVERIFY(second.Picture()->DecodeStarted() && third.Picture()->DecodeStarted());
        QCOMPARE(second.Picture()->RowsDecoded(), 0);

        QVERIFY(SpinUntil([&] { return second.Picture()->RowsDecoded() > 0; }));
        QVERIFY(first.Picture()->Finished());
        QVERIFY(!first.Decoding());
        QVERIFY(!second.Picture()->Finished());
        QCOMPARE(third.Picture()->RowsDecoded(), 0);

        second.Clear(); // abandoned mid-decode: the third box goes on
        QVERIFY(!second.Decoding());
        QVERIFY(SpinUntil([&] { return third.Picture()->Finished(); }));
        QVERIFY(!third.Decoding());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }

    void setPictureAndClearAbandonDecode()
    {
        FixtureFolder dir;
        TImage image;
        image.SetStretch(true);
        image.SetIncrementalDisplay(true);
        image.SetDecodeSlice(0, 1);
        image.resize(64, 64);
        image.SetPicture(LoadPicture(dir, "a.jpg", {.width = 64, .height = 300, .progressive = true}));
        TJPEGImage* first = image.Picture();
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        QVERIFY(SpinUntil([&] { return first->RowsDecoded() > 0; }));
        QVERIFY(!first->Finished());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 1);

        image.SetPicture(LoadPicture(dir, "b.jpg", {.width = 64, .height = 300, .seed = 2}));
        TJPEGImage* second = image.Picture();
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0); // the first picture and its decoder are gone
        QVERIFY(!image.Decoding());
        QVERIFY(!second->DecodeStarted()); // until the box is painted again
        QVERIFY(SpinUntil([&] { return second->RowsDecoded() > 0; }));
        QVERIFY(!second->Finished());

        image.Clear();
        QVERIFY(image.Picture() == nullptr);
        QVERIFY(!image.Decoding());
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
        QCOMPARE(Grab(image), EmptyBoxImage(image.size()));
    }

    // A fatal decode error is reported once, whichever way the decode ran; then the box draws
    // nothing of that picture.
    void decodeErrorReportedOnce_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("incremental, from the event loop") << QStringLiteral("incremental");
        QTest::newRow("whole decode in the first paint") << QStringLiteral("paint");
        QTest::newRow("FinishDecodeNow") << QStringLiteral("now");
    }
    void decodeErrorReportedOnce()
    {
        QFETCH(QString, way);
        FixtureFolder dir;
        dir.AddFile("bad.jpg", FailingJpeg());
        auto picture = std::make_unique<TJPEGImage>();
        picture->LoadFromFile(dir.File("bad.jpg"));
        TImage image;
        image.SetStretch(true);
        image.SetIncrementalDisplay(way == "incremental");
        image.resize(32, 32);
        QStringList reports;
        image.OnDecodeError = [&](const QString& text) { reports.append(text); };
        image.SetPicture(std::move(picture));
        if (way == "now") {
            image.FinishDecodeNow();
            QCOMPARE(reports.size(), 1); // reported at once
            image.FinishDecodeNow();
        } else {
            image.show();
            QVERIFY(QTest::qWaitForWindowExposed(&image));
            QTRY_COMPARE(reports.size(), 1);
        }
        image.update();
        const QImage shown = Grab(image);
        QCoreApplication::processEvents();
        QCOMPARE(reports, QStringList{QStringLiteral("JPEG エラー #60")});
        QCOMPARE(shown, EmptyBoxImage(image.size()));
        QCOMPARE(JpegDecoder::LiveDecompressors(), 0);
    }
};

QTEST_MAIN(TestImage)
#include "test_image.moc"
