#include "Fixtures.h"
#include "WindowDriver.h"
#include "platform/Controls.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QLineEdit>
#include <QtTest>

class TestOpening : public QObject {
    Q_OBJECT

    // A folder of three items: a sub-folder, a photo and a file that is no photo.
    static void FillThree(const FixtureFolder& dir)
    {
        dir.AddFolder("album");
        dir.AddJpeg("IMG_0001.jpg");
        dir.AddFile("notes.txt", "memo");
    }

    static QStringList CurrentNames(const TFMainMenu& w)
    {
        QStringList names;
        for (int i = 0; i < w.CurrentNames->Count(); ++i)
            names << QString::fromUtf8(w.CurrentNames->Strings(i));
        return names;
    }

private slots:
    void startsEmpty()
    {
        WindowDriver d;
        QCOMPARE(d.Caption(), QString("ぽるてお"));
        QCOMPARE(d.window->ComboBox1->count(), 0);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), -1);
        QCOMPARE(d.PositionText(), QString());
        QCOMPARE(d.window->UpDown1->Position(), qint16(0));
        QVERIFY(d.window->FolderPath.isEmpty());
        QVERIFY(!d.window->CurrentNames);
        QCOMPARE(d.window->pos(), QPoint(0, 0));
    }

    void opensThreeItems()
    {
        FixtureFolder dir;
        FillThree(dir);
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.services.pickerPrompts, QStringList{"フォルダを選択してください。"});
        const QStringList expected{"album", "IMG_0001.jpg", "notes.txt"};
        QCOMPARE(d.ListNames(), expected);
        QCOMPARE(CurrentNames(*d.window), expected);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 0);
        QCOMPARE(d.PositionText(), QString("[選択]1/[合計]3"));
        QCOMPARE(d.Caption(), "ぽるてお[" + QString::fromUtf8(dir.Path()) + "]");
        QCOMPARE(d.window->FolderPath, dir.Path());
        QCOMPARE(d.window->UpDown1->Position(), qint16(0));
        QCOMPARE(d.window->RefreshCount(), 1);
        QCOMPARE(d.window->Edit1->text(), QString("album"));
        QVERIFY(d.services.errorReports.isEmpty());
    }

    void opensEmptyFolder()
    {
        FixtureFolder dir;
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.window->ComboBox1->count(), 0);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), -1);
        QCOMPARE(d.PositionText(), QString("[選択]0/[合計]0"));
        QCOMPARE(d.Caption(), "ぽるてお[" + QString::fromUtf8(dir.Path()) + "]");
        QCOMPARE(d.window->RefreshCount(), 0);
    }

    // A cancelled pick, and a pick that is no directory, leave everything as it was.
    void refusedPickChangesNothing_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancel") << true;
        QTest::newRow("no directory") << false;
    }
    void refusedPickChangesNothing()
    {
        QFETCH(bool, cancel);
        FixtureFolder dir;
        FillThree(dir);
        WindowDriver d;
        d.Open(dir.Path());
        d.window->ComboBox1->SetItemIndex(2);
        const QString caption = d.Caption();
        const QString position = d.PositionText();
        const int refreshes = d.window->RefreshCount();
        d.Open(cancel ? std::nullopt : std::optional<QByteArray>(dir.File("notes.txt")));
        QCOMPARE(d.services.pickerPrompts.size(), 2);
        QCOMPARE(d.window->FolderPath, dir.Path());
        QCOMPARE(d.ListNames().size(), 3);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 2);
        QCOMPARE(d.Caption(), caption);
        QCOMPARE(d.PositionText(), position);
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    void reopeningListsNamesAnew()
    {
        FixtureFolder dir;
        FillThree(dir);
        WindowDriver d;
        d.Open(dir.Path());
        QVERIFY(QFile::rename(QFile::decodeName(dir.File("notes.txt")), QFile::decodeName(dir.File("trip.TXT"))));
        dir.AddFile("zzz.jpg");
        d.Open(dir.Path());
        const QStringList expected{"album", "IMG_0001.jpg", "trip.TXT", "zzz.jpg"};
        QCOMPARE(d.ListNames(), expected);
        QCOMPARE(CurrentNames(*d.window), expected);
        QCOMPARE(d.PositionText(), QString("[選択]1/[合計]4"));
    }

    void openingAnotherFolderResetsUpDown()
    {
        FixtureFolder first, second;
        for (int i = 1; i <= 8; ++i) {
            first.AddFile("a" + QByteArray::number(i));
            second.AddFile("b" + QByteArray::number(i));
        }
        WindowDriver d;
        d.Open(first.Path());
        for (int i = 0; i < 5; ++i)
            d.window->SelectNext();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 5);
        QCOMPARE(d.window->UpDown1->Position(), qint16(5));
        d.Open(second.Path());
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 0);
        QCOMPARE(d.window->UpDown1->Position(), qint16(0));
        const int refreshes = d.window->RefreshCount();
        d.window->SelectNext();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(d.window->RefreshCount(), refreshes + 1);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]8"));
    }

    // The shell failing part-way: the listing keeps what it read, leaves no selection, and
    // the caption, the position text, the up-down and the display stay as they were.
    void shellFailure_data()
    {
        QTest::addColumn<int>("failAt"); // -1: NameSpace itself fails
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("namespace") << -1 << QStringList{};
        QTest::newRow("before the first item") << 0 << QStringList{};
        QTest::newRow("after the second item") << 2 << QStringList{"b1", "b2"};
    }
    void shellFailure()
    {
        QFETCH(int, failAt);
        QFETCH(QStringList, listed);
        FixtureFolder first, second;
        for (const char* name : {"a1", "a2", "a3", "a4"})
            first.AddFile(name);
        for (const char* name : {"b1", "b2", "b3"})
            second.AddFile(name);
        WindowDriver d;
        d.Open(first.Path());
        d.window->SelectNext();
        const QString caption = d.Caption();
        const int refreshes = d.window->RefreshCount();

        d.services.shellFactory = [failAt] {
            return failAt < 0 ? MakeShellFailingNameSpace() : MakeShellFailingAtItem(failAt);
        };
        d.Open(second.Path());
        QCOMPARE(d.services.errorReports.size(), 1);
        QCOMPARE(d.window->FolderPath, second.Path());
        QCOMPARE(d.ListNames(), listed);
        QCOMPARE(CurrentNames(*d.window), listed);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), -1);
        QCOMPARE(d.Caption(), caption);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]4"));
        QCOMPARE(d.window->UpDown1->Position(), qint16(1));
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QCOMPARE(d.window->Edit1->text(), QString("a2"));
    }

    void cp932NameIsShownReadably()
    {
        FixtureFolder dir;
        const QByteArray cp932("\x8e\xca\x90\x5e.jpg", 8); // 写真.jpg
        dir.AddFile(cp932);
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.ListNames(), QStringList{"写真.jpg"});
        QCOMPARE(d.window->CurrentNames->Strings(0), cp932);
        QCOMPARE(d.window->ComboBox1->ItemBytes(0), cp932);
        QCOMPARE(d.window->Edit1->text(), QString("写真"));
    }

    void f1OpensThePicker()
    {
        FixtureFolder dir;
        FillThree(dir);
        WindowDriver d;
        d.services.pickerAnswers.push_back(dir.Path());
        d.Key(Qt::Key_F1);
        QCOMPARE(d.services.pickerPrompts.size(), 1);
        QCOMPARE(d.ListNames().size(), 3);
    }

    void closingBeforeAnyFolder()
    {
        WindowDriver d;
        QVERIFY(d.window->close());
        QVERIFY(!d.window->CurrentNames);
        QVERIFY(d.services.errorReports.isEmpty());
    }
};

PORTEO_TEST_MAIN(TestOpening)
#include "test_opening.moc"
