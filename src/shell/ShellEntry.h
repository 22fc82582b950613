#pragma once
// What a snapshot knows of one folder entry.

#include "DetailColumns.h"

#include <QByteArray>
#include <optional>

struct ShellEntry {
    QByteArray name;
    bool isFolder = false;
    // The item's details, read at the first detail asked of it and kept for the life of the
    // snapshot (one shell object), so that the twenty lines of one refresh read the file once.
    mutable std::optional<ItemDetails> details;
};
