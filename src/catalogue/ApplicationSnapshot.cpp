#include "catalogue/ApplicationSnapshot.h"

#include "catalogue/BundleIdentity.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/Utf8.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>
#include <unordered_set>
#include <utility>

namespace zembra {

namespace {

using Field = OptString (ItemRecord::*)() const;
using Setter = void (ItemRecord::*)(OptString);

struct TextField {
    const char *name;
    Field get;
    Setter set;
};

const TextField kFields[] = {
    {"label", &ItemRecord::label, &ItemRecord::setLabel},
    {"label_name", &ItemRecord::label_name, &ItemRecord::setLabel_name},
    {"bundle", &ItemRecord::bundle, &ItemRecord::setBundle},
    {"bundle_name", &ItemRecord::bundle_name, &ItemRecord::setBundle_name},
    {"bundle_name_info", &ItemRecord::bundle_name_info, &ItemRecord::setBundle_name_info},
    {"executable_info", &ItemRecord::executable_info, &ItemRecord::setExecutable_info},
    {"company_name", &ItemRecord::company_name, &ItemRecord::setCompany_name},
};

std::optional<std::filesystem::path> getPath(const QJsonObject &o, const char *name) {
    const QJsonValue exact = o.value(QLatin1String(name) + QLatin1String("_bytes"));
    if (exact.isString())
        return std::filesystem::path(
            QByteArray::fromBase64(exact.toString().toLatin1()).toStdString());
    const QJsonValue text = o.value(QLatin1String(name));
    if (!text.isString() || text.toString().isEmpty())
        return std::nullopt;
    return platform::pathFromText(text.toString());
}

// The file is written by hand, one record a line: building a document of thousands of
// objects first cost several times the writing.
void putString(QByteArray &out, const QString &text) {
    static const char kHex[] = "0123456789abcdef";
    out.append('"');
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out.append('\\').append(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out.append("\\u00").append(kHex[c >> 4]).append(kHex[c & 0xf]);
        } else {
            out.append(c);
        }
    }
    out.append('"');
}

void putKey(QByteArray &out, const char *name, bool first = false) {
    if (!first)
        out.append(", ");
    out.append('"').append(name).append("\": ");
}

// A path as text, with its exact bytes beside it where they are not UTF-8.
void putPathText(QByteArray &out, const char *name, const std::filesystem::path &path,
                 bool first = false) {
    putKey(out, name, first);
    putString(out, platform::displayPath(path));
    if (!platform::isUtf8(path.native())) {
        out.append(", \"").append(name).append("_bytes\": \"");
        out.append(QByteArray::fromStdString(path.native()).toBase64()).append('"');
    }
}

void putRecord(QByteArray &out, const RememberedApplication &r) {
    out.append('{');
    bool first = true;
    for (const TextField &f : kFields) {
        putKey(out, f.name, std::exchange(first, false));
        if (const OptString v = ((*r.item).*f.get)())
            putString(out, *v);
        else
            out.append("null");
    }
    if (const auto url = r.item->url()) {
        putPathText(out, "url", *url);
    } else {
        putKey(out, "url");
        out.append("null");
    }
    putKey(out, "installed");
    out.append(r.installed ? "true" : "false");
    if (!r.installed && r.goneSince.isValid()) {
        putKey(out, "gone_since");
        putString(out, r.goneSince.toUTC().toString(Qt::ISODate));
    }
    out.append('}');
}

RememberedApplication fromJson(const QJsonObject &o) {
    RememberedApplication r;
    r.item = std::make_shared<ApplicationItem>();
    for (const TextField &f : kFields) {
        const QJsonValue v = o.value(QLatin1String(f.name));
        ((*r.item).*f.set)(v.isString() ? OptString(v.toString()) : std::nullopt);
    }
    r.item->setUrl(getPath(o, "url"));
    r.installed = o.value(QLatin1String("installed")).toBool(true);
    if (!r.installed)
        r.goneSince =
            QDateTime::fromString(o.value(QLatin1String("gone_since")).toString(), Qt::ISODate);
    return r;
}

std::shared_ptr<ApplicationItem> copyOf(const ApplicationItem &item) {
    return std::make_shared<ApplicationItem>(item);
}

} // namespace

QString rememberedKey(const ItemRecord &item) {
    const OptString bundle = item.bundle();
    if (bundle && !bundle->isEmpty())
        return *bundle;
    const auto url = item.url();
    return url ? platform::displayPath(*url) : QString();
}

namespace {
// Far beyond kRememberedGoneLimit records and a large Applications folder.
constexpr std::uint64_t kMaxSnapshotBytes = 64u << 20;
} // namespace

std::filesystem::path snapshotFile(const QString &settingsFolder) {
    return platform::pathFromText(settingsFolder + QLatin1String("/remembered-applications.json"));
}

ApplicationSnapshot readSnapshot(const std::filesystem::path &file) {
    ApplicationSnapshot snapshot;
    // Never through a link, never blocked by a FIFO in its place.
    const platform::FolderHandle folder =
        platform::FolderHandle::openFolder(file.parent_path(), false);
    const std::optional<QByteArray> bytes =
        folder.readFile(file.filename().native(), kMaxSnapshotBytes);
    if (!bytes)
        return snapshot;
    const QJsonObject root = QJsonDocument::fromJson(*bytes).object();
    snapshot.applicationsFolder =
        getPath(root, "applications_folder").value_or(std::filesystem::path());
    for (const QJsonValue &v : root.value(QLatin1String("applications")).toArray()) {
        if (!v.isObject())
            continue;
        RememberedApplication r = fromJson(v.toObject());
        if (!rememberedKey(*r.item).isEmpty())
            snapshot.applications.push_back(std::move(r));
    }
    return snapshot;
}

QByteArray snapshotJson(const ApplicationSnapshot &snapshot) {
    QByteArray out;
    out.reserve(qsizetype(snapshot.applications.size()) * 400 + 256);
    out.append('{');
    putPathText(out, "applications_folder", snapshot.applicationsFolder, true);
    out.append(",\n\"applications\": [");
    for (size_t i = 0; i < snapshot.applications.size(); ++i) {
        out.append(i == 0 ? "\n" : ",\n");
        putRecord(out, snapshot.applications[i]);
    }
    out.append("\n]}\n");
    return out;
}

bool writeSnapshot(const std::filesystem::path &file, const ApplicationSnapshot &snapshot) {
    return writeSnapshotJson(file, snapshotJson(snapshot));
}

bool writeSnapshotJson(const std::filesystem::path &file, const QByteArray &json) {
    // A temporary file beside it, renamed into place; a link or a FIFO in its place is
    // refused, never written through.
    const platform::FolderHandle folder =
        platform::FolderHandle::openFolder(file.parent_path(), false);
    return folder.replaceFile(file.filename().native(), json);
}

bool sameSnapshot(const ApplicationSnapshot &a, const ApplicationSnapshot &b) {
    if (a.applicationsFolder != b.applicationsFolder ||
        a.applications.size() != b.applications.size())
        return false;
    for (size_t i = 0; i < a.applications.size(); ++i) {
        const RememberedApplication &x = a.applications[i], &y = b.applications[i];
        if (x.installed != y.installed || x.item->url() != y.item->url() ||
            (!x.installed && x.goneSince != y.goneSince))
            return false;
        for (const TextField &f : kFields)
            if (((*x.item).*f.get)() != ((*y.item).*f.get)())
                return false;
    }
    return true;
}

std::shared_ptr<ApplicationItem> rememberedApplication(const ApplicationSnapshot &snapshot,
                                                       const QString &key) {
    for (const RememberedApplication &r : snapshot.applications)
        if (rememberedKey(*r.item) == key)
            return reviewableCopy(*r.item);
    return nullptr;
}

std::shared_ptr<ApplicationItem> reviewableCopy(const ApplicationItem &remembered) {
    auto copy = copyOf(remembered);
    if (const auto url = copy->url(); url && !isSameApplication(remembered, *url))
        copy->setUrl(std::nullopt);
    return copy;
}

SnapshotChange refreshSnapshot(const ApplicationSnapshot &previous,
                               const std::filesystem::path &applicationsFolder,
                               const ApplicationList &installed,
                               const ApplicationList &trashArrivals,
                               const std::function<bool(const QString &key)> &removedByZembra,
                               const QDateTime &now) {
    SnapshotChange change;
    change.snapshot.applicationsFolder = applicationsFolder;
    std::set<QString> keys; // every key already in the next snapshot

    // Two copies of one application share a key: the first in list order stands for both.
    // Installed records are shared with the list, not copied: neither changes a record.
    for (const auto &item : installed) {
        const QString key = rememberedKey(*item);
        if (!key.isEmpty() && keys.insert(key).second)
            change.snapshot.applications.push_back({item, true, {}});
    }

    // A listing of another folder says nothing about what left this one.
    const bool sameFolder = previous.applicationsFolder == applicationsFolder;
    // Gone records stay in the order they were noticed: those remembered before, then
    // those that left now.
    std::vector<RememberedApplication> gone, leftNow;
    // A record the list still holds (the same object) is installed: its key is in already.
    // Only the others are looked at, so one removal does not go through ten thousand keys.
    std::unordered_set<const ApplicationItem *> listed;
    listed.reserve(installed.size());
    for (const auto &item : installed)
        listed.insert(item.get());
    for (const RememberedApplication &r : previous.applications) {
        if (listed.count(r.item.get()))
            continue;
        const QString key = rememberedKey(*r.item);
        if (keys.count(key))
            continue;
        if (!r.installed) {
            gone.push_back(r);
            keys.insert(key);
        } else if (sameFolder && !removedByZembra(key)) {
            leftNow.push_back({copyOf(*r.item), false, now});
            change.gone.push_back(copyOf(*r.item));
            keys.insert(key);
        }
    }
    // A trashed bundle is tied to an application by its identifier only: without one its
    // key would be its path in the Trash, which no installed application ever had.
    for (const auto &item : trashArrivals) {
        const OptString id = item->bundle();
        const QString key = rememberedKey(*item);
        if (!id || id->isEmpty() || keys.count(key) || removedByZembra(key))
            continue;
        leftNow.push_back({copyOf(*item), false, now});
        change.gone.push_back(copyOf(*item));
        keys.insert(key);
    }

    gone.insert(gone.end(), leftNow.begin(), leftNow.end());
    // The oldest are forgotten first.
    if (gone.size() > kRememberedGoneLimit)
        gone.erase(gone.begin(),
                   gone.begin() + static_cast<std::ptrdiff_t>(gone.size() - kRememberedGoneLimit));
    change.snapshot.applications.insert(change.snapshot.applications.end(), gone.begin(),
                                        gone.end());
    return change;
}

} // namespace zembra
