#include "Fixtures.h"
#include "platform/Exception.h"
#include "shell/Shell.h"

#include <QtTest>
#include <unistd.h>

namespace {
QList<QByteArray> NamesOf(const TFolderItems& items)
{
    QList<QByteArray> names;
    for (int i = 0; i < items.Count(); ++i)
        names << items.Item(i).Name();
    return names;
}
} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void order_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QList<QByteArray>>("folders");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("numbers as numbers")
            << QList<QByteArray>{"img10.jpg", "img2.jpg", "img1.jpg"} << QList<QByteArray>{}
            << QList<QByteArray>{"img1.jpg", "img2.jpg", "img10.jpg"};
        QTest::newRow("case ignored, ties by bytes")
            << QList<QByteArray>{"b.jpg", "A.jpg", "a.jpg"} << QList<QByteArray>{}
            << QList<QByteArray>{"A.jpg", "a.jpg", "b.jpg"};
        QTest::newRow("folders first, dot-files listed")
            << QList<QByteArray>{"z.jpg", ".hidden", "a.txt"} << QList<QByteArray>{"zz", "sub"}
            << QList<QByteArray>{"sub", "zz", ".hidden", "a.txt", "z.jpg"};
        QTest::newRow("empty") << QList<QByteArray>{} << QList<QByteArray>{} << QList<QByteArray>{};
    }
    void order()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QList<QByteArray>, folders);
        QFETCH(QList<QByteArray>, expected);
        FixtureFolder dir;
        for (const auto& f : files)
            dir.AddFile(f, "x");
        for (const auto& f : folders)
            dir.AddFolder(f);
        TShellApplication shell;
        auto folder = shell.NameSpace(dir.Path());
        auto items = folder->Items();
        QCOMPARE(items->Count(), expected.size());
        QCOMPARE(NamesOf(*items), expected);
    }

    void namesAreBytes()
    {
        // A name written by an older Japanese system: CP932 bytes for "写真.jpg".
        const QByteArray cp932("\x8e\xca\x90\x5e.jpg", 8);
        FixtureFolder dir;
        dir.AddFile(cp932, "content");
        TShellApplication shell;
        auto items = shell.NameSpace(dir.Path())->Items();
        QCOMPARE(items->Count(), 1);
        const TFolderItem item = items->Item(0);
        QCOMPARE(item.Name(), cp932);
        QCOMPARE(item.Path(), dir.Path() + '/' + cp932);
        QCOMPARE(::access(item.Path().constData(), F_OK), 0);
    }

    void itemsIsASnapshot()
    {
        FixtureFolder dir;
        dir.AddFile("a.jpg");
        TShellApplication shell;
        auto folder = shell.NameSpace(dir.Path());
        auto items = folder->Items();
        dir.AddFile("b.jpg");
        QCOMPARE(items->Count(), 1);
        QCOMPARE(folder->Items()->Count(), 2);
    }

    // Every Items() reads the directory anew: whatever changed on disk since the last listing
    // shows in the next one, in its natural place, also where the count stays the same.
    void listingFollowsTheDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("unchanged") << "none" << QList<QByteArray>{"img1.jpg", "img2.jpg", "img10.jpg"};
        QTest::newRow("file added") << "add" << QList<QByteArray>{"img1.jpg", "img2.jpg", "img3.jpg", "img10.jpg"};
        QTest::newRow("file removed") << "remove" << QList<QByteArray>{"img1.jpg", "img10.jpg"};
        QTest::newRow("file renamed") << "rename" << QList<QByteArray>{"img0.jpg", "img1.jpg", "img10.jpg"};
        QTest::newRow("file turned folder")
            << "folder" << QList<QByteArray>{"img2.jpg", "img1.jpg", "img10.jpg"};
    }
    void listingFollowsTheDisk()
    {
        QFETCH(QString, change);
        QFETCH(QList<QByteArray>, expected);
        FixtureFolder dir;
        for (const char* name : {"img10.jpg", "img2.jpg", "img1.jpg"})
            dir.AddFile(name);
        TShellApplication shell;
        auto folder = shell.NameSpace(dir.Path());
        const auto before = folder->Items();
        QCOMPARE(NamesOf(*before), (QList<QByteArray>{"img1.jpg", "img2.jpg", "img10.jpg"}));
        if (change == "add")
            dir.AddFile("img3.jpg");
        else if (change == "remove")
            QCOMPARE(::unlink(dir.File("img2.jpg").constData()), 0);
        else if (change == "rename")
            QCOMPARE(::rename(dir.File("img2.jpg").constData(), dir.File("img0.jpg").constData()), 0);
        else if (change == "folder") {
            QCOMPARE(::unlink(dir.File("img2.jpg").constData()), 0);
            dir.AddFolder("img2.jpg");
        }
        const auto after = folder->Items();
        QCOMPARE(NamesOf(*after), expected);
        // The lookup answers from the new snapshot: each name where it now stands, a gone name
        // nowhere.
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(FindShellItem(*after, after->Count(), expected[i]).Name(), expected[i]);
        if (change == "remove" || change == "rename")
            QVERIFY(FindShellItem(*after, after->Count(), "img2.jpg").IsEmpty());
        // The earlier snapshot is untouched.
        QCOMPARE(NamesOf(*before), (QList<QByteArray>{"img1.jpg", "img2.jpg", "img10.jpg"}));
    }

    // Snapshots of an unchanged folder share their order, never their details: each reads its
    // items as they are when it asks.
    void detailsAreReadPerSnapshot()
    {
        FixtureFolder dir;
        dir.AddFile("a.txt", QByteArray(100, 'x'));
        TShellApplication shell;
        auto folder = shell.NameSpace(dir.Path());
        const auto first = folder->Items();
        QCOMPARE(folder->GetDetailsOf(first->Item(0), 1), QString("1 KB"));
        dir.AddFile("a.txt", QByteArray(5000, 'x'));
        QCOMPARE(folder->GetDetailsOf(first->Item(0), 1), QString("1 KB")); // read once for that snapshot
        const auto second = folder->Items();
        QCOMPARE(folder->GetDetailsOf(second->Item(0), 1), QString("5 KB"));
    }

    void missingFolderIsNamed()
    {
        FixtureFolder dir;
        const QByteArray gone = dir.File("gone");
        TShellApplication shell;
        try {
            shell.NameSpace(gone);
            QFAIL("NameSpace of a missing folder succeeded");
        } catch (const Exception& e) {
            QVERIFY2(e.Message().contains(QString::fromUtf8(gone)), qPrintable(e.Message()));
        }
        dir.AddFile("file");
        QVERIFY_THROWS_EXCEPTION(Exception, shell.NameSpace(dir.File("file")));
    }

    void findShellItem_data()
    {
        QTest::addColumn<QByteArray>("wanted");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("found"); // empty: nothing found
        QTest::newRow("match") << QByteArray("b.jpg") << 3 << QByteArray("b.jpg");
        QTest::newRow("case matters") << QByteArray("B.JPG") << 3 << QByteArray();
        QTest::newRow("no match yields nothing") << QByteArray("gone.jpg") << 3 << QByteArray();
        QTest::newRow("beyond count") << QByteArray("c.jpg") << 2 << QByteArray();
        QTest::newRow("count 0") << QByteArray("a.jpg") << 0 << QByteArray();
    }
    void findShellItem()
    {
        QFETCH(QByteArray, wanted);
        QFETCH(int, count);
        QFETCH(QByteArray, found);
        FixtureFolder dir;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            dir.AddFile(name);
        TShellApplication shell;
        auto items = shell.NameSpace(dir.Path())->Items();
        const TFolderItem item = FindShellItem(*items, count, wanted);
        QCOMPARE(item.IsEmpty(), found.isEmpty());
        if (!found.isEmpty())
            QCOMPARE(item.Name(), found);
        else
            QVERIFY_THROWS_EXCEPTION(Exception, item.Name());
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "test_shell.moc"
