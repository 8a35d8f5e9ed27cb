#pragma once
// The twelve fields that every removable item carries: what the lists show, the identity
// strings the leftover search matches names against, and the search's results.
//
// Every accessor reads or replaces the whole value under the record's lock, so a screen
// may read `files` and `sizes` while a worker replaces them. An unset field is
// std::nullopt (shown as null), which is not the same as an empty string.

#include "catalogue/FileEntry.h"
#include "catalogue/ImageRef.h"

#include <QString>

#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace zembra {

using OptString = std::optional<QString>;

class ItemRecord {
public:
    ItemRecord() = default;
    ItemRecord(const ItemRecord &other);
    ItemRecord &operator=(const ItemRecord &other);
    virtual ~ItemRecord() = default;

#define ZEMBRA_FIELD(Type, name, Setter)                                                           \
    Type name() const {                                                                            \
        std::lock_guard lock(m_mutex);                                                             \
        return m_##name;                                                                           \
    }                                                                                              \
    void Setter(Type value) {                                                                      \
        std::lock_guard lock(m_mutex);                                                             \
        m_##name = std::move(value);                                                               \
    }

    ZEMBRA_FIELD(OptString, label, setLabel)
    ZEMBRA_FIELD(OptString, label_name, setLabel_name)
    ZEMBRA_FIELD(std::optional<std::filesystem::path>, url, setUrl)
    ZEMBRA_FIELD(std::optional<ImageRef>, icon, setIcon)
    ZEMBRA_FIELD(std::optional<ImageRef>, app_icon, setApp_icon)
    ZEMBRA_FIELD(OptString, bundle, setBundle)
    ZEMBRA_FIELD(OptString, bundle_name, setBundle_name)
    ZEMBRA_FIELD(OptString, bundle_name_info, setBundle_name_info)
    ZEMBRA_FIELD(OptString, executable_info, setExecutable_info)
    ZEMBRA_FIELD(OptString, company_name, setCompany_name)
    ZEMBRA_FIELD(std::vector<SizeEntry>, sizes, setSizes)
#undef ZEMBRA_FIELD

    std::vector<FileEntry> files() const;
    // Replaces `files`; the weak rows of an earlier search no longer apply.
    void setFiles(std::vector<FileEntry> value);
    // What the leftover search found, with one flag per row: true where only weak name
    // keys found the row (such a row starts unticked).
    void setFiles(std::vector<FileEntry> value, std::vector<bool> weakRows);
    // One flag per row of `files` as the search set them; empty when `files` was set
    // otherwise.
    std::vector<bool> weakRows() const;

private:
    void copyFrom(const ItemRecord &other);

    mutable std::mutex m_mutex;
    OptString m_label;
    OptString m_label_name;
    std::optional<std::filesystem::path> m_url;
    std::optional<ImageRef> m_icon;
    std::optional<ImageRef> m_app_icon;
    OptString m_bundle;
    OptString m_bundle_name;
    OptString m_bundle_name_info;
    OptString m_executable_info;
    OptString m_company_name;
    std::vector<FileEntry> m_files;
    std::vector<SizeEntry> m_sizes;
    std::vector<bool> m_weakRows;
};

// An installed application, or a preference pane (it goes through the same review).
class ApplicationItem : public ItemRecord {};

// A plug-in: removed without review.
class BundleItem : public ItemRecord {};

// A Safari extension: its `url` is the archive file in Safari's extensions folder.
class SafariItem : public ApplicationItem {};

} // namespace zembra
