#pragma once
// What a snapshot knows of one folder entry.

#include <QByteArray>

struct ShellEntry {
    QByteArray name;
    bool isFolder = false;
};
