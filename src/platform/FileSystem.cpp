#include "FileSystem.h"

#include <cerrno>
#include <cstdio> // renameat2, RENAME_NOREPLACE (glibc 2.28 and later, _GNU_SOURCE)
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool NamesSomething(const QByteArray& path)
{
    return !path.isEmpty() && !path.contains('\0');
}

MoveResult Moved()
{
    return MoveResult{true, 0, QString()};
}

MoveResult Failed(int error)
{
    return MoveResult{false, error, QString::fromLocal8Bit(std::strerror(error))};
}

int SystemRenameNoReplace(const char* from, const char* to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int SystemHardLink(const char* from, const char* to)
{
    return ::linkat(AT_FDCWD, from, AT_FDCWD, to, 0);
}

bool SameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool DirectoryExists(const QByteArray& path)
{
    struct stat st;
    return NamesSomething(path) && ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const QByteArray& path)
{
    if (!NamesSomething(path))
        return false;
    struct stat st;
    if (::stat(path.constData(), &st) == 0)
        return !S_ISDIR(st.st_mode);
    // The link itself stands there even when what it points to does not.
    return ::lstat(path.constData(), &st) == 0;
}

MoveSystemCalls RealMoveSystemCalls()
{
    return MoveSystemCalls{&SystemRenameNoReplace, &SystemHardLink};
}

MoveSystemCalls& CurrentMoveSystemCalls()
{
    static MoveSystemCalls calls = RealMoveSystemCalls();
    return calls;
}

MoveResult MoveFileNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (!NamesSomething(from) || !NamesSomething(to))
        return Failed(from.isEmpty() || to.isEmpty() ? ENOENT : EINVAL);
    const char* src = from.constData();
    const char* dst = to.constData();
    const MoveSystemCalls& calls = CurrentMoveSystemCalls();

    // One atomic step: the kernel refuses (EEXIST) whatever stands at the target, including the
    // source itself when both paths name one file.
    if (calls.renameNoReplace(src, dst) == 0)
        return Moved();
    if (errno != EINVAL && errno != ENOSYS)
        return Failed(errno);

    // The file system (some network and FUSE file systems, older kernels) cannot rename without
    // replacing. Creating a new name for the file is just as atomic and fails on any existing
    // target; once it exists, the old name goes.
    if (calls.hardLink(src, dst) == 0) {
        if (::unlink(src) == 0)
            return Moved();
        const int error = errno;
        // Take back the name we made, and only that one: the source must keep its one name.
        struct stat made, source;
        if (::lstat(dst, &made) == 0 && ::lstat(src, &source) == 0 && SameEntry(made, source))
            ::unlink(dst);
        return Failed(error);
    }
    const int linkError = errno;
    if (linkError != EPERM && linkError != EOPNOTSUPP && linkError != ENOSYS && linkError != EMLINK)
        return Failed(linkError);

    // No hard links either (FAT, exFAT, some FUSE file systems, or the source is a folder): look,
    // then rename. Another program could create the target in the moment between the two; this is
    // the narrow window every file manager accepts on such file systems.
    struct stat st;
    if (::lstat(dst, &st) == 0)
        return Failed(EEXIST);
    if (errno != ENOENT)
        return Failed(errno);
    if (::rename(src, dst) == 0)
        return Moved();
    return Failed(errno);
}
