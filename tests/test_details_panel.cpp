#include "Fixtures.h"
#include "MetadataFixtures.h"
#include "WindowDriver.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QPlainTextEdit>
#include <QtTest>
#include <cstdio>

class TestDetailsPanel : public QObject {
    Q_OBJECT

    static QStringList Lines(const TFMainMenu& w) { return w.Memo2->toPlainText().split('\n'); }

    static QByteArray CameraPhoto()
    {
        PhotoMetadata m;
        m.model = "Canon PowerShot S40";
        m.dateTimeOriginal = "2004:05:01 09:05:00";
        m.dateTimeDigitized = "2004:05:02 18:45:00";
        m.xpAuthor = "山田 太郎";
        return AddMetadata(EncodeJpeg({.width = 640, .height = 480}), m);
    }

private slots:
    // The lines a refresh writes for a photo: the twenty labels in order, each followed
    // directly by its detail.
    void photoLines()
    {
        FixtureFolder dir;
        dir.AddFile("IMG_0001.JPG", CameraPhoto());
        WindowDriver d;
        d.Open(dir.Path());
        const QStringList lines = Lines(*d.window);
        QCOMPARE(lines.size(), 20);
        const QStringList labels{"[サイズ        ] ", "[種類          ] ", "[更新日時      ] ", "[作成日時      ] ",
                                 "[アクセス日時  ] ", "[属性          ] ", "[状態          ] ", "[所有者        ] ",
                                 "[作成者        ] ", "[タイトル      ] ", "[表題          ] ", "[カテゴリ      ] ",
                                 "[ページ数      ] ", "[コメント      ] ", "[カメラのモデル] ", "[写真の撮影日  ] ",
                                 "[大きさ        ] ", "[幅            ] ", "[高さ          ] ", "[写真の撮影日  ] "};
        for (int i = 0; i < 20; ++i)
            QVERIFY2(lines[i].startsWith(labels[i]), qPrintable(lines[i]));
        QCOMPARE(lines[1], QString("[種類          ] JPEG 画像"));
        QCOMPARE(lines[5], QString("[属性          ] A"));
        QCOMPARE(lines[6], QString("[状態          ] "));
        QCOMPARE(lines[8], QString("[作成者        ] 山田 太郎"));
        QCOMPARE(lines[12], QString("[ページ数      ] "));
        QCOMPARE(lines[14], QString("[カメラのモデル] Canon PowerShot S40"));
        QCOMPARE(lines[15], QString("[写真の撮影日  ] 2004/05/01 9:05"));
        QCOMPARE(lines[16], QString("[大きさ        ] 640 x 480"));
        QCOMPARE(lines[17], QString("[幅            ] 640 ピクセル"));
        QCOMPARE(lines[18], QString("[高さ          ] 480 ピクセル"));
        QCOMPARE(lines[19], QString("[写真の撮影日  ] 2004/05/02 18:45"));
    }

    // Folders and files that are no photos get all twenty lines too.
    void everyItemGetsTwentyLines_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("type");
        QTest::newRow("folder") << true << QByteArray() << "[種類          ] フォルダー";
        QTest::newRow("text") << false << QByteArray("hello\n") << "[種類          ] 平文テキストドキュメント";
    }
    void everyItemGetsTwentyLines()
    {
        QFETCH(bool, folder);
        QFETCH(QByteArray, content);
        QFETCH(QString, type);
        FixtureFolder dir;
        if (folder)
            dir.AddFolder("a");
        else
            dir.AddFile("a.txt", content);
        WindowDriver d;
        d.Open(dir.Path());
        const QStringList lines = Lines(*d.window);
        QCOMPARE(lines.size(), 20);
        QCOMPARE(lines[1], type);
        QCOMPARE(lines[16], QString("[大きさ        ] "));
    }

    // The details follow the item's current name: after a rename the next refresh still finds
    // the file; an item gone from the folder is described by nothing.
    void followsTheCurrentName()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg");
        dir.AddJpeg("b.jpg", {.width = 30, .height = 20});
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(std::rename(dir.File("b.jpg").constData(), dir.File("trip.JPG").constData()), 0);
        d.window->CurrentNames->SetStrings(1, "trip.JPG");
        d.window->SelectNext();
        QCOMPARE(Lines(*d.window).value(16), QString("[大きさ        ] 30 x 20"));

        QCOMPARE(std::remove(dir.File("a.jpg").constData()), 0);
        d.window->SelectPrevious();
        QCOMPARE(d.window->Memo2->toPlainText(), QString());
    }

    void emptyFolderKeepsTheLines()
    {
        FixtureFolder dir, empty;
        dir.AddJpeg("a.jpg");
        WindowDriver d;
        d.Open(dir.Path());
        const QString before = d.window->Memo2->toPlainText();
        QVERIFY(!before.isEmpty());
        d.Open(empty.Path());
        QCOMPARE(d.window->Memo2->toPlainText(), before);
    }
};

PORTEO_TEST_MAIN(TestDetailsPanel)
#include "test_details_panel.moc"
