#include "cli/Output.h"

#include "leftovers/LeftoverKeys.h"
#include "leftovers/Selection.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Utf8.h"
#include "platform/VisibleText.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <filesystem>
#include <set>

namespace zembra::cli {

namespace {

std::string jsonOpt(const OptString &s) {
    return s ? jsonString(*s) : "null";
}

std::string pathText(const std::filesystem::path &p) {
    return platform::visiblyEscaped(p.native()).toStdString();
}

std::string visible(const QString &text) {
    return platform::visiblyEscaped(text).toStdString();
}

int g_stdoutError = 0;

std::string padded(const QString &s, qsizetype width) {
    return (s + QString(std::max<qsizetype>(0, width - s.size()), QLatin1Char(' '))).toStdString();
}

} // namespace

std::string jsonString(const QString &text) {
    // Beyond what JSON requires (quote, backslash, C0), DEL, C1, the line separators and
    // the bidirectional controls are escaped too: JSON shown on a terminal stays honest.
    std::string out = "\"";
    for (char32_t c : text.toUcs4()) {
        switch (c) {
        case '"':
            out += "\\\"";
            continue;
        case '\\':
            out += "\\\\";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (platform::isInvisibleControl(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(c));
            out += buf;
        } else {
            platform::appendUtf8(out, c);
        }
    }
    return out + "\"";
}

std::string jsonItem(const ItemRecord &item) {
    const auto url = item.url();
    return "{\"label\": " + jsonOpt(item.label()) +
           ", \"label_name\": " + jsonOpt(item.label_name()) +
           ", \"url\": " + (url ? jsonString(platform::displayPath(*url)) : std::string("null")) +
           ", \"bundle\": " + jsonOpt(item.bundle()) +
           ", \"bundle_name\": " + jsonOpt(item.bundle_name()) +
           ", \"bundle_name_info\": " + jsonOpt(item.bundle_name_info()) +
           ", \"executable_info\": " + jsonOpt(item.executable_info()) +
           ", \"company_name\": " + jsonOpt(item.company_name()) + "}";
}

std::vector<RowNote> rowNotes(const leftovers::Review &review, const std::vector<QString> &kept) {
    std::vector<RowNote> notes(review.files.size());
    for (size_t i = 0; i < notes.size(); ++i) {
        if (i < review.flags.size()) {
            notes[i].also = review.flags[i].others;
            notes[i].shared = review.flags[i].shared;
        }
        notes[i].weak = review.isWeak(i);
        notes[i].related = review.isRelated(i);
        notes[i].tied = review.isTied(i);
        if (notes[i].related)
            notes[i].reason = review.reasons[i];
        else if (review.isNotAllowed(i))
            notes[i].reason = leftovers::kKeptNotAllowed;
        else if (i < review.flags.size() && review.flags[i].flagged())
            notes[i].reason = review.flags[i].keptReason();
        else if (notes[i].weak)
            notes[i].reason = leftovers::kKeptWeakMatch;
        if (i < kept.size()) {
            notes[i].kept = kept[i];
            notes[i].removing = kept[i].isEmpty() && review.files[i].isFileURL();
        }
    }
    return notes;
}

std::string jsonEntries(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                        bool withSizes, const std::vector<RowNote> &notes) {
    std::string out = "[";
    std::set<std::filesystem::path> listed;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &f = files[i];
        if (f.isFileURL() && !listed.insert(f.path()).second)
            continue; // one entry, found twice
        out += out.size() > 1 ? ", " : "";
        if (!f.isFileURL()) {
            out += "{\"marker\": " + jsonString(f.absoluteString()) + "}";
            continue;
        }
        const std::string &bytes = f.path().native();
        out += "{\"path\": " + jsonString(platform::displayPath(f.path()));
        if (!platform::isUtf8(bytes)) // the text above lost bytes: give them exactly
            out += ", \"path_bytes\": \"" +
                   QByteArray(bytes.data(), qsizetype(bytes.size())).toBase64().toStdString() +
                   "\"";
        if (withSizes)
            out += ", \"size\": " + std::to_string(i < sizes.size() ? sizes[i].byteCount() : 0);
        if (i < notes.size()) {
            const RowNote &n = notes[i];
            if (!n.also.isEmpty()) {
                out += ", \"also\": [";
                for (qsizetype k = 0; k < n.also.size(); ++k)
                    out += (k ? ", " : "") + jsonString(n.also[k]);
                out += "]";
            }
            if (n.weak)
                out += ", \"weak\": true";
            if (n.related)
                out += ", \"related\": true";
            if (n.tied)
                out += ", \"tied\": true";
            if (!n.reason.isEmpty())
                out += ", \"reason\": " + jsonString(n.reason);
            if (!n.kept.isEmpty())
                out += ", \"kept\": " + jsonString(n.kept);
        }
        out += "}";
    }
    return out + "]";
}

std::string jsonLeftovers(const ItemRecord &item, const std::vector<FileEntry> &files,
                          const std::vector<SizeEntry> &sizes, bool withSizes,
                          const std::vector<RowNote> &notes) {
    return "{\"item\": " + jsonItem(item) +
           ", \"files\": " + jsonEntries(files, sizes, withSizes, notes) + "}\n";
}

std::string itemTable(const std::vector<const ItemRecord *> &items, const QString &emptyText) {
    if (items.empty())
        return emptyText.toStdString() + "\n";
    const QString labelTitle = QStringLiteral("NAME"), idTitle = QStringLiteral("IDENTIFIER");
    qsizetype labelWidth = labelTitle.size(), idWidth = idTitle.size();
    for (const ItemRecord *i : items) {
        labelWidth =
            std::max(labelWidth, platform::visiblyEscaped(i->label().value_or(QString())).size());
        idWidth = std::max(
            idWidth, platform::visiblyEscaped(i->bundle().value_or(QStringLiteral("-"))).size());
    }
    std::string out =
        padded(labelTitle, labelWidth) + "  " + padded(idTitle, idWidth) + "  FOLDER\n";
    for (const ItemRecord *i : items) {
        const auto url = i->url();
        out +=
            padded(platform::visiblyEscaped(i->label().value_or(QString())), labelWidth) + "  " +
            padded(platform::visiblyEscaped(i->bundle().value_or(QStringLiteral("-"))), idWidth) +
            "  " + (url ? pathText(url->parent_path()) : std::string()) + "\n";
    }
    return out;
}

std::string leftoverText(const ItemRecord &item, const std::vector<FileEntry> &files,
                         const std::vector<SizeEntry> &sizes, bool withSizes,
                         const std::vector<RowNote> &notes) {
    std::string out = visible(item.label().value_or(QString()));
    if (const auto bundle = item.bundle())
        out += " (" + visible(*bundle) + ")";
    out += "\n";
    std::vector<bool> counted(files.size(), false);
    size_t count = 0, kept = 0, unticked = 0;
    std::set<std::filesystem::path> listed;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &f = files[i];
        if (!f.isFileURL()) {
            out += '\n';
            out += leftovers::groupTitle(f.absoluteString()).toStdString();
            out += '\n';
            continue;
        }
        if (!listed.insert(f.path()).second)
            continue; // one entry, found twice: listed and counted once
        const std::uint64_t size = withSizes && i < sizes.size() ? sizes[i].byteCount() : 0;
        if (withSizes)
            out += padded(platform::formatByteCount(size), 10) + "  ";
        out += "  " + pathText(f.path());
        const RowNote note = i < notes.size() ? notes[i] : RowNote{};
        const auto marks = [&] {
            out += note.related ? "  ? " + visible(note.reason) : std::string();
            out += note.weak ? "  ~ " + leftovers::kKeptWeakMatch.toStdString() : std::string();
            if (!note.also.isEmpty())
                out += std::string("  ! ") + (note.shared ? "shared with " : "also ") +
                       visible(note.also.join(QStringLiteral(", ")));
        };
        if (!note.kept.isEmpty()) {
            out += "  - kept: " + visible(note.kept);
            ++kept;
        } else if (note.removing) {
            marks(); // marked, but --include'd: it goes, so it counts
            ++count;
            counted[i] = true;
        } else if (!note.also.isEmpty() || note.related || note.weak) {
            marks();
            ++unticked;
        } else {
            ++count;
            counted[i] = true;
        }
        out += "\n";
    }
    out += '\n';
    out += std::to_string(count);
    out += count == 1 ? " entry" : " entries";
    if (withSizes) {
        const std::uint64_t total =
            leftovers::freedBytes(files, sizes, [&](size_t i) { return counted[i]; });
        out += ", " + platform::formatByteCount(total).toStdString();
    }
    if (kept)
        out += "; " + std::to_string(kept) + " kept";
    if (unticked)
        out +=
            "; " + std::to_string(unticked) +
            " more marked (another application's, a weak match, or possibly related), not counted";
    return out + "\n";
}

void print(const std::string &text, FILE *to) {
    const bool written =
        std::fwrite(text.data(), 1, text.size(), to) == text.size() && std::fflush(to) == 0;
    if (!written && to == stdout && g_stdoutError == 0)
        g_stdoutError = errno ? errno : EIO;
}

int stdoutError() {
    return g_stdoutError;
}

} // namespace zembra::cli
