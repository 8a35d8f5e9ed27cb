#pragma once
// How the command line prints records and leftover lists: JSON for programs, aligned
// text for people.

#include "catalogue/ItemRecord.h"

#include <QString>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zembra::cli {

std::string jsonString(const QString &text);
std::string jsonItem(const ItemRecord &item);
// ENTRY objects; `withSizes` false leaves the sizes out (nothing computed them).
std::string jsonEntries(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes, bool withSizes);

template <typename Record>
std::string jsonItems(const std::vector<std::shared_ptr<Record>> &items)
{
    std::string out = "{\"items\": [";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + jsonItem(*items[i]);
    return out + "]}\n";
}

std::string jsonLeftovers(const ItemRecord &item, const std::vector<FileEntry> &files,
                          const std::vector<SizeEntry> &sizes, bool withSizes);

// A table of label, identifier and folder.
template <typename Record>
std::vector<const ItemRecord *> asRecords(const std::vector<std::shared_ptr<Record>> &items)
{
    std::vector<const ItemRecord *> out;
    for (const auto &i : items)
        out.push_back(i.get());
    return out;
}
std::string itemTable(const std::vector<const ItemRecord *> &items, const QString &emptyText);

// The grouped list with group titles and formatted sizes.
std::string leftoverText(const ItemRecord &item, const std::vector<FileEntry> &files,
                         const std::vector<SizeEntry> &sizes, bool withSizes);

// Human output shows names through platform::visiblyEscaped; JSON escapes the same
// characters, and an ENTRY whose path is not UTF-8 also carries "path_bytes" (base64).
void print(const std::string &text, FILE *to = stdout);
// The first error (errno) met writing standard output; 0 when every write went through.
int stdoutError();

} // namespace zembra::cli
