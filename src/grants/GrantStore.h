#pragma once
// The stored folder grants: the Applications folder, the home folder and the root of the
// startup disk. Every user resolves a grant itself, each time it needs the folder;
// resolving only reads. The right to delete is built from the valid grants, once for a
// removal (deletionScope). Safe from any thread.

#include "platform/DeletionScope.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace zembra::grants {

struct Resolution {
    std::optional<std::filesystem::path> folder;
    bool stale = false;
};

class GrantStore {
public:
    explicit GrantStore(platform::SettingsStore &settings) : m_settings(settings) {}

    // Stores the folder the user picked under `key`, whatever it is; the whole-disk grant
    // also sets "AllowAny" to 1. Written to disk at once.
    void createGrant(const QString &key, const std::filesystem::path &folder);

    // Reads and resolves the grant; changes nothing.
    Resolution resolve(const QString &key) const;

    // The validity test of a grant: it resolves, is not stale and names the expected
    // folder ("Applications", the login name, or "/"; any folder given as the root on the
    // command line).
    bool isValid(const QString &key) const;

    // The system folders are searched when "AllowAny" is 1 and the whole-disk grant
    // did not resolve stale; the folder's name is not tested.
    bool systemFoldersAllowed(const Resolution &macOS) const;

    // The folders a listing reads: the home folder, and the whole disk's root only when
    // the system folders are allowed (nothing where a grant does not resolve).
    struct ListingRoots {
        std::optional<std::filesystem::path> home;
        std::optional<std::filesystem::path> system;
    };
    ListingRoots listingRoots() const;

    // Where a removal may delete: below the Applications and home grants that resolve, not
    // stale, to folders, and below the whole disk only when its grant is valid and
    // "AllowAny" is 1. Never the granted folders themselves.
    platform::DeletionScope deletionScope() const;

private:
    platform::SettingsStore &m_settings;
};

} // namespace zembra::grants
