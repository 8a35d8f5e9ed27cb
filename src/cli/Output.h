#pragma once
// How the command line prints records and leftover lists: JSON for programs, aligned
// text for people.

#include "catalogue/ItemRecord.h"
#include "leftovers/Review.h"

#include <QString>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zembra::cli {

// What a row of a list carries beside its path: the other applications that use it
// (flagged rows), the reason of a related row, and why a removal would keep it.
struct RowNote {
    QStringList also;
    bool shared = false;
    bool related = false;
    bool weak = false;     // found only by weak name keys
    bool tied = false;     // a related row tied to the application itself: ticked
    QString reason;        // why the row starts unticked (or why a related row is offered)
    QString kept;          // "" : the row would be removed (or nothing is being removed)
    bool removing = false; // a removal deletes this row (an unmarked row, or one --include'd)
};
// One note per row of `review`; `kept` (one per row, or empty) from Review::keptReasons:
// given, every file row it does not keep is one the removal deletes.
std::vector<RowNote> rowNotes(const leftovers::Review &review, const std::vector<QString> &kept);

std::string jsonString(const QString &text);
std::string jsonItem(const ItemRecord &item);
// ENTRY objects, a path once; `withSizes` false leaves the sizes out (nothing computed them).
// With `notes`, an ENTRY also gets "also": [NAMES], "weak": true, "related": true and
// "reason", and "kept": REASON, each only where it applies.
std::string jsonEntries(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                        bool withSizes, const std::vector<RowNote> &notes = {});

template <typename Record>
std::string jsonItems(const std::vector<std::shared_ptr<Record>> &items) {
    std::string out = "{\"items\": [";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + jsonItem(*items[i]);
    return out + "]}\n";
}

std::string jsonLeftovers(const ItemRecord &item, const std::vector<FileEntry> &files,
                          const std::vector<SizeEntry> &sizes, bool withSizes,
                          const std::vector<RowNote> &notes = {});

// A table of label, identifier and folder.
template <typename Record>
std::vector<const ItemRecord *> asRecords(const std::vector<std::shared_ptr<Record>> &items) {
    std::vector<const ItemRecord *> out;
    for (const auto &i : items)
        out.push_back(i.get());
    return out;
}
std::string itemTable(const std::vector<const ItemRecord *> &items, const QString &emptyText);

// The grouped list with group titles and formatted sizes. A row with a note shows a mark
// after its path: "! also NAME" / "! shared with NAME", "~ weak match" for a row only
// weak name keys found, "? REASON" for a related row, "- kept: REASON" for a row a
// removal keeps. The total counts the rows a removal deletes (or, outside a removal, the
// unmarked ones). A path is listed once, however many rows (keys, groups) found it.
std::string leftoverText(const ItemRecord &item, const std::vector<FileEntry> &files,
                         const std::vector<SizeEntry> &sizes, bool withSizes,
                         const std::vector<RowNote> &notes = {});

// Human output shows names through platform::visiblyEscaped; JSON escapes the same
// characters, and an ENTRY whose path is not UTF-8 also carries "path_bytes" (base64).
void print(const std::string &text, FILE *to = stdout);
// The first error (errno) met writing standard output; 0 when every write went through.
int stdoutError();

} // namespace zembra::cli
