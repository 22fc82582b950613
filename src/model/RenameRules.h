#pragma once
// The name rules of a rename, over the bytes of file names. A rename keeps the extension of the
// item's opening name, upper-cased, and puts the typed base name before it.

#include <QByteArray>

// The opening name from its last '.' to its end, the '.' included, with the letters a-z made A-Z;
// empty when the name holds no '.'. ("photo.Jpeg" -> ".JPEG", "notes" -> "")
QByteArray RenameExtension(const QByteArray& openingName);

// The typed bytes exactly as typed (blanks kept), followed by the opening name's extension.
QByteArray NewFileName(const QByteArray& typed, const QByteArray& openingName);

// The folder, a '/' unless the folder already ends in one, and the name: "/" and "a" give "/a".
QByteArray JoinFolderPath(const QByteArray& folder, const QByteArray& name);

// True when the typed name holds a '/' (which would move the file into another folder) or a NUL
// byte (which would cut the path short). Either makes it no name a file can take in its folder.
bool HoldsPathSeparator(const QByteArray& typed);
