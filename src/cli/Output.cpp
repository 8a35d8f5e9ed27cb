#include "cli/Output.h"

#include "leftovers/LeftoverKeys.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"

namespace zembra::cli {

namespace {

std::string jsonOpt(const OptString &s) { return s ? jsonString(*s) : "null"; }

std::string pathText(const std::filesystem::path &p) { return platform::displayPath(p).toStdString(); }

std::string padded(const QString &s, qsizetype width)
{
    return (s + QString(std::max<qsizetype>(0, width - s.size()), QLatin1Char(' '))).toStdString();
}

} // namespace

std::string jsonString(const QString &text)
{
    std::string out = "\"";
    for (char c : text.toStdString()) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonItem(const ItemRecord &item)
{
    const auto url = item.url();
    return "{\"label\": " + jsonOpt(item.label()) + ", \"label_name\": " + jsonOpt(item.label_name()) +
           ", \"url\": " + (url ? jsonString(platform::displayPath(*url)) : std::string("null")) +
           ", \"bundle\": " + jsonOpt(item.bundle()) + ", \"bundle_name\": " + jsonOpt(item.bundle_name()) +
           ", \"bundle_name_info\": " + jsonOpt(item.bundle_name_info()) +
           ", \"executable_info\": " + jsonOpt(item.executable_info()) +
           ", \"company_name\": " + jsonOpt(item.company_name()) + "}";
}

std::string jsonEntries(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes, bool withSizes)
{
    std::string out = "[";
    for (size_t i = 0; i < files.size(); ++i) {
        out += i ? ", " : "";
        const FileEntry &f = files[i];
        if (!f.isFileURL()) {
            out += "{\"marker\": " + jsonString(f.absoluteString()) + "}";
            continue;
        }
        out += "{\"path\": " + jsonString(platform::displayPath(f.path()));
        if (withSizes)
            out += ", \"size\": " + std::to_string(i < sizes.size() ? sizes[i].byteCount() : 0);
        out += "}";
    }
    return out + "]";
}

std::string jsonLeftovers(const ItemRecord &item, const std::vector<FileEntry> &files,
                          const std::vector<SizeEntry> &sizes, bool withSizes)
{
    return "{\"item\": " + jsonItem(item) + ", \"files\": " + jsonEntries(files, sizes, withSizes) + "}\n";
}

std::string itemTable(const std::vector<const ItemRecord *> &items, const QString &emptyText)
{
    if (items.empty())
        return emptyText.toStdString() + "\n";
    const QString labelTitle = QStringLiteral("NAME"), idTitle = QStringLiteral("IDENTIFIER");
    qsizetype labelWidth = labelTitle.size(), idWidth = idTitle.size();
    for (const ItemRecord *i : items) {
        labelWidth = std::max(labelWidth, i->label().value_or(QString()).size());
        idWidth = std::max(idWidth, i->bundle().value_or(QStringLiteral("-")).size());
    }
    std::string out = padded(labelTitle, labelWidth) + "  " + padded(idTitle, idWidth) + "  FOLDER\n";
    for (const ItemRecord *i : items) {
        const auto url = i->url();
        out += padded(i->label().value_or(QString()), labelWidth) + "  " +
               padded(i->bundle().value_or(QStringLiteral("-")), idWidth) + "  " +
               (url ? pathText(url->parent_path()) : std::string()) + "\n";
    }
    return out;
}

std::string leftoverText(const ItemRecord &item, const std::vector<FileEntry> &files,
                         const std::vector<SizeEntry> &sizes, bool withSizes)
{
    std::string out = item.label().value_or(QString()).toStdString();
    if (const auto bundle = item.bundle())
        out += " (" + bundle->toStdString() + ")";
    out += "\n";
    std::uint64_t total = 0;
    size_t count = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &f = files[i];
        if (!f.isFileURL()) {
            out += '\n';
            out += leftovers::groupTitle(f.absoluteString()).toStdString();
            out += '\n';
            continue;
        }
        ++count;
        if (withSizes) {
            const std::uint64_t size = i < sizes.size() ? sizes[i].byteCount() : 0;
            total += size;
            out += padded(platform::formatByteCount(size), 10) + "  ";
        }
        out += "  " + pathText(f.path()) + "\n";
    }
    out += '\n';
    out += std::to_string(count);
    out += count == 1 ? " entry" : " entries";
    if (withSizes)
        out += ", " + platform::formatByteCount(total).toStdString();
    return out + "\n";
}

void print(const std::string &text, FILE *to)
{
    std::fwrite(text.data(), 1, text.size(), to);
    std::fflush(to);
}

} // namespace zembra::cli
