#include "platform/FileSystem.h"

#include "Fixtures.h"

#include <QtTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "写真" in CP932: a name that is not UTF-8 and must reach the disk byte for byte.
const QByteArray kCp932Photo("\x8e\xca\x90\x5e.JPG", 8);

// The temporary folder's clean-up reads names as UTF-8 and cannot remove a CP932 name itself.
auto RemoveLegacyName(const FixtureFolder& dir)
{
    return qScopeGuard([&dir] { ::unlink(dir.File(kCp932Photo).constData()); });
}

// Makes a folder's names unremovable: read-only for a user, immutable for the superuser (who
// ignores permissions). False where the file system refuses.
bool LockFolder(const QByteArray& path, bool lock)
{
    if (::geteuid() != 0)
        return ::chmod(path.constData(), lock ? 0555 : 0755) == 0;
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = lock ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

bool Present(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray ReadBytes(const QByteArray& path)
{
    QByteArray bytes;
    FILE* f = std::fopen(path.constData(), "rb");
    if (!f)
        return "<unreadable>";
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, qsizetype(n));
    std::fclose(f);
    return bytes;
}

QByteArray LinkTarget(const QByteArray& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    return n < 0 ? QByteArray() : QByteArray(buffer, n);
}

// Which steps of the move the file system offers, made so through the calls' seam.
enum class Support { Full, NoRenameNoReplace, NoLinks };

int renameCalls = 0;
int linkCalls = 0;
QByteArray raceBytes; // what "another program" writes at the target just before the move

int CountedRename(const char* from, const char* to)
{
    ++renameCalls;
    return RealMoveSystemCalls().renameNoReplace(from, to);
}
int UnsupportedRename(const char*, const char*)
{
    ++renameCalls;
    errno = EINVAL;
    return -1;
}
int CountedLink(const char* from, const char* to)
{
    ++linkCalls;
    return RealMoveSystemCalls().hardLink(from, to);
}
int UnsupportedLink(const char*, const char*)
{
    ++linkCalls;
    errno = EPERM;
    return -1;
}
void WriteRace(const char* to)
{
    FILE* f = std::fopen(to, "wb");
    if (f) {
        std::fwrite(raceBytes.constData(), 1, size_t(raceBytes.size()), f);
        std::fclose(f);
    }
}
int RacedRename(const char* from, const char* to)
{
    WriteRace(to);
    return CountedRename(from, to);
}
int RacedLink(const char* from, const char* to)
{
    WriteRace(to);
    return CountedLink(from, to);
}

// Puts fake calls in for one test and the real ones back after it.
class CallsInUse {
public:
    explicit CallsInUse(MoveSystemCalls calls)
    {
        renameCalls = linkCalls = 0;
        CurrentMoveSystemCalls() = calls;
    }
    explicit CallsInUse(Support support)
        : CallsInUse(MoveSystemCalls{support == Support::Full ? &CountedRename : &UnsupportedRename,
                                     support == Support::NoLinks ? &UnsupportedLink : &CountedLink})
    {
    }
    ~CallsInUse() { CurrentMoveSystemCalls() = RealMoveSystemCalls(); }
};

enum class Scene {
    Moves,
    MovesLegacyName,
    TargetFile,
    TargetFolder,
    TargetDanglingLink,
    TargetHardLinkOfSource,
    SamePath,
    SourceMissing,
    TargetNameTooLong,
    NulInTarget,
};

} // namespace

Q_DECLARE_METATYPE(Support)
Q_DECLARE_METATYPE(Scene)

class TestFileSystem : public QObject {
    Q_OBJECT
private slots:
    void exists_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("folder");
        QTest::newRow("file") << QByteArray("a.JPG") << true << false;
        QTest::newRow("empty file") << QByteArray("empty") << true << false;
        QTest::newRow("folder") << QByteArray("sub") << false << true;
        QTest::newRow("link to file") << QByteArray("to-file") << true << false;
        QTest::newRow("link to folder") << QByteArray("to-folder") << false << true;
        QTest::newRow("dangling link") << QByteArray("dangling") << true << false;
        QTest::newRow("link loop") << QByteArray("loop") << true << false;
        QTest::newRow("nothing") << QByteArray("missing.JPG") << false << false;
        QTest::newRow("inside a file") << QByteArray("a.JPG/x") << false << false;
        QTest::newRow("legacy name") << kCp932Photo << true << false;
    }
    void exists()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, file);
        QFETCH(bool, folder);
        FixtureFolder dir;
        const auto removeLegacy = RemoveLegacyName(dir);
        dir.AddFile("a.JPG", "x");
        dir.AddFile("empty");
        dir.AddFile(kCp932Photo, "x");
        dir.AddFolder("sub");
        QCOMPARE(::symlink("a.JPG", dir.File("to-file").constData()), 0);
        QCOMPARE(::symlink("sub", dir.File("to-folder").constData()), 0);
        QCOMPARE(::symlink("gone.JPG", dir.File("dangling").constData()), 0);
        QCOMPARE(::symlink("loop", dir.File("loop").constData()), 0);
        QCOMPARE(FileExists(dir.File(name)), file);
        QCOMPARE(DirectoryExists(dir.File(name)), folder);
    }

    void existsOddPaths()
    {
        FixtureFolder dir;
        dir.AddFile("a");
        QVERIFY(DirectoryExists(dir.Path()));
        QVERIFY(DirectoryExists(dir.Path() + "/"));
        QVERIFY(!FileExists(QByteArray()));
        QVERIFY(!DirectoryExists(QByteArray()));
        // A NUL byte would cut the path short at the folder: it names nothing.
        QVERIFY(!FileExists(dir.File(QByteArray("a\0b", 3))));
        QVERIFY(!DirectoryExists(dir.Path() + QByteArray("\0/x", 3)));
    }

    // Every case under each level of support the file system may offer: the kernel's own
    // no-replace rename, the hard-link fallback, and the look-then-rename fallback.
    void move_data()
    {
        QTest::addColumn<Support>("support");
        QTest::addColumn<Scene>("scene");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<int>("error");
        const struct {
            const char* name;
            Scene scene;
            bool moved;
            int error;
        } scenes[] = {
            {"moves", Scene::Moves, true, 0},
            {"moves to a legacy name", Scene::MovesLegacyName, true, 0},
            {"target file", Scene::TargetFile, false, EEXIST},
            {"target folder", Scene::TargetFolder, false, EEXIST},
            {"target dangling link", Scene::TargetDanglingLink, false, EEXIST},
            {"target hard link of source", Scene::TargetHardLinkOfSource, false, EEXIST},
            {"same path", Scene::SamePath, false, EEXIST},
            {"source missing", Scene::SourceMissing, false, ENOENT},
            {"target name too long", Scene::TargetNameTooLong, false, ENAMETOOLONG},
            {"NUL in target", Scene::NulInTarget, false, EINVAL},
        };
        const struct {
            const char* name;
            Support support;
        } supports[] = {
            {"renameat2", Support::Full},
            {"link", Support::NoRenameNoReplace},
            {"check", Support::NoLinks},
        };
        for (const auto& s : supports)
            for (const auto& c : scenes)
                QTest::newRow(QByteArray(s.name).append(": ").append(c.name).constData())
                    << s.support << c.scene << c.moved << c.error;
    }
    void move()
    {
        QFETCH(Support, support);
        QFETCH(Scene, scene);
        QFETCH(bool, moved);
        QFETCH(int, error);

        FixtureFolder dir;
        const auto removeLegacy = RemoveLegacyName(dir);
        const QByteArray photo = EncodeJpeg({});
        const QByteArray other("the other file");
        const QByteArray from = dir.File("IMG_0001.jpg");
        QByteArray to = dir.File("trip.JPG");
        if (scene != Scene::SourceMissing)
            WriteBytes(from, photo);
        switch (scene) {
        case Scene::MovesLegacyName:
            to = dir.File(kCp932Photo);
            break;
        case Scene::TargetFile:
            WriteBytes(to, other);
            break;
        case Scene::TargetFolder:
            dir.AddFolder("trip.JPG");
            dir.AddFile("trip.JPG/inside", other);
            break;
        case Scene::TargetDanglingLink:
            QCOMPARE(::symlink("nowhere", to.constData()), 0);
            break;
        case Scene::TargetHardLinkOfSource:
            QCOMPARE(::link(from.constData(), to.constData()), 0);
            break;
        case Scene::SamePath:
            to = from;
            break;
        case Scene::TargetNameTooLong:
            to = dir.File(QByteArray(300, 'x') + ".JPG");
            break;
        case Scene::NulInTarget:
            to = dir.File(QByteArray("trip\0.JPG", 9));
            break;
        default:
            break;
        }
        QDir listing(QFile::decodeName(dir.Path()));
        const QStringList before = listing.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

        CallsInUse calls(support);
        const MoveResult result = MoveFileNoReplace(from, to);

        QCOMPARE(result.succeeded, moved);
        QCOMPARE(result.error, error);
        QCOMPARE(result.reason, moved ? QString() : QString::fromLocal8Bit(std::strerror(error)));
        // A path cut short by a NUL byte never reaches the system.
        const bool reachesSystem = scene != Scene::NulInTarget;
        QCOMPARE(renameCalls, reachesSystem ? 1 : 0);
        QCOMPARE(linkCalls, reachesSystem && support != Support::Full ? 1 : 0);

        if (moved) {
            QVERIFY(!Present(from));
            QCOMPARE(ReadBytes(to), photo);
            return;
        }
        // A refused move changes nothing at all.
        QCOMPARE(listing.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
        if (scene != Scene::SourceMissing)
            QCOMPARE(ReadBytes(from), photo);
        switch (scene) {
        case Scene::TargetFile:
            QCOMPARE(ReadBytes(to), other);
            break;
        case Scene::TargetFolder:
            QVERIFY(DirectoryExists(to));
            QCOMPARE(ReadBytes(to + "/inside"), other);
            break;
        case Scene::TargetDanglingLink:
            QCOMPARE(LinkTarget(to), QByteArray("nowhere"));
            break;
        case Scene::TargetHardLinkOfSource:
            QCOMPARE(ReadBytes(to), photo);
            break;
        default:
            break;
        }
    }

    // Another program creates the target after the caller found the name free: the move itself
    // refuses, whichever atomic step it runs on.
    void raceAtTheMove_data()
    {
        QTest::addColumn<bool>("renameNoReplace");
        QTest::newRow("renameat2") << true;
        QTest::newRow("link") << false;
    }
    void raceAtTheMove()
    {
        QFETCH(bool, renameNoReplace);
        FixtureFolder dir;
        const QByteArray from = dir.File("IMG_0001.jpg");
        const QByteArray to = dir.File("trip.JPG");
        WriteBytes(from, "mine");
        raceBytes = "theirs";
        QVERIFY(!FileExists(to));

        CallsInUse calls(renameNoReplace ? MoveSystemCalls{&RacedRename, &CountedLink}
                                         : MoveSystemCalls{&UnsupportedRename, &RacedLink});
        const MoveResult result = MoveFileNoReplace(from, to);

        QVERIFY(!result.succeeded);
        QCOMPARE(result.error, EEXIST);
        QCOMPARE(ReadBytes(from), QByteArray("mine"));
        QCOMPARE(ReadBytes(to), QByteArray("theirs"));
    }

    // With hard links the old name is removed after the new one is made; when it cannot be
    // removed, the new name is taken back, so the file keeps exactly its one old name.
    void linkFallbackTakesBackItsName()
    {
        FixtureFolder dir;
        dir.AddFolder("locked");
        dir.AddFolder("open");
        const QByteArray from = dir.File("locked/IMG_0001.jpg");
        const QByteArray to = dir.File("open/trip.JPG");
        WriteBytes(from, "photo");
        if (!LockFolder(dir.File("locked"), true))
            QSKIP("this file system cannot lock a folder");
        const auto unlock = qScopeGuard([&] { LockFolder(dir.File("locked"), false); });

        CallsInUse calls(Support::NoRenameNoReplace);
        const MoveResult result = MoveFileNoReplace(from, to);

        QCOMPARE(linkCalls, 1);
        QVERIFY(!result.succeeded);
        QCOMPARE(result.error, ::geteuid() == 0 ? EPERM : EACCES);
        QVERIFY(!Present(to));
        QCOMPARE(ReadBytes(from), QByteArray("photo"));
        struct stat st;
        QCOMPARE(::stat(from.constData(), &st), 0);
        QCOMPARE(st.st_nlink, nlink_t(1));
    }

    // A link at the source is moved as the link, not as what it points to.
    void movesALinkItself()
    {
        FixtureFolder dir;
        dir.AddFile("real.JPG", "photo");
        QCOMPARE(::symlink("real.JPG", dir.File("alias.jpg").constData()), 0);
        // alias.jpg -> b.JPG -> c.JPG -> d.JPG, one step under each level of support.
        const struct {
            Support support;
            const char* from;
            const char* to;
        } steps[] = {
            {Support::Full, "alias.jpg", "b.JPG"},
            {Support::NoRenameNoReplace, "b.JPG", "c.JPG"},
            {Support::NoLinks, "c.JPG", "d.JPG"},
        };
        for (const auto& step : steps) {
            CallsInUse calls(step.support);
            const QByteArray from = dir.File(step.from);
            const QByteArray to = dir.File(step.to);
            QVERIFY(MoveFileNoReplace(from, to).succeeded);
            QCOMPARE(LinkTarget(to), QByteArray("real.JPG"));
            QVERIFY(!Present(from));
        }
        QCOMPARE(ReadBytes(dir.File("real.JPG")), QByteArray("photo"));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "test_file_system.moc"
