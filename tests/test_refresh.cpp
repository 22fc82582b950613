#include "Fixtures.h"
#include "WindowDriver.h"
#include "display/NameRules.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <cstdio>

class TestRefresh : public QObject {
    Q_OBJECT

    static QSize BoxSize(const TImage* box) { return box->size(); }
    static int PictureWidth(const TImage* box) { return box->Picture() ? box->Picture()->Width() : 0; }

private slots:
    void nameRules_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("jpeg");
        QTest::newRow("IMG_0001.jpg") << QByteArray("IMG_0001.jpg") << QByteArray("IMG_0001") << true;
        QTest::newRow("IMG_0002.JPG") << QByteArray("IMG_0002.JPG") << QByteArray("IMG_0002") << true;
        QTest::newRow("b.JpEg") << QByteArray("b.JpEg") << QByteArray("b") << true;
        QTest::newRow("c.jpe") << QByteArray("c.jpe") << QByteArray("c") << false;
        QTest::newRow("d.jfif") << QByteArray("d.jfif") << QByteArray("d") << false;
        QTest::newRow("e.png") << QByteArray("e.png") << QByteArray("e") << false;
        QTest::newRow("README") << QByteArray("README") << QByteArray("README") << false;
        QTest::newRow("dotted date") << QByteArray("2004.05.01.jpg") << QByteArray("2004.05.01") << true;
        QTest::newRow("memo") << QByteArray("memo") << QByteArray("memo") << false;
        QTest::newRow(".jpg") << QByteArray(".jpg") << QByteArray() << true;
        QTest::newRow("backslash after dot") << QByteArray("a.b\\c.jpg") << QByteArray("a.b\\c") << true;
        QTest::newRow("backslash last") << QByteArray("a.jpg\\c") << QByteArray("a.jpg\\c") << false;
        QTest::newRow("colon last") << QByteArray("x.jpg:y") << QByteArray("x.jpg:y") << false;
        // 表 (95 5C) ends in the byte of '\', which is not a backslash here.
        QTest::newRow("cp932 trail byte") << QByteArray("\x95\x5c.jpg") << QByteArray("\x95\x5c") << true;
    }
    void nameRules()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, field);
        QFETCH(bool, jpeg);
        QCOMPARE(NameWithoutExtension(name), field);
        QCOMPARE(IsJpegName(name), jpeg);
    }

    // Which frames show a picture, by the selection's place in the folder.
    void neighbours_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("previous");
        QTest::addColumn<bool>("next");
        QTest::newRow("first") << 3 << 0 << false << true;
        QTest::newRow("middle") << 3 << 1 << true << true;
        QTest::newRow("last") << 3 << 2 << true << false;
        QTest::newRow("single") << 1 << 0 << false << false;
    }
    void neighbours()
    {
        QFETCH(int, count);
        QFETCH(int, selection);
        QFETCH(bool, previous);
        QFETCH(bool, next);
        FixtureFolder dir;
        for (int i = 0; i < count; ++i)
            dir.AddJpeg("p" + QByteArray::number(i) + ".jpg", {.width = 40 + i, .height = 30});
        WindowDriver d;
        d.Open(dir.Path());
        for (int i = 0; i < selection; ++i)
            d.window->SelectNext();
        QCOMPARE(PictureWidth(d.window->Image1), 40 + selection);
        QCOMPARE(PictureWidth(d.window->Image2), previous ? 40 + selection - 1 : 0);
        QCOMPARE(PictureWidth(d.window->Image3), next ? 40 + selection + 1 : 0);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Sub-folders and other files empty their frame.
    void nonPhotosEmptyTheFrame()
    {
        FixtureFolder dir;
        dir.AddFolder("c.jpg.d"); // sub-folders come first
        dir.AddJpeg("a.jpg");
        dir.AddFile("b.png", "not a jpeg");
        WindowDriver d;
        d.Open(dir.Path());
        QVERIFY(!d.window->Image1->Picture());
        QVERIFY(d.window->Image3->Picture());
        d.window->SelectNext();
        QVERIFY(!d.window->Image2->Picture());
        QVERIFY(d.window->Image1->Picture());
        QVERIFY(!d.window->Image3->Picture());
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // The box sizes of the frame fit at design size.
    void fitAtDesignSize_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QSize>("main");
        QTest::addColumn<QSize>("small");
        QTest::newRow("800x600") << 800 << 600 << QSize(504, 378) << QSize(248, 186);
        QTest::newRow("480x360") << 480 << 360 << QSize(504, 377) << QSize(248, 186);
        QTest::newRow("400x600") << 400 << 600 << QSize(252, 378) << QSize(124, 186);
        QTest::newRow("600x900") << 600 << 900 << QSize(251, 378) << QSize(124, 186);
        QTest::newRow("square") << 500 << 500 << QSize(378, 378) << QSize(186, 186);
    }
    void fitAtDesignSize()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QSize, main);
        QFETCH(QSize, small);
        FixtureFolder dir;
        for (const char* name : {"a.jpg", "b.jpg"})
            dir.AddJpeg(name, {.width = w, .height = h});
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(BoxSize(d.window->Image1), main);
        QCOMPARE(d.window->Image1->pos(), QPoint(2, 2));
        QCOMPARE(BoxSize(d.window->Image3), small);
    }

    void mainPhotoKeepsItsSizeUntilTheNextRefresh()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 800, .height = 600});
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(BoxSize(d.window->Image1), QSize(504, 378));
        d.window->resize(d.window->size() + QSize(300, 100));
        QCOMPARE(BoxSize(d.window->Image1), QSize(504, 378));
        d.window->MirrorSelection(); // same position: no refresh
        d.window->UpDown1->ClickArrow(TUpDownDirection::Up); // proposes 1: refused
        d.Open(dir.Path());
        // The fit area is now 804 x 478: h = trunc(804 / 800 * 600) = 603 > 478.
        QCOMPARE(BoxSize(d.window->Image1), QSize(637, 478));
    }

    // A photo that cannot be loaded empties its frame; its neighbours and the details still
    // follow the selection, and the error shows once, after the handler.
    void failedMainFrame()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 41, .height = 30});
        dir.AddJpeg("b.jpg", {.width = 42, .height = 30});
        dir.AddJpeg("c.jpg", {.width = 43, .height = 30});
        WindowDriver d;
        d.Open(dir.Path());
        d.window->SelectNext();
        QVERIFY(d.window->Image1->Picture());
        dir.AddFile("b.jpg", QByteArray("\x89PNG\r\n\x1a\n", 8));
        // Back to a.jpg: b.jpg fails in the next frame, and the report comes when the key's
        // handler has returned.
        d.Key(Qt::Key_F3);
        QCOMPARE(d.services.errorReports, QStringList{"JPEG エラー #52."});
        QVERIFY(!d.window->Image3->Picture());
        d.Key(Qt::Key_F4);
        QVERIFY(!d.window->Image1->Picture());
        QCOMPARE(PictureWidth(d.window->Image2), 41);
        QCOMPARE(PictureWidth(d.window->Image3), 43);
        QCOMPARE(d.window->Edit1->text(), QString("b"));
        QCOMPARE(d.window->Memo2->toPlainText().split('\n').size(), 20);
        QCOMPARE(d.services.errorReports, (QStringList{"JPEG エラー #52.", "JPEG エラー #52."}));
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]3"));

        // Outside any handler the report comes from the event loop.
        d.services.errorReports.clear();
        d.window->SelectPrevious();
        QVERIFY(d.services.errorReports.isEmpty());
        QTRY_COMPARE(d.services.errorReports, QStringList{"JPEG エラー #52."});
    }

    void emptyFileIsReportedAsEmptyInput()
    {
        FixtureFolder dir;
        dir.AddFile("a.jpg");
        WindowDriver d;
        d.Open(dir.Path());
        QVERIFY(!d.window->Image1->Picture());
        QTRY_COMPARE(d.services.errorReports, QStringList{"JPEG エラー #41."});
        QCOMPARE(d.window->Memo2->toPlainText().split('\n').value(0), QString("[サイズ        ] 0 KB"));
    }

    // The selected file gone from the folder: no other item stands in for it.
    void selectedFileDeleted()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg");
        dir.AddJpeg("b.jpg");
        dir.AddJpeg("z_last.jpg");
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(std::remove(dir.File("b.jpg").constData()), 0);
        d.Key(Qt::Key_F4);
        QCOMPARE(d.window->Edit1->text(), QString("b"));
        QVERIFY(!d.window->Image1->Picture());
        QVERIFY(d.window->Image2->Picture());
        QVERIFY(d.window->Image3->Picture());
        QCOMPARE(d.window->Memo2->toPlainText(), QString());
        QCOMPARE(d.services.errorReports, QStringList{"ファイル " + QString::fromUtf8(dir.File("b.jpg")) + " は開けません."});
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]3"));
    }

    // Every refresh reads the files it shows anew.
    void changedFileShowsItsNewContent()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 40, .height = 30});
        dir.AddJpeg("b.jpg", {.width = 50, .height = 30});
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(PictureWidth(d.window->Image1), 40);
        dir.AddJpeg("a.jpg", {.width = 60, .height = 30});
        d.window->SelectNext();
        QCOMPARE(PictureWidth(d.window->Image2), 60);
    }

    // Pictures are decoded when first drawn, to the full rows of the photo.
    void framesDecodeWhenDrawn()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 320, .height = 240});
        WindowDriver d;
        d.Open(dir.Path());
        TJPEGImage* picture = d.window->Image1->Picture();
        QVERIFY(picture);
        QTRY_VERIFY(picture->Finished());
        QCOMPARE(picture->RowsDecoded(), 240);
    }
};

PORTEO_TEST_MAIN(TestRefresh)
#include "test_refresh.moc"
