#include "RenameRules.h"

#include "platform/NarrowText.h"

QByteArray RenameExtension(const QByteArray& openingName)
{
    const qsizetype dot = LastCharIndex(openingName, ".");
    if (dot < 0)
        return QByteArray();
    // Upper-cased as part of the whole name, so that the name's encoding decides which bytes are
    // letters; the bytes keep their places, so the '.' is still at `dot`.
    return UpperAsciiLetters(openingName).mid(dot);
}

QByteArray NewFileName(const QByteArray& typed, const QByteArray& openingName)
{
    return typed + RenameExtension(openingName);
}

QByteArray JoinFolderPath(const QByteArray& folder, const QByteArray& name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

bool HoldsPathSeparator(const QByteArray& typed)
{
    return typed.contains('/') || typed.contains('\0');
}
