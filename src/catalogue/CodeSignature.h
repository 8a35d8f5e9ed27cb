#pragma once
// What an application's code signature says about who made it: the team identifier and
// the application groups its entitlements claim. Group Containers and Application Scripts
// are named exactly after these ("2BUA8C4S2C.com.vendor", "group.com.vendor.shared").
//
// The signature is read from the main executable: a Mach-O file (or a fat file with one
// Mach-O per architecture) whose code-signature load command points at a signature
// super-blob; its code directory names the team, its entitlements blob is a property list.
// The reader is bounded for hostile input: at most kMaxSlices architectures, 1 MiB of load
// commands, kMaxBlobs blobs, 1 MiB of entitlements and kMaxBytesRead bytes read in all;
// offsets and counts are checked against the file before use, nothing recurses. Values
// that could not name a file (control characters, "/", more than 255 bytes) are dropped;
// a team identifier is kept only as ten upper-case letters or digits.
//
// The result is what the file claims: an unsigned or ad-hoc-signed executable can claim any
// group. Reads only; any thread.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zembra {

struct CodeSignature {
    QString identifier;            // the signing identifier of the first code directory
    QString teamIdentifier;        // "" when the signature names no team
    QStringList applicationGroups; // every slice's, without repeats, in file order
};

// Bytes by offset: a file on disk, or memory for the tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly `length` bytes at `offset`, or nothing.
    virtual std::optional<std::string> read(std::uint64_t offset, std::size_t length) const = 0;
};

namespace codesign {
inline constexpr std::uint32_t kMaxSlices = 16;
inline constexpr std::uint32_t kMaxLoadCommandBytes = 1u << 20;
inline constexpr std::uint32_t kMaxBlobs = 64;
inline constexpr std::uint32_t kMaxEntitlementsBytes = 1u << 20;
inline constexpr std::uint64_t kMaxBytesRead = 8u << 20;
inline constexpr int kMaxGroups = 64;
} // namespace codesign

// Nothing when the bytes hold no Mach-O code signature.
std::optional<CodeSignature> readCodeSignature(const ByteSource &source);
// The same for a file; nothing for a missing file, a link, or anything but a regular file.
std::optional<CodeSignature> readCodeSignature(const std::filesystem::path &executable);

} // namespace zembra
