#pragma once
// How the display reads an item's name: the name field's text and the photo test.

#include <QByteArray>

// The name cut before its extension: when the last of '.', '\' and ':' in it is a '.', the part
// before that '.'; otherwise the whole name.
QByteArray NameWithoutExtension(const QByteArray& name);

// The name's extension for the photo test: from its last '.' to its end when neither '\' nor ':'
// follows that '.', upper-cased a-z; otherwise empty.
QByteArray DisplayExtension(const QByteArray& name);

// Whether a frame shows the item: its extension reads ".JPG" or ".JPEG".
bool IsJpegName(const QByteArray& name);
