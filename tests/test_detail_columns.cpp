#include "display/DetailLabels.h"
#include "shell/DetailColumns.h"

#include "Fixtures.h"
#include "MetadataFixtures.h"

#include <QtTest>

#include <fcntl.h>
#include <iconv.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PhotoMetadata)

namespace {

// Times the fixtures are given (Asia/Tokyo, set for the tests by CTest).
constexpr time_t kModified = 1083369900; // 2004/05/01 9:05 JST
constexpr time_t kAccessed = 1293807540; // 2010/12/31 23:59 JST
const QString kModifiedText = QStringLiteral("2004/05/01 9:05");
const QString kAccessedText = QStringLiteral("2010/12/31 23:59");

void SetTimes(const QByteArray& path)
{
    const struct timespec times[2] = {{kAccessed, 0}, {kModified, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// What the file system says of the birth time, read here on its own: empty where it keeps none.
QString BirthText(const QByteArray& path, bool follow)
{
    struct statx st {};
    if (::statx(AT_FDCWD, path.constData(), follow ? 0 : AT_SYMLINK_NOFOLLOW, STATX_BTIME, &st) != 0
        || !(st.stx_mask & STATX_BTIME))
        return {};
    return QDateTime::fromSecsSinceEpoch(st.stx_btime.tv_sec).toString(QStringLiteral("yyyy/MM/dd H:mm"));
}

QString UserName()
{
    const struct passwd* pw = ::getpwuid(::geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(::geteuid());
}

QByteArray ToCp932(const QByteArray& utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* o = out.data();
    size_t outLeft = size_t(out.size());
    const size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return {};
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

// The twenty texts of an item in line order.
QStringList Lines(const ItemDetails& details)
{
    QStringList lines;
    for (const DetailRow& row : DetailRows())
        lines << details.Column(row.column);
    return lines;
}

// A photo carrying every kind of metadata, with different texts in each source so that the
// column shows which one it took.
PhotoMetadata FullMetadata()
{
    PhotoMetadata m;
    m.xpAuthor = QStringLiteral("山田 太郎");
    m.xpTitle = QStringLiteral("春の庭");
    m.xpSubject = QStringLiteral("桜");
    m.xpKeywords = QStringLiteral("花;春");
    m.xpComment = QStringLiteral("晴れた日の午後");
    m.artist = "EXIF Artist";
    m.imageDescription = "EXIF Description";
    m.model = "Canon PowerShot S40";
    m.dateTimeOriginal = "2004:05:01 09:05:30";
    m.dateTimeDigitized = "2004:05:02 18:45:00";
    m.userComment = UnicodeUserComment(QStringLiteral("EXIF のコメント"));
    m.xmpCreator = QStringList{QStringLiteral("XMP Creator")};
    m.xmpTitle = QStringLiteral("XMP Title");
    m.xmpDescription = QStringLiteral("XMP Description");
    m.xmpSubject = QStringList{QStringLiteral("kw1"), QStringLiteral("kw2")};
    m.xmpUserComment = QStringLiteral("XMP Comment");
    m.jpegComment = "JPEG COM";
    return m;
}

QByteArray FullPhoto()
{
    return AddMetadata(EncodeJpeg({.width = 640, .height = 480}), FullMetadata());
}

// Expected lines: file-system columns as given ("$created", "$owner" and "$size" filled in by the
// test from its own look at the item), every other column empty unless named in `metadata`.
QStringList Expect(const QString& size, const QString& type, const QString& attributes,
                   const QMap<int, QString>& metadata = {})
{
    QStringList lines;
    for (const DetailRow& row : DetailRows()) {
        switch (row.column) {
        case DetailColumn::Size: lines << size; break;
        case DetailColumn::Type: lines << type; break;
        case DetailColumn::Modified: lines << kModifiedText; break;
        case DetailColumn::Created: lines << QStringLiteral("$created"); break;
        case DetailColumn::Accessed: lines << kAccessedText; break;
        case DetailColumn::Attributes: lines << attributes; break;
        case DetailColumn::Owner: lines << QStringLiteral("$owner"); break;
        default: lines << metadata.value(row.column); break;
        }
    }
    return lines;
}

QMap<int, QString> DimensionTexts(int width, int height)
{
    using namespace DetailColumn;
    return {{Dimensions, QStringLiteral("%1 x %2").arg(width).arg(height)},
            {Width, QStringLiteral("%1 ピクセル").arg(width)},
            {Height, QStringLiteral("%1 ピクセル").arg(height)}};
}

QMap<int, QString> operator+(QMap<int, QString> a, const QMap<int, QString>& b)
{
    a.insert(b);
    return a;
}

const QString kJpegType = QStringLiteral("JPEG 画像");

} // namespace

class TestDetailColumns : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCOMPARE(qEnvironmentVariable("TZ"), QStringLiteral("Asia/Tokyo"));
    }

    void labels_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("label");
        const struct { int column; const char* label; } expected[] = {
            {1, "[サイズ        ] "}, {2, "[種類          ] "}, {3, "[更新日時      ] "},
            {4, "[作成日時      ] "}, {5, "[アクセス日時  ] "}, {6, "[属性          ] "},
            {7, "[状態          ] "}, {8, "[所有者        ] "}, {9, "[作成者        ] "},
            {10, "[タイトル      ] "}, {11, "[表題          ] "}, {12, "[カテゴリ      ] "},
            {13, "[ページ数      ] "}, {14, "[コメント      ] "}, {24, "[カメラのモデル] "},
            {25, "[写真の撮影日  ] "}, {26, "[大きさ        ] "}, {27, "[幅            ] "},
            {28, "[高さ          ] "}, {31, "[写真の撮影日  ] "},
        };
        int line = 1;
        for (const auto& e : expected) {
            QTest::addRow("line %d", line) << line << e.column << QString::fromUtf8(e.label);
            ++line;
        }
    }
    void labels()
    {
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, label);
        const auto rows = DetailRows();
        QCOMPARE(rows.size(), size_t(20));
        const DetailRow& row = rows[size_t(line - 1)];
        QCOMPARE(row.column, column);
        QCOMPARE(QString::fromUtf8(row.label), label);
        const QByteArray narrow = ToCp932(QByteArray(row.label));
        QCOMPARE(narrow.size(), 17);
        QVERIFY(narrow.startsWith('['));
        QVERIFY(narrow.endsWith("] "));
    }

    void labelsOfLines16And20()
    {
        const auto rows = DetailRows();
        QCOMPARE(QByteArray(rows[15].label), QByteArray(rows[19].label));
        QCOMPARE(rows[15].column, int(DetailColumn::DateTaken));
        QCOMPARE(rows[19].column, int(DetailColumn::DateDigitized));
    }

    // Every line of a photo with EXIF, XP tags, XMP and a JPEG comment; the XP tags win.
    void photoWithMetadata()
    {
        FixtureFolder folder;
        const QByteArray photo = FullPhoto();
        QVERIFY(!photo.isEmpty());
        const QByteArray path = folder.File("IMG_0001.JPG");
        WriteBytes(path, photo);
        SetTimes(path);
        const QString size = QStringLiteral("%1 KB").arg((photo.size() + 1023) / 1024);

        const QStringList expected{
            size,
            QStringLiteral("JPEG 画像"),
            QStringLiteral("2004/05/01 9:05"),
            BirthText(path, true),
            QStringLiteral("2010/12/31 23:59"),
            QStringLiteral("A"),
            QString(),
            UserName(),
            QStringLiteral("山田 太郎"),
            QStringLiteral("春の庭"),
            QStringLiteral("桜"),
            QStringLiteral("花;春"),
            QString(),
            QStringLiteral("晴れた日の午後"),
            QStringLiteral("Canon PowerShot S40"),
            QStringLiteral("2004/05/01 9:05"),
            QStringLiteral("640 x 480"),
            QStringLiteral("640 ピクセル"),
            QStringLiteral("480 ピクセル"),
            QStringLiteral("2004/05/02 18:45"),
        };
        const ItemDetails details = ItemDetails::Read(path);
        QCOMPARE(Lines(details), expected);
        // Columns the panel does not show, and nonsense numbers, are empty.
        for (int column : {-1, 0, 15, 23, 29, 30, 32, 1000})
            QVERIFY2(details.Column(column).isEmpty(), qPrintable(QString::number(column)));
    }

    // Where the XP tag is missing, EXIF and then XMP stand in; comments end with the JPEG comment.
    // Texts are single lines, in whatever encoding the writer used.
    void metadataSources_data()
    {
        using namespace DetailColumn;
        QTest::addColumn<PhotoMetadata>("metadata");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        PhotoMetadata m;
        m.artist = "EXIF Artist";
        m.xmpCreator = QStringList{QStringLiteral("A"), QStringLiteral("B")};
        QTest::newRow("author: EXIF Artist before XMP") << m << int(Author) << QStringLiteral("EXIF Artist");
        m.artist.clear();
        QTest::newRow("author: XMP creators joined") << m << int(Author) << QStringLiteral("A; B");
        m = {};
        m.artist = QStringLiteral("撮影者").toUtf8();
        QTest::newRow("author: UTF-8 in EXIF") << m << int(Author) << QStringLiteral("撮影者");
        m.artist = ToCp932(QStringLiteral("撮影者").toUtf8());
        QTest::newRow("author: CP932 in EXIF") << m << int(Author) << QStringLiteral("撮影者");
        m = {};
        m.imageDescription = "EXIF Description";
        m.xmpTitle = QStringLiteral("XMP Title");
        QTest::newRow("title: ImageDescription before XMP") << m << int(Title) << QStringLiteral("EXIF Description");
        m.imageDescription = "   ";
        QTest::newRow("title: blank EXIF falls through") << m << int(Title) << QStringLiteral("XMP Title");
        m = {};
        m.xmpDescription = QStringLiteral("説明文");
        QTest::newRow("subject: XMP description") << m << int(Subject) << QStringLiteral("説明文");
        m = {};
        m.xmpSubject = QStringList{QStringLiteral("花"), QStringLiteral("春")};
        QTest::newRow("category: XMP keywords") << m << int(Category) << QStringLiteral("花; 春");
        m = {};
        m.userComment = UnicodeUserComment(QStringLiteral("ユニコードの注釈"));
        m.xmpUserComment = QStringLiteral("XMP Comment");
        m.jpegComment = "JPEG COM";
        QTest::newRow("comments: Unicode UserComment first") << m << int(Comments) << QStringLiteral("ユニコードの注釈");
        m.userComment = AsciiUserComment("ascii note");
        QTest::newRow("comments: ASCII UserComment") << m << int(Comments) << QStringLiteral("ascii note");
        m.userComment = UndefinedUserComment(ToCp932(QStringLiteral("富士山").toUtf8()));
        QTest::newRow("comments: CP932 under undefined code") << m << int(Comments) << QStringLiteral("富士山");
        m.userComment = AsciiUserComment(QByteArray(16, ' '));
        QTest::newRow("comments: blank UserComment falls through") << m << int(Comments) << QStringLiteral("XMP Comment");
        m.xmpUserComment.clear();
        QTest::newRow("comments: JPEG comment last") << m << int(Comments) << QStringLiteral("JPEG COM");
        m = {};
        m.bigEndian = true;
        m.userComment = UnicodeUserComment(QStringLiteral("モトローラ順"), true);
        QTest::newRow("comments: Unicode UserComment, big-endian EXIF") << m << int(Comments) << QStringLiteral("モトローラ順");
        m.xpAuthor = QStringLiteral("XP は常に Intel 順");
        QTest::newRow("author: XP tag, big-endian EXIF") << m << int(Author) << QStringLiteral("XP は常に Intel 順");
        m = {};
        m.xpComment = QStringLiteral("一行目\r\n二行目\t終");
        QTest::newRow("comments: line breaks become spaces") << m << int(Comments) << QStringLiteral("一行目  二行目 終");
        m = {};
        m.model = "  NIKON D70  ";
        QTest::newRow("model trimmed") << m << int(CameraModel) << QStringLiteral("NIKON D70");

        const struct { const char* raw; const char* shown; } dates[] = {
            {"2004:05:01 09:05:59", "2004/05/01 9:05"},
            {"2004:05:01 00:00:00", "2004/05/01 0:00"},
            {"1999:12:31 23:59:59", "1999/12/31 23:59"},
            {"2004-05-01T21:30", "2004/05/01 21:30"},
            {"0000:00:00 00:00:00", ""},
            {"    :  :     :  :  ", ""},
            {"2004:13:01 00:00:00", ""},
            {"2004:02:30 00:00:00", ""},
            {"2004:05:01 25:00:00", ""},
            {"2004:05:01", ""},
            {"garbage", ""},
        };
        for (const auto& d : dates) {
            m = {};
            m.dateTimeOriginal = d.raw;
            QTest::addRow("date taken %s", d.raw) << m << int(DateTaken) << QString::fromUtf8(d.shown);
        }
        m = {};
        m.dateTimeDigitized = "2001:02:03 04:05:06";
        QTest::newRow("date digitised") << m << int(DateDigitized) << QStringLiteral("2001/02/03 4:05");
    }
    void metadataSources()
    {
        QFETCH(PhotoMetadata, metadata);
        QFETCH(int, column);
        QFETCH(QString, text);
        FixtureFolder folder;
        const QByteArray photo = AddMetadata(EncodeJpeg({}), metadata);
        QVERIFY(!photo.isEmpty());
        QCOMPARE(photo.contains(QByteArray("Exif\0\0MM", 8)), metadata.bigEndian);
        folder.AddFile("p.jpg", photo);
        QCOMPARE(ItemDetails::Read(folder.File("p.jpg")).Column(column), text);
    }

    // All twenty lines of items that are no sound photo; what does not apply is empty.
    void otherItems_data()
    {
        using namespace DetailColumn;
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("lines");
        const QString none;
        const QString size = QStringLiteral("$size");
        const auto xmp = QMap<int, QString>{{Author, QStringLiteral("XMP Creator")},
                                            {Title, QStringLiteral("XMP Title")},
                                            {Subject, QStringLiteral("XMP Description")},
                                            {Category, QStringLiteral("kw1; kw2")},
                                            {Comments, QStringLiteral("XMP Comment")}};
        const auto ifd0 = QMap<int, QString>{{Author, QStringLiteral("山田 太郎")},
                                             {Title, QStringLiteral("春の庭")},
                                             {Subject, QStringLiteral("桜")},
                                             {Category, QStringLiteral("花;春")},
                                             {Comments, QStringLiteral("晴れた日の午後")},
                                             {CameraModel, QStringLiteral("Canon PowerShot S40")}};
        QTest::newRow("folder") << "folder" << Expect(none, QStringLiteral("フォルダー"), "D");
        QTest::newRow("hidden read-only folder") << "hidden folder" << Expect(none, QStringLiteral("フォルダー"), "RHD");
        QTest::newRow("text file") << "text" << Expect("1 KB", QStringLiteral("平文テキストドキュメント"), "A");
        QTest::newRow("hidden read-only file") << "hidden file" << Expect("1 KB", QStringLiteral("平文テキストドキュメント"), "RHA");
        QTest::newRow("type without Japanese name") << "toml" << Expect("1 KB", QStringLiteral("TOML document"), "A");
        QTest::newRow("empty file") << "empty" << Expect("0 KB", QStringLiteral("空のドキュメント"), "A");
        QTest::newRow("empty .jpg") << "empty jpg" << Expect("0 KB", kJpegType, "A");
        QTest::newRow("photo without metadata") << "plain" << Expect(size, kJpegType, "A", DimensionTexts(64, 48));
        QTest::newRow("link to photo") << "link to photo" << Expect(size, kJpegType, "A", DimensionTexts(64, 48));
        QTest::newRow("link to folder") << "link to folder" << Expect(none, QStringLiteral("フォルダー"), "D");
        QTest::newRow("dangling link") << "dangling" << Expect(none, QStringLiteral("シンボリックリンク"), "");
        QTest::newRow("fifo") << "fifo" << Expect(none, QStringLiteral("パイプ"), "");
        QTest::newRow("unreadable photo") << "unreadable" << Expect(size, kJpegType, "RA");
        QTest::newRow("JPEG magic, then junk") << "junk jpeg" << Expect(size, kJpegType, "A");
        QTest::newRow("TIFF magic, wild offsets") << "junk tiff" << Expect(size, QStringLiteral("TIFF 画像"), "A");
        QTest::newRow("EXIF: broken header") << "BrokenHeader" << Expect(size, kJpegType, "A", xmp + DimensionTexts(640, 480));
        QTest::newRow("EXIF: IFD0 out of range") << "Ifd0OutOfRange" << Expect(size, kJpegType, "A", xmp + DimensionTexts(640, 480));
        QTest::newRow("EXIF: huge counts") << "HugeCounts" << Expect(size, kJpegType, "A", xmp + DimensionTexts(640, 480));
        QTest::newRow("EXIF: Exif IFD out of range") << "ExifIfdOutOfRange" << Expect(size, kJpegType, "A", ifd0 + DimensionTexts(640, 480));
        QTest::newRow("EXIF: truncated block") << "TruncatedBlock" << Expect(size, kJpegType, "A", xmp + DimensionTexts(640, 480));
        QTest::newRow("EXIF: file cut inside") << "TruncatedFile" << Expect(size, kJpegType, "A");
        QTest::newRow("vanished") << "vanished" << QStringList(20, QString());
    }
    void otherItems()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, lines);
        FixtureFolder folder;
        QByteArray path = folder.File("item.jpg");
        QByteArray target; // whose times a link shows
        bool follow = true;
        const QMap<QString, ExifDamage> damages{
            {"BrokenHeader", ExifDamage::BrokenHeader}, {"Ifd0OutOfRange", ExifDamage::Ifd0OutOfRange},
            {"HugeCounts", ExifDamage::HugeCounts}, {"ExifIfdOutOfRange", ExifDamage::ExifIfdOutOfRange},
            {"TruncatedBlock", ExifDamage::TruncatedBlock}, {"TruncatedFile", ExifDamage::TruncatedFile}};
        QRandomGenerator random(7);
        auto junk = [&](QByteArray head) {
            while (head.size() < 4000)
                head.append(char(random.bounded(256)));
            return head;
        };
        if (kind == "folder") {
            path = folder.File("写真");
            QCOMPARE(::mkdir(path.constData(), 0755), 0);
        } else if (kind == "hidden folder") {
            path = folder.File(".cache");
            QCOMPARE(::mkdir(path.constData(), 0555), 0);
        } else if (kind == "text") {
            path = folder.File("memo.txt");
            WriteBytes(path, "hello\n");
        } else if (kind == "hidden file") {
            path = folder.File(".secret");
            WriteBytes(path, "x");
            QCOMPARE(::chmod(path.constData(), 0444), 0);
        } else if (kind == "toml") {
            path = folder.File("settings.toml");
            WriteBytes(path, "a = 1\n");
        } else if (kind == "empty") {
            path = folder.File("empty");
            WriteBytes(path, {});
        } else if (kind == "empty jpg") {
            WriteBytes(path, {});
        } else if (kind == "plain" || kind == "link to photo") {
            WriteBytes(path, EncodeJpeg({}));
            if (kind == "link to photo") {
                target = path;
                path = folder.File("link.jpg");
                QCOMPARE(::symlink("item.jpg", path.constData()), 0);
            }
        } else if (kind == "link to folder") {
            target = folder.File("dir");
            QCOMPARE(::mkdir(target.constData(), 0755), 0);
            path = folder.File("link");
            QCOMPARE(::symlink("dir", path.constData()), 0);
        } else if (kind == "dangling") {
            path = folder.File("link.jpg");
            QCOMPARE(::symlink("missing.jpg", path.constData()), 0);
            follow = false;
        } else if (kind == "fifo") {
            path = folder.File("pipe");
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        } else if (kind == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            WriteBytes(path, FullPhoto());
            QCOMPARE(::chmod(path.constData(), 0), 0);
        } else if (kind == "junk jpeg") {
            WriteBytes(path, junk(QByteArray("\xFF\xD8\xFF\xE1\xFF\xF0" "Exif\0\0MM\0\x2A\x7F\xFF\xFF\xF0", 20)));
        } else if (kind == "junk tiff") {
            path = folder.File("item.tif");
            WriteBytes(path, junk(QByteArray("II\x2A\0\xF0\xFF\xFF\x0F\xFF\xFF", 10)));
        } else if (damages.contains(kind)) {
            const QByteArray damaged = DamageExif(FullPhoto(), damages.value(kind));
            QVERIFY(!damaged.isEmpty());
            WriteBytes(path, damaged);
        } else if (kind == "vanished") {
            path = folder.File("gone.jpg");
        } else {
            QFAIL("unknown kind");
        }
        if (kind != "vanished") {
            SetTimes(path);
            if (!target.isEmpty())
                SetTimes(target);
        }

        // Read first: looking at a link here would touch its access time.
        const ItemDetails details = ItemDetails::Read(path);
        struct stat st {};
        const bool exists = ::stat(path.constData(), &st) == 0;
        for (QString& line : lines) {
            if (line == "$created")
                line = BirthText(path, follow);
            else if (line == "$owner")
                line = UserName();
            else if (line == "$size")
                line = exists ? QStringLiteral("%1 KB").arg((st.st_size + 1023) / 1024) : QString();
        }
        QCOMPARE(Lines(details), lines);
    }

    void sizeText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 KB";
        QTest::newRow("1") << qint64(1) << "1 KB";
        QTest::newRow("1023") << qint64(1023) << "1 KB";
        QTest::newRow("1024") << qint64(1024) << "1 KB";
        QTest::newRow("1025") << qint64(1025) << "2 KB";
        QTest::newRow("1022976") << qint64(999 * 1024) << "999 KB";
        QTest::newRow("1022977") << qint64(999 * 1024 + 1) << "1,000 KB";
        QTest::newRow("1234567") << qint64(1234567) << "1,206 KB";
        QTest::newRow("5 GiB") << qint64(5) * 1024 * 1024 * 1024 << "5,242,880 KB";
    }
    void sizeText()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        FixtureFolder folder;
        const QByteArray path = folder.File("data.bin");
        WriteBytes(path, {});
        QVERIFY(QFile::resize(QFile::decodeName(path), bytes)); // sparse: costs no disk
        QCOMPARE(ItemDetails::Read(path).Column(DetailColumn::Size), text);
        QCOMPARE(DetailSizeText(bytes), text);
    }

    // Type names are Japanese whatever locale the program runs in, and asking leaves the
    // program's default locale as it was.
    void typeNamesJapaneseInAnyLocale()
    {
        FixtureFolder folder;
        folder.AddJpeg("a.jpg");
        folder.AddFolder("sub");
        const QLocale german(QLocale::German, QLocale::Germany);
        QLocale::setDefault(german);
        const QString jpeg = ItemDetails::Read(folder.File("a.jpg")).Column(DetailColumn::Type);
        const QString dir = ItemDetails::Read(folder.File("sub")).Column(DetailColumn::Type);
        const QLocale after;
        QLocale::setDefault(QLocale::c());
        QCOMPARE(jpeg, kJpegType);
        QCOMPARE(dir, QStringLiteral("フォルダー"));
        QCOMPARE(after, german);
        QCOMPARE(MimeTypeComment(QStringLiteral("no/such-type")), QString());
    }

    // Reading the details of a large file reads its header, never the whole file.
    void readsOnlyTheHead_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        const QByteArray tenMegabytes(10 * 1024 * 1024, '\x55');
        const QByteArray photo = FullPhoto();
        // The scan data grown to 10 MB: inserted before the closing EOI marker.
        QTest::newRow("10 MB photo") << QByteArray("photo.jpg") << photo.left(photo.size() - 2) + tenMegabytes
                                     << QByteArray("\xFF\xD9");
        QTest::newRow("10 MB text") << QByteArray("big.txt") << QByteArray("hello\n") << tenMegabytes;
        QTest::newRow("XMP packet look-alike") << QByteArray("big.xmp")
                                               << QByteArray("<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n")
                                               << tenMegabytes;
        QTest::newRow("CRW look-alike") << QByteArray("big.crw") << QByteArray("II\x1a\0\0\0HEAPCCDR", 14) << tenMegabytes;
    }
    void readsOnlyTheHead()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        FixtureFolder folder;
        folder.AddFile(name, head + tail);
        const qint64 before = BytesReadByProcess();
        if (before < 0)
            QSKIP("no /proc/self/io");
        const ItemDetails details = ItemDetails::Read(folder.File(name));
        const qint64 read = BytesReadByProcess() - before;
        QVERIFY2(read < 512 * 1024, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
        QVERIFY(!details.Column(DetailColumn::Size).isEmpty());
        if (name == "photo.jpg") // the metadata is still there
            QCOMPARE(details.Column(DetailColumn::CameraModel), QStringLiteral("Canon PowerShot S40"));
    }

    // Cut and scrambled headers: never a crash or an exception, the file-system columns always
    // there, and every column a single line.
    void hostileHeaders()
    {
        FixtureFolder folder;
        const QByteArray photo = FullPhoto();
        const qsizetype header = JpegHeaderLength(photo);
        QVERIFY(header > 0);
        const QByteArray path = folder.File("x.jpg");
        QRandomGenerator random(20040501);
        auto check = [&](const QByteArray& bytes, const char* what, int n) {
            WriteBytes(path, bytes);
            const ItemDetails details = ItemDetails::Read(path);
            const QString where = QStringLiteral("%1 %2").arg(what).arg(n);
            QVERIFY2(details.Column(DetailColumn::Type) == kJpegType, qPrintable(where));
            QVERIFY2(details.Column(DetailColumn::Size) == QStringLiteral("%1 KB").arg((bytes.size() + 1023) / 1024),
                     qPrintable(where));
            for (const DetailRow& row : DetailRows()) {
                const QString text = details.Column(row.column);
                QVERIFY2(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')), qPrintable(where));
            }
        };
        for (qsizetype cut = 1; cut < header + 8; cut += 9)
        {
            check(photo.left(cut), "cut at", int(cut));
            if (QTest::currentTestFailed())
                return;
        }
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = photo;
            const int flips = 1 + int(random.bounded(8));
            for (int i = 0; i < flips; ++i)
                bytes[2 + random.bounded(int(header - 2))] = char(random.bounded(256));
            check(bytes, "scramble round", round);
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(TestDetailColumns)
#include "test_detail_columns.moc"
