// Hostile input at the edges, through the window: a folder that vanishes while it is open, folders
// and photos the user may not read, JPEGs promising enormous pictures, an empty photo, a big file
// named like a photo that is none, names of 255 bytes, symbolic links of every kind, a FIFO. Each
// gives the described result or a clear error, and the window goes on: never a crash or a hang.

#include "WindowDriver.h"

#include "Fixtures.h"
#include "display/NameRules.h"
#include "platform/Exception.h"
#include "platform/NarrowText.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"
#include "platform/TUpDown.h"
#include "shell/Shell.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString CannotOpenFile(const QByteArray& path)
{
    return QStringLiteral("ファイル %1 は開けません.").arg(DisplayText(path));
}

QString CannotOpenFolder(const QByteArray& path)
{
    return QStringLiteral("フォルダ %1 を開けません.").arg(DisplayText(path));
}

// A pick of the list's item of that name.
void Pick(WindowDriver& d, const QByteArray& name)
{
    for (int i = 0; i < d.window->ComboBox1->Items(); ++i)
        if (d.window->ComboBox1->ItemBytes(i) == name) {
            d.ChooseInList(i);
            return;
        }
    QFAIL("no such item in the list");
}

QStringList MemoLines(WindowDriver& d)
{
    const QString text = d.window->Memo2->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

// File-system checks of this thread as an unprivileged user while it lives: as root (as CI runs)
// permissions do not hold, so the file-system user id is set to nobody's, which also drops the
// capabilities that override them. Not root: nothing to do.
class Unprivileged {
public:
    Unprivileged()
    {
        if (::geteuid() != 0)
            return;
        ::setfsgid(65534);
        ::setfsuid(65534);
        active_ = ::setfsuid(uid_t(-1)) == 65534;
    }
    ~Unprivileged()
    {
        if (::geteuid() != 0)
            return;
        ::setfsuid(0);
        ::setfsgid(0);
    }
    bool Works() const { return ::geteuid() != 0 || active_; }

private:
    bool active_ = false;
};

// A shell whose folders cannot be listed, as opendir() fails for a folder without read permission.
class UnreadableShell : public TShellApplication {
    class Folder : public TShellFolder {
    public:
        using TShellFolder::TShellFolder;
        std::shared_ptr<TFolderItems> Items() override
        {
            throw Exception(QStringLiteral("フォルダ %1 を開けません").arg(DisplayText(FolderPath())));
        }
    };

public:
    explicit UnreadableShell(QByteArray unreadable) : unreadable_(std::move(unreadable)) {}
    std::unique_ptr<TShellFolder> NameSpace(const QByteArray& path) override
    {
        if (path != unreadable_)
            return TShellApplication::NameSpace(path);
        TShellApplication::NameSpace(path); // the real checks first
        return std::make_unique<Folder>(path);
    }

private:
    QByteArray unreadable_;
};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

private slots:
    // One hostile item beside a sound photo, picked in the list: the frame shows it or stays
    // empty, the error (if any) is reported once, the details panel describes the item, and the
    // window goes on to the next item and back.
    void hostileItems_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("report"); // "%1" stands for the item's path
        const QString open = QStringLiteral("ファイル %1 は開けません.");
        const QString tooLarge = QStringLiteral("ファイル %1 は大きすぎて表示できません.");
        QTest::newRow("0 bytes") << QByteArray("empty") << QByteArray("e.jpg") << false << "JPEG エラー #41.";
        // libjpeg refuses dimensions above 65500.
        QTest::newRow("65535 x 65535") << QByteArray("65535x65535") << QByteArray("huge.jpg") << false << "JPEG エラー #40.";
        // libjpeg takes it; its bitmap (12 GB) is refused before anything is allocated.
        QTest::newRow("65500 x 65500") << QByteArray("65500x65500") << QByteArray("huge.jpg") << false << tooLarge;
        // A sliver: its fitted box is 0 pixels high.
        QTest::newRow("65500 x 8") << QByteArray("65500x8") << QByteArray("wide.jpg") << true << QString();
        QTest::newRow("8 x 65500") << QByteArray("8x65500") << QByteArray("tall.jpg") << true << QString();
        // Refused from its first 64 KiB. (A file that begins like a JPEG, FF D8, is read whole, as
        // every photo is, up to the 1 GiB limit: 200 MB of zeros after an SOI cost one read of
        // 200 MB before the decoder finds no image in them.)
        QTest::newRow("200 MB, not a photo") << QByteArray("sparse") << QByteArray("big.jpg") << false << "JPEG エラー #52.";
        QTest::newRow("FIFO named like a photo") << QByteArray("fifo") << QByteArray("pipe.jpg") << false << open;
        QTest::newRow("folder named like a photo") << QByteArray("folder") << QByteArray("d.jpg") << false << open;
        QTest::newRow("link to a photo") << QByteArray("link") << QByteArray("link.jpg") << true << QString();
        QTest::newRow("link to a folder") << QByteArray("link to folder") << QByteArray("sub.jpg") << false << open;
        QTest::newRow("dangling link") << QByteArray("dangling") << QByteArray("gone.jpg") << false << open;
        QTest::newRow("link loop") << QByteArray("loop") << QByteArray("loop.jpg") << false << open;
        QTest::newRow("link to its own folder") << QByteArray("self") << QByteArray("self") << false << QString();
        QTest::newRow("name of 255 bytes") << QByteArray("photo") << QByteArray(251, 'n') + ".jpg" << true << QString();
        // 表 is 95 5C in CP932: 125 of them hold 125 bytes that read as '\' elsewhere.
        QTest::newRow("CP932 name of 255 bytes") << QByteArray("photo") << QByteArray("\x95\x5c").repeated(125) + "a.JPG"
                                                 << true << QString();
    }
    void hostileItems()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, name);
        QFETCH(bool, picture);
        QFETCH(QString, report);
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.width = 40, .height = 30});
        dir.AddJpeg("z.jpg", {.width = 40, .height = 30});
        const QByteArray path = dir.File(name);
        const QByteArray jpeg = EncodeJpeg({.width = 16, .height = 16});
        if (kind == "empty") {
            dir.AddFile(name);
        } else if (kind == "65535x65535") {
            dir.AddFile(name, WithFrameSize(jpeg, 65535, 65535));
        } else if (kind == "65500x65500") {
            dir.AddFile(name, WithFrameSize(jpeg, 65500, 65500));
        } else if (kind == "65500x8") {
            dir.AddFile(name, WithFrameSize(EncodeJpeg({.width = 16, .height = 8}), 65500, 8));
        } else if (kind == "8x65500") {
            dir.AddFile(name, WithFrameSize(EncodeJpeg({.width = 8, .height = 16}), 8, 65500));
        } else if (kind == "sparse") {
            dir.AddFile(name);
            QCOMPARE(::truncate(path.constData(), 200 * 1024 * 1024), 0);
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        } else if (kind == "folder") {
            dir.AddFolder(name);
        } else if (kind == "link") {
            QCOMPARE(::symlink("a.jpg", path.constData()), 0);
        } else if (kind == "link to folder") {
            dir.AddFolder("sub");
            QCOMPARE(::symlink("sub", path.constData()), 0);
        } else if (kind == "dangling") {
            QCOMPARE(::symlink("missing.jpg", path.constData()), 0);
        } else if (kind == "loop") {
            QCOMPARE(::symlink("loop.jpg", path.constData()), 0);
        } else if (kind == "self") {
            QCOMPARE(::symlink(".", path.constData()), 0);
        } else {
            dir.AddFile(name, jpeg);
        }

        WindowDriver d;
        d.Open(dir.Path());
        Pick(d, "z.jpg");
        d.services.errorReports.clear();
        const qint64 readBefore = BytesReadByProcess();
        Pick(d, name);
        const qint64 read = BytesReadByProcess() - readBefore;
        if (report.contains(QLatin1String("%1")))
            report = report.arg(DisplayText(path));
        QCOMPARE(d.services.errorReports, report.isEmpty() ? QStringList() : QStringList{report});
        QCOMPARE(d.window->Image1->Picture() != nullptr, picture);
        QCOMPARE(d.window->Edit1->text(), DisplayText(NameWithoutExtension(name)));
        QCOMPARE(MemoLines(d).size(), 20);
        if (kind == "sparse") {
            // The photo's head and the details' look at the file, not 200 MB.
            QVERIFY2(read < 4 * 1024 * 1024, qPrintable(QString::number(read)));
        }
        if (picture) {
            d.window->Image1->FinishDecodeNow();
            QVERIFY(d.window->Image1->Picture()->Finished());
            QCOMPARE(d.services.errorReports, QStringList());
        }
        const int index = d.window->ComboBox1->ItemIndex();
        QCOMPARE(d.PositionText(), QStringLiteral("[選択]%1/[合計]%2").arg(index + 1).arg(d.window->ComboBox1->Items()));

        // The window goes on, past the item and back to it, also by the slideshow.
        const bool last = index == d.window->ComboBox1->Items() - 1;
        d.Key(last ? Qt::Key_F3 : Qt::Key_F4);
        d.Key(last ? Qt::Key_F4 : Qt::Key_F3);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), index);
        for (int i = 0; i < d.window->ComboBox1->Items(); ++i)
            d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), index);
        QTRY_COMPARE(d.window->Image1->Picture() != nullptr, picture);
    }

    // Renaming items of 255-byte names, and to names of 255 and 256 bytes: the longest name
    // moves, a longer one is refused by the system and nothing changes.
    void longNames()
    {
        FixtureFolder dir;
        const QByteArray longest = QByteArray(251, 'n') + ".jpg";
        dir.AddJpeg(longest);
        dir.AddJpeg("short.jpg");
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.window->ComboBox1->ItemBytes(0), longest);

        d.window->Edit2->setText(QString(252, QLatin1Char('m'))); // 256 bytes with ".JPG"
        d.Key(Qt::Key_F5);
        QCOMPARE(d.services.messages.size(), 1);
        QVERIFY2(d.services.messages[0].startsWith(QStringLiteral("ファイル名を変更できませんでした。\n")),
                 qPrintable(d.services.messages[0]));
        QVERIFY(QFile::exists(QString::fromUtf8(dir.File(longest))));
        QCOMPARE(d.window->CurrentNames->Strings(0), longest);

        d.window->Edit2->setText(QStringLiteral("a"));
        d.Key(Qt::Key_F5);
        QCOMPARE(d.window->CurrentNames->Strings(0), QByteArray("a.JPG"));
        QVERIFY(QFile::exists(QString::fromUtf8(dir.File("a.JPG"))));

        d.Key(Qt::Key_F4);
        d.window->Edit2->setText(QString(251, QLatin1Char('m'))); // 255 bytes with ".JPG"
        d.Key(Qt::Key_F5);
        QCOMPARE(d.services.messages.size(), 1);
        QCOMPARE(d.window->CurrentNames->Strings(1), QByteArray(251, 'm') + ".JPG");
        QVERIFY(QFile::exists(QString::fromUtf8(dir.File(QByteArray(251, 'm') + ".JPG"))));
        d.Key(Qt::Key_F3);
        d.Key(Qt::Key_F4);
        QCOMPARE(d.window->Edit1->text(), QString(251, QLatin1Char('m')));
        QVERIFY(d.window->Image1->Picture());
    }

    // A link renamed is the link moved: what it points to stays where it was, untouched.
    void renamingALinkMovesTheLink()
    {
        FixtureFolder dir;
        dir.AddJpeg("photo.jpg");
        const QByteArray content = EncodeJpeg({});
        QCOMPARE(::symlink("photo.jpg", dir.File("link.jpg").constData()), 0);
        WindowDriver d;
        d.Open(dir.Path());
        Pick(d, "link.jpg");
        d.window->Edit2->setText(QStringLiteral("renamed"));
        d.Key(Qt::Key_F5);
        QCOMPARE(d.services.messages, QStringList());
        struct stat st {};
        QCOMPARE(::lstat(dir.File("renamed.JPG").constData(), &st), 0);
        QVERIFY(S_ISLNK(st.st_mode));
        QFile photo(QString::fromUtf8(dir.File("photo.jpg")));
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QCOMPARE(photo.readAll(), content);
        QVERIFY(!QFile::exists(QString::fromUtf8(dir.File("link.jpg"))));
    }

    // An item's file renamed behind the program's back leaves its name free on disk, but the
    // item still holds it: another item may not take it, or renaming the first item later would
    // move the second one's file under a third name.
    void twoItemsNeverNameOneFile()
    {
        FixtureFolder dir;
        dir.AddJpeg("a.jpg", {.seed = 1});
        dir.AddJpeg("b.jpg", {.seed = 2});
        WindowDriver d;
        d.Open(dir.Path());
        d.window->Edit2->setText(QStringLiteral("trip"));
        d.Key(Qt::Key_F5); // a.jpg -> trip.JPG
        QCOMPARE(::rename(dir.File("trip.JPG").constData(), dir.File("elsewhere.jpg").constData()), 0);
        d.Key(Qt::Key_F4);
        d.window->Edit2->setText(QStringLiteral("trip"));
        d.Key(Qt::Key_F5); // b.jpg -> trip.JPG, the name item 1 holds
        QCOMPARE(d.services.messages, QStringList{QStringLiteral("ファイル名が重複しています。")});
        QCOMPARE(d.window->CurrentNames->Strings(1), QByteArray("b.jpg"));
        QVERIFY(QFile::exists(QString::fromUtf8(dir.File("b.jpg"))));
        QCOMPARE(d.window->Edit2->text(), QStringLiteral("trip"));
    }

    // The open folder is taken away. Each refresh then fails with the folder's name, as the
    // description has it: the selection has moved, the display and the position text stay as
    // they were. A rename fails and says so; nothing is lost. Once the folder is back, the
    // window follows the selection again.
    void folderVanishesWhileOpen_data()
    {
        QTest::addColumn<bool>("replacedByFile");
        QTest::newRow("removed") << false;
        QTest::newRow("replaced by a file") << true;
    }
    void folderVanishesWhileOpen()
    {
        QFETCH(bool, replacedByFile);
        FixtureFolder root;
        root.AddFolder("photos");
        const QByteArray folder = root.File("photos");
        const QByteArray held = root.File("held");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            WriteBytes(folder + '/' + name, EncodeJpeg({}));
        WindowDriver d;
        d.Open(folder);
        QCOMPARE(::rename(folder.constData(), held.constData()), 0);
        if (replacedByFile)
            WriteBytes(folder, "a file now");

        d.Key(Qt::Key_F4);
        QCOMPARE(d.services.errorReports, QStringList{CannotOpenFolder(folder)});
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(d.PositionText(), QStringLiteral("[選択]1/[合計]3"));
        QCOMPARE(d.window->Edit1->text(), QStringLiteral("a"));
        QVERIFY(d.window->Image1->Picture());

        d.Tick();
        QCOMPARE(d.services.errorReports.size(), 2);
        d.window->Edit2->setText(QStringLiteral("x"));
        d.Key(Qt::Key_F5);
        QCOMPARE(d.services.messages.size(), 1);
        QVERIFY(d.services.messages[0].startsWith(QStringLiteral("ファイル名を変更できませんでした。\n")));
        QCOMPARE(d.window->CurrentNames->Strings(2), QByteArray("c.jpg"));
        d.Open(folder); // a pick of the vanished folder: not a folder, nothing happens
        QCOMPARE(d.Caption(), QStringLiteral("ぽるてお[") + DisplayText(folder) + ']');
        QCOMPARE(d.window->ComboBox1->Items(), 3);

        if (replacedByFile)
            QCOMPARE(::unlink(folder.constData()), 0);
        QCOMPARE(::rename(held.constData(), folder.constData()), 0);
        d.Key(Qt::Key_F3);
        QCOMPARE(d.services.errorReports.size(), 2);
        QCOMPARE(d.window->Edit1->text(), QStringLiteral("b"));
        QCOMPARE(d.PositionText(), QStringLiteral("[選択]2/[合計]3"));
        QVERIFY(QFile::exists(QString::fromUtf8(folder + "/c.jpg")));
    }

    // A folder the user may not list: the opening ends with the folder's name in the error
    // report; the new folder path is kept with empty lists and no selection, while the caption,
    // the position text and the display still show the folder opened before. The keys and the
    // slideshow then do nothing. Once as the system refuses it (as root by taking the rights of
    // nobody), once by a shell that refuses it.
    void unreadableFolder_data()
    {
        QTest::addColumn<bool>("bySeam");
        QTest::newRow("no read permission") << false;
        QTest::newRow("listing refused by the shell") << true;
    }
    void unreadableFolder()
    {
        QFETCH(bool, bySeam);
        FixtureFolder root;
        QCOMPARE(::chmod(root.Path().constData(), 0755), 0);
        root.AddFolder("open");
        root.AddFolder("closed");
        WriteBytes(root.File("open/a.jpg"), EncodeJpeg({}));
        WriteBytes(root.File("closed/b.jpg"), EncodeJpeg({}));
        const QByteArray closed = root.File("closed");
        QCOMPARE(::chmod(closed.constData(), bySeam ? 0755 : 0311), 0); // search, but no listing
        WindowDriver d;
        if (bySeam)
            d.services.shellFactory = [closed] { return std::make_unique<UnreadableShell>(closed); };
        d.Open(root.File("open"));
        d.services.errorReports.clear();
        {
            std::optional<Unprivileged> nobody;
            if (!bySeam) {
                nobody.emplace();
                if (!nobody->Works())
                    QSKIP("cannot take the rights of an unprivileged user");
            }
            d.Open(closed);
            QCOMPARE(d.services.errorReports, QStringList{CannotOpenFolder(closed)});
            QCOMPARE(d.window->FolderPath, closed);
            QCOMPARE(d.window->ComboBox1->Items(), 0);
            QCOMPARE(d.window->CurrentNames->Count(), 0);
            QCOMPARE(d.window->ComboBox1->ItemIndex(), -1);
            QCOMPARE(d.Caption(), QStringLiteral("ぽるてお[") + DisplayText(root.File("open")) + ']');
            QCOMPARE(d.PositionText(), QStringLiteral("[選択]1/[合計]1"));
            QCOMPARE(d.window->Edit1->text(), QStringLiteral("a"));
            QVERIFY(d.window->Image1->Picture());

            const int refreshes = d.window->RefreshCount();
            d.Key(Qt::Key_F4);
            d.Key(Qt::Key_F3);
            d.window->Edit2->setText(QStringLiteral("x"));
            d.Key(Qt::Key_F5);
            d.Tick();
            QTest::mouseClick(d.window->UpDown1->RightButton(), Qt::LeftButton);
            QCOMPARE(d.window->RefreshCount(), refreshes);
            QCOMPARE(d.services.messages, QStringList());
            QCOMPARE(d.services.errorReports.size(), 1);
        }
        QVERIFY(QFile::exists(QString::fromUtf8(closed + "/b.jpg")));
    }

    // A folder that may be listed but not searched (r-- without x), and a photo without read
    // permission: both list; their photos cannot be opened and say so.
    void unreadablePhotos_data()
    {
        QTest::addColumn<mode_t>("folderMode");
        QTest::addColumn<mode_t>("photoMode");
        QTest::newRow("folder listable, not searchable") << mode_t(0644) << mode_t(0644);
        QTest::newRow("photo without read permission") << mode_t(0755) << mode_t(0200);
    }
    void unreadablePhotos()
    {
        QFETCH(mode_t, folderMode);
        QFETCH(mode_t, photoMode);
        FixtureFolder root;
        QCOMPARE(::chmod(root.Path().constData(), 0755), 0);
        root.AddFolder("f");
        const QByteArray photo = root.File("f/a.jpg");
        WriteBytes(photo, EncodeJpeg({}));
        QCOMPARE(::chmod(photo.constData(), photoMode), 0);
        QCOMPARE(::chmod(root.File("f").constData(), folderMode), 0);
        WindowDriver d;
        {
            Unprivileged nobody;
            if (!nobody.Works())
                QSKIP("cannot take the rights of an unprivileged user");
            d.Open(root.File("f"));
            QCOMPARE(d.ListNames(), QStringList{"a.jpg"});
            QCOMPARE(d.services.errorReports, QStringList{CannotOpenFile(photo)});
            QVERIFY(!d.window->Image1->Picture());
            QCOMPARE(MemoLines(d).size(), 20);
            QCOMPARE(d.PositionText(), QStringLiteral("[選択]1/[合計]1"));
        }
        QCOMPARE(::chmod(root.File("f").constData(), 0755), 0);
        QVERIFY(QFile::exists(QString::fromUtf8(photo)));
    }

    // The folder itself reached through a link: it lists and renames in the folder linked to.
    void folderThroughALink()
    {
        FixtureFolder root;
        root.AddFolder("real");
        WriteBytes(root.File("real/a.jpg"), EncodeJpeg({}));
        QCOMPARE(::symlink("real", root.File("link").constData()), 0);
        WindowDriver d;
        d.Open(root.File("link"));
        QCOMPARE(d.ListNames(), QStringList{"a.jpg"});
        QVERIFY(d.window->Image1->Picture());
        d.window->Edit2->setText(QStringLiteral("b"));
        d.Key(Qt::Key_F5);
        QVERIFY(QFile::exists(QString::fromUtf8(root.File("real/b.JPG"))));
        QVERIFY(!QFile::exists(QString::fromUtf8(root.File("real/a.jpg"))));
    }
};

PORTEO_TEST_MAIN(TestHostile)
#include "test_hostile.moc"
