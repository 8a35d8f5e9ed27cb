#pragma once
// Writes signed-looking Mach-O executables: a header, a few load commands and a code
// signature super-blob (code directory with identifier and team, requirements,
// entitlements as an XML property list, an empty CMS wrapper), thin or fat, as Apple's
// public code-signing headers lay them out. Enough for a reader of the signature; nothing
// runs. Used by the tests and by the corpus in bench/.

#include <cstdint>
#include <string>
#include <vector>

namespace zembra::test {

struct SignedExecutable {
    std::string identifier = "com.example.app";
    std::string team;                // in the code directory; "" for none (ad hoc)
    std::vector<std::string> groups; // com.apple.security.application-groups
    std::string entitlementsTeam;    // com.apple.developer.team-identifier; "" for none
    bool entitlements = true;        // false: no entitlements blob at all
    std::uint32_t codeDirectoryVersion = 0x20400;
    std::uint32_t cpuType = 0x0100000c; // arm64; x86_64 is 0x01000007
    bool is64 = true;
    bool bigEndian = false;  // a PowerPC-era file
    bool signedAtAll = true; // false: no code-signature load command
};

inline constexpr std::uint32_t kCpuArm64 = 0x0100000c;
inline constexpr std::uint32_t kCpuX86_64 = 0x01000007;

// One Mach-O file.
std::string machO(const SignedExecutable &binary);
// A fat file holding `slices` (each made by machO), 4 KiB aligned; `wide` uses 64-bit entries.
std::string fatMachO(const std::vector<std::string> &slices, bool wide = false);
// The entitlements property list machO writes.
std::string entitlementsPlist(const std::vector<std::string> &groups, const std::string &team);

} // namespace zembra::test
