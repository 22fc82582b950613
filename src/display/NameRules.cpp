#include "NameRules.h"

#include "platform/NarrowText.h"

QByteArray NameWithoutExtension(const QByteArray& name)
{
    const qsizetype last = LastCharIndex(name, ".\\:");
    return last >= 0 && name[last] == '.' ? name.left(last) : name;
}

QByteArray DisplayExtension(const QByteArray& name)
{
    const qsizetype last = LastCharIndex(name, ".\\:");
    return last >= 0 && name[last] == '.' ? UpperAsciiLetters(name.mid(last)) : QByteArray();
}

bool IsJpegName(const QByteArray& name)
{
    const QByteArray extension = DisplayExtension(name);
    return extension == ".JPG" || extension == ".JPEG";
}
