// Renaming the selected file through the real window: typed into "変更後ファイル名", started by the
// button or F5, checked on the disk afterwards.

#include "Fixtures.h"
#include "WindowDriver.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <cerrno>

// A real photo whose bytes differ by tag, so that the refresh shows it without a report and the
// folder's content tells each file apart.
static QByteArray Photo(const QByteArray& tag)
{
    return EncodeJpeg({.width = 16, .height = 12, .seed = unsigned(qHash(tag))});
}
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

const QString kDuplicate = QStringLiteral("ファイル名が重複しています。");
const QString kBlank = QStringLiteral("名前が空白です。");
const QString kBadCharacter = QStringLiteral("ファイル名に使えない文字が含まれています。");

QString MoveFailed(int error)
{
    return QStringLiteral("ファイル名を変更できませんでした。") + "\n" + QString::fromLocal8Bit(std::strerror(error));
}

// Everything in a folder, by name (bytes): a file's bytes, or "<folder>" for a sub-folder.
QMap<QByteArray, QByteArray> Content(const QByteArray& folder)
{
    QMap<QByteArray, QByteArray> content;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return content;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            content.insert(name, "<folder>");
            continue;
        }
        QFile file(QFile::decodeName(path));
        content.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    ::closedir(dir);
    return content;
}

// The window made active, as under the user's hand: the focus is then in "変更後ファイル名".
void Activate(WindowDriver& d)
{
    d.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.window->Edit2));
}

// Types into "変更後ファイル名" and starts the rename with the button or with F5.
void Rename(WindowDriver& d, const QString& typed, bool byKey)
{
    d.window->Edit2->clear();
    QTest::keyClicks(d.window->Edit2, typed);
    QCOMPARE(d.window->Edit2->text(), typed);
    if (byKey)
        d.Key(Qt::Key_F5);
    else
        QTest::mouseClick(d.window->BitBtn1, Qt::LeftButton);
}

// Selects the item named `name` with F4 from the first item.
void SelectByKeys(WindowDriver& d, const QString& name)
{
    for (int i = 0; i < d.window->ComboBox1->count() && d.window->ComboBox1->currentText() != name; ++i)
        d.Key(Qt::Key_F4);
    QCOMPARE(d.window->ComboBox1->currentText(), name);
}

// What a rename that is refused or fails must leave as it was.
struct Kept {
    QString edit1;
    QByteArray currentName;
    QString shownName;
    int refreshes;

    static Kept Of(const WindowDriver& d)
    {
        const TFMainMenu& w = *d.window;
        const int selection = w.ComboBox1->ItemIndex();
        return {w.Edit1->text(), w.CurrentNames->Strings(selection), w.ComboBox1->currentText(), w.RefreshCount()};
    }
    void Check(const WindowDriver& d) const
    {
        const Kept now = Of(d);
        QCOMPARE(now.edit1, edit1);
        QCOMPARE(now.currentName, currentName);
        QCOMPARE(now.shownName, shownName);
        QCOMPARE(now.refreshes, refreshes);
    }
};

// The details panel without its access time (reading a photo may move that on).
QString WithoutAccessTime(const QString& details)
{
    QStringList lines = details.split('\n');
    lines.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("[アクセス日時")); });
    return lines.join('\n');
}

} // namespace

class TestRename : public QObject {
    Q_OBJECT
private slots:
    // The new name keeps the opening name's extension, upper-cased; the typed name is taken as
    // it stands, blanks too.
    void newNames_data()
    {
        QTest::addColumn<QByteArray>("opening");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("renamed");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("IMG_0001.jpg, button") << QByteArray("IMG_0001.jpg") << "trip" << QByteArray("trip.JPG") << false;
        QTest::newRow("IMG_0001.jpg, F5") << QByteArray("IMG_0001.jpg") << "trip" << QByteArray("trip.JPG") << true;
        QTest::newRow("photo.Jpeg") << QByteArray("photo.Jpeg") << "trip" << QByteArray("trip.JPEG") << true;
        QTest::newRow("a.b.jpg") << QByteArray("a.b.jpg") << "trip" << QByteArray("trip.JPG") << false;
        QTest::newRow("notes") << QByteArray("notes") << "trip" << QByteArray("trip") << true;
        QTest::newRow(".jpg") << QByteArray(".jpg") << "trip" << QByteArray("trip.JPG") << false;
        QTest::newRow("two blanks") << QByteArray("IMG_0001.jpg") << "  " << QByteArray("  .JPG") << true;
        QTest::newRow("blanks around") << QByteArray("IMG_0001.jpg") << " trip " << QByteArray(" trip .JPG") << false;
    }
    void newNames()
    {
        QFETCH(QByteArray, opening);
        QFETCH(QString, typed);
        QFETCH(QByteArray, renamed);
        QFETCH(bool, byKey);
        FixtureFolder dir;
        dir.AddFile(opening, Photo("photo bytes"));
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        Rename(d, typed, byKey);

        QCOMPARE(d.services.messages, QStringList{});
        QCOMPARE(d.services.errorReports, QStringList{});
        QCOMPARE(Content(dir.Path()), (QMap<QByteArray, QByteArray>{{renamed, Photo("photo bytes")}}));
        QCOMPARE(d.window->Edit1->text(), typed);
        QCOMPARE(d.window->Edit2->text(), QString());
        QCOMPARE(d.window->CurrentNames->Strings(0), renamed);
        QCOMPARE(d.ListNames(), QStringList{QString::fromUtf8(opening)});
        QCOMPARE(d.window->FolderPath, dir.Path());
    }

    // Refused renames: the message, and nothing moved or changed; Edit2 keeps what was typed.
    // The duplicate test comes first, so an empty name meets a file named by the bare extension.
    void refusals_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QList<QByteArray> photoAndJpg{"IMG_0001.jpg", ".JPG"};
        QTest::newRow("empty, .JPG present") << photoAndJpg << "IMG_0001.jpg" << "" << kDuplicate;
        QTest::newRow("empty") << QList<QByteArray>{"IMG_0001.jpg"} << "IMG_0001.jpg" << "" << kBlank;
        QTest::newRow("its own name") << QList<QByteArray>{"IMG_0001.JPG"} << "IMG_0001.JPG" << "IMG_0001" << kDuplicate;
        QTest::newRow("another file's name")
            << QList<QByteArray>{"IMG_0001.jpg", "IMG_0002.JPG"} << "IMG_0001.jpg" << "IMG_0002" << kDuplicate;
        QTest::newRow("upper-cased extension taken")
            << QList<QByteArray>{"a.jpg", "trip.JPG"} << "a.jpg" << "trip" << kDuplicate;
        QTest::newRow("slash") << QList<QByteArray>{"IMG_0001.jpg"} << "IMG_0001.jpg" << "sub/trip" << kBadCharacter;
        // "./" would name the file ".JPG" beside it: the "/" is refused before the duplicate test.
        QTest::newRow("slash before duplicate") << photoAndJpg << "IMG_0001.jpg" << "./" << kBadCharacter;
        QTest::newRow("slash alone") << QList<QByteArray>{"IMG_0001.jpg"} << "IMG_0001.jpg" << "/" << kBadCharacter;
    }
    void refusals()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QString, selected);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        FixtureFolder dir;
        dir.AddFolder("sub");
        for (const QByteArray& name : files)
            dir.AddFile(name, Photo("bytes of " + name));
        const auto before = Content(dir.Path());
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        SelectByKeys(d, selected);
        const Kept kept = Kept::Of(d);

        Rename(d, typed, false);
        QCOMPARE(d.services.messages, QStringList{message});
        QCOMPARE(Content(dir.Path()), before);
        kept.Check(d);
        QCOMPARE(d.window->Edit2->text(), typed);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // A move that fails changes nothing and says why, whatever made it fail.
    void moveFailures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("error");
        QTest::newRow("a folder bears the name") << "folder" << "trip" << EEXIST;
        QTest::newRow("the source vanished") << "vanished" << "trip" << ENOENT;
        QTest::newRow("a name too long") << "long" << QString(252, 'a') << ENAMETOOLONG; // 256 bytes with ".JPG"
        QTest::newRow("the target came after the test") << "race" << "trip" << EEXIST;
    }
    void moveFailures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, typed);
        QFETCH(int, error);
        FixtureFolder dir;
        dir.AddFile("IMG_0001.jpg", Photo("the photo"));
        dir.AddFile("other.jpg", Photo("another photo"));
        if (failure == "folder")
            dir.AddFolder("trip.JPG");
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        SelectByKeys(d, "IMG_0001.jpg"); // a sub-folder is listed first
        // A folder named like a photo cannot be shown in its frame: that was reported on the way.
        d.services.errorReports.clear();
        if (failure == "vanished")
            QCOMPARE(::unlink(dir.File("IMG_0001.jpg").constData()), 0);
        if (failure == "race") {
            // The existence test answers "no" while the target is there: only the move can refuse.
            dir.AddFile("trip.JPG", Photo("must not be replaced"));
            d.services.fileExistsOverride = [](const QByteArray&) { return false; };
        }
        const auto before = Content(dir.Path());
        const Kept kept = Kept::Of(d);

        Rename(d, typed, true);
        QCOMPARE(d.services.messages, QStringList{MoveFailed(error)});
        QCOMPARE(Content(dir.Path()), before);
        kept.Check(d);
        QCOMPARE(d.window->Edit2->text(), typed);
        QCOMPARE(d.window->CurrentNames->Strings(d.window->ComboBox1->ItemIndex()), QByteArray("IMG_0001.jpg"));
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Each rename starts from the current name: the file moves twice, the list keeps its name.
    // Another item's current name is taken even when its file has gone from the folder behind the
    // program's back: two items never come to name one file.
    void anotherItemsNameIsTaken()
    {
        FixtureFolder dir;
        dir.AddFile("a.jpg", Photo("a"));
        dir.AddFile("b.jpg", Photo("b"));
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        Rename(d, "trip", true);
        QCOMPARE(d.window->CurrentNames->Strings(0), QByteArray("trip.JPG"));
        QCOMPARE(::unlink(dir.File("trip.JPG").constData()), 0);
        SelectByKeys(d, "b.jpg");
        Rename(d, "trip", true);
        QCOMPARE(d.services.messages, QStringList{kDuplicate});
        QCOMPARE(Content(dir.Path()), (QMap<QByteArray, QByteArray>{{"b.jpg", Photo("b")}}));
        QCOMPARE(d.window->CurrentNames->Strings(1), QByteArray("b.jpg"));
    }

    void renamingTwice()
    {
        FixtureFolder dir;
        dir.AddFile("IMG_0001.jpg", Photo("the photo"));
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        Rename(d, "trip", false);
        Rename(d, "walk", true);
        QCOMPARE(d.services.messages, QStringList{});
        QCOMPARE(Content(dir.Path()), (QMap<QByteArray, QByteArray>{{"walk.JPG", Photo("the photo")}}));
        QCOMPARE(d.window->CurrentNames->Strings(0), QByteArray("walk.JPG"));
        QCOMPARE(d.window->Edit1->text(), QString("walk"));
        QCOMPARE(d.ListNames(), QStringList{"IMG_0001.jpg"});
        // The same name again is now taken by the file itself.
        Rename(d, "walk", false);
        QCOMPARE(d.services.messages, QStringList{kDuplicate});
    }

    // A name in CP932 bytes (表示.jpg, whose first character ends in the byte of '\') is moved
    // from its own bytes.
    void renamingACp932Name()
    {
        const QByteArray cp932("\x95\x5c\x8e\xa6.jpg", 8);
        FixtureFolder dir;
        dir.AddFile(cp932, Photo("the photo"));
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.ListNames(), QStringList{"表示.jpg"});
        Activate(d);
        Rename(d, "trip", true);
        QCOMPARE(d.services.messages, QStringList{});
        QCOMPARE(Content(dir.Path()), (QMap<QByteArray, QByteArray>{{"trip.JPG", Photo("the photo")}}));
        QCOMPARE(d.window->CurrentNames->Strings(0), QByteArray("trip.JPG"));
    }

    // Without items the button and F5 do nothing and say nothing.
    void nothingToRename_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("no folder open") << false;
        QTest::newRow("empty folder") << true;
    }
    void nothingToRename()
    {
        QFETCH(bool, open);
        FixtureFolder dir;
        WindowDriver d;
        if (open)
            d.Open(dir.Path());
        Activate(d);
        Rename(d, "trip", false);
        Rename(d, "trip", true);
        QCOMPARE(d.services.messages, QStringList{});
        QCOMPARE(d.services.errorReports, QStringList{});
        QCOMPARE(d.window->Edit2->text(), QString("trip"));
        QCOMPARE(d.window->Edit1->text(), QString());
        QVERIFY(Content(dir.Path()).isEmpty());
    }

    // A rename refreshes nothing; the item is found under its new name once the selection has
    // moved away and back.
    void displayAfterRename()
    {
        FixtureFolder dir;
        dir.AddFile("a.jpg", Photo("a"));
        dir.AddJpeg("IMG_0001.jpg");
        dir.AddFile("z.jpg", Photo("z"));
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        SelectByKeys(d, "IMG_0001.jpg");
        const int refreshes = d.window->RefreshCount();
        const QString details = d.window->Memo2->toPlainText();
        QVERIFY(details.contains(QStringLiteral("[大きさ        ] 64 x 48")));

        Rename(d, "trip", false);
        QCOMPARE(d.services.messages, QStringList{});
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QCOMPARE(d.window->Edit1->text(), QString("trip"));
        QCOMPARE(d.window->Memo2->toPlainText(), details);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]3"));

        d.Key(Qt::Key_F4);
        QCOMPARE(d.window->Edit1->text(), QString("z"));
        d.Key(Qt::Key_F3);
        QCOMPARE(d.window->RefreshCount(), refreshes + 2);
        QCOMPARE(d.window->ComboBox1->currentText(), QString("IMG_0001.jpg"));
        QCOMPARE(d.window->Edit1->text(), QString("trip"));
        // Found: its details are shown again (an item not found would leave the panel empty).
        QCOMPARE(WithoutAccessTime(d.window->Memo2->toPlainText()), WithoutAccessTime(details));
        QVERIFY(d.services.errorReports.isEmpty());
    }
};

PORTEO_TEST_MAIN(TestRename)
#include "test_rename.moc"
