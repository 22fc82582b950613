#pragma once
// The few file-system services the program needs: is there a folder, is there a file, and a move
// of one file that never replaces anything at its target. Paths are bytes, exactly as the file
// system takes them; a path holding a NUL byte names nothing (it would be cut short there).

#include <QByteArray>
#include <QString>

// True when the path names a directory (symbolic links followed).
bool DirectoryExists(const QByteArray& path);

// True when something other than a folder stands at the path: a file of any kind, a link to one,
// and also a link that leads nowhere (dangling, or a loop) — its name is taken all the same, and
// the move below would refuse it. A folder, or a link to a folder, does not count.
bool FileExists(const QByteArray& path);

struct MoveResult {
    bool succeeded = false;
    int error = 0;  // errno of the step that failed; 0 on success
    QString reason; // the system's text for `error`; empty on success
};

// Moves `from` to `to` within one file system. Never replaces what stands at `to` (a file, a
// folder, a link, even a dangling one) and never loses the source, also when both name the same
// file. On failure nothing has changed.
MoveResult MoveFileNoReplace(const QByteArray& from, const QByteArray& to);

// The two system calls the move is built on, so that tests can make them fail. Each returns 0, or
// -1 with errno set, as the system calls do.
struct MoveSystemCalls {
    int (*renameNoReplace)(const char* from, const char* to); // renameat2(..., RENAME_NOREPLACE)
    int (*hardLink)(const char* from, const char* to);        // linkat(..., 0): no link followed
};

// The real calls.
MoveSystemCalls RealMoveSystemCalls();

// The calls MoveFileNoReplace makes; the real ones unless a test has put others in.
MoveSystemCalls& CurrentMoveSystemCalls();
