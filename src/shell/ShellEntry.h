#pragma once
// What a snapshot of a folder holds: its entries in the shell's order, an index of their names,
// and the details read of its items.

#include "DetailColumns.h"

#include <QByteArray>
#include <QHash>
#include <memory>
#include <unordered_map>
#include <vector>

struct ShellEntry {
    QByteArray name;
    bool isFolder = false;
};

// The entries of a folder in the shell's order, and where each name stands. It depends on nothing
// but the entries (their names and which are folders), so snapshots that read the very same
// entries share one listing. Never changed once made.
struct ShellListing {
    std::vector<ShellEntry> entries;
    // Index of each name in `entries`. Names within a folder are unique; were one given twice,
    // its first index is kept, which is where a walk from index 0 would stop.
    QHash<QByteArray, int> indexOfName;
};

// What one `Items` call saw.
struct ShellSnapshot {
    QByteArray folderPath;
    std::shared_ptr<const ShellListing> listing;
    // The details of an item (by index), read at the first detail asked of it and kept for the
    // life of the snapshot (one shell object), so that the twenty lines of one refresh read the
    // file once.
    mutable std::unordered_map<int, ItemDetails> details;
};
