// Generates a large, realistic macOS-layout tree for the leftover search benchmark: a
// home folder and a system root with well over 300,000 entries spread over the folders
// the search reads (var/folders and var/db included), and a few hundred leftovers of
// one application, "Benchmark Editor" (com.benchvendor.editor).
//
//   zembra-bench-make-tree DIR [USER] [SIZE]
//
// SIZE: "319k" (the default), "250k", "1m" or "3m" entries, roughly; only the filler
// grows, the leftovers stay the same.
#include "InfoPlist.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::uint64_t g_state = 0x9E3779B97F4A7C15ull;
std::uint64_t next() {
    g_state ^= g_state << 13;
    g_state ^= g_state >> 7;
    g_state ^= g_state << 17;
    return g_state;
}
unsigned pick(unsigned n) {
    return unsigned(next() % n);
}

long g_entries = 0;
double g_scale = 1.0;

// A count of filler folders, scaled to the tree's size.
unsigned n(unsigned count) {
    return unsigned(double(count) * g_scale + 0.5);
}

void dir(const fs::path &p) {
    if (fs::create_directories(p))
        ++g_entries;
}

void file(const fs::path &p, unsigned maxBytes = 600) {
    dir(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << std::string(pick(maxBytes + 1), 'x');
    ++g_entries;
}

std::string vendor(unsigned i) {
    return "com.vendor" + std::to_string(i % 97) + ".product" + std::to_string(i);
}

const char *kWords[] = {"Cache",      "Data", "Index", "State", "Assets",
                        "Thumbnails", "Sync", "Media", "Store", "Backups"};

// A nested subtree of about `count` entries below `root`.
void subtree(const fs::path &root, int count, int depth = 0) {
    int made = 0;
    while (made < count) {
        if (depth < 3 && pick(4) == 0 && count - made > 8) {
            const int part = std::min(count - made, 4 + int(pick(40)));
            const fs::path d =
                root / (std::string(kWords[pick(10)]) + " " + std::to_string(pick(1000)));
            dir(d);
            subtree(d, part - 1, depth + 1);
            made += part;
        } else {
            file(root / ("item-" + std::to_string(made) + "." + (pick(2) ? "db" : "json")));
            ++made;
        }
    }
}

void bundle(const fs::path &b, const std::string &id, const std::string &name) {
    dir(b / "Contents/MacOS");
    std::ofstream(b / "Contents/Info.plist") << bench::infoPlist(id, name);
    file(b / "Contents/MacOS" / name, 4096);
    g_entries += 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zembra-bench-make-tree DIR [USER] [319k|250k|1m|3m]\n");
        return 2;
    }
    const std::string size = argc > 3 ? argv[3] : "319k";
    if (size == "250k")
        g_scale = 250.0 / 319.0;
    else if (size == "1m")
        g_scale = 1000.0 / 319.0;
    else if (size == "3m")
        g_scale = 3000.0 / 319.0;
    else if (size != "319k") {
        std::fprintf(stderr, "unknown size %s (319k, 250k, 1m or 3m)\n", size.c_str());
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    const std::string user = argc > 2 ? argv[2] : "bench";
    const fs::path home = root / "Users" / user;
    const fs::path lib = home / "Library";
    const fs::path sys = root / "Library";
    const std::string id = "com.benchvendor.editor";
    const std::string label = "Benchmark Editor";

    bundle(root / "Applications" / (label + ".app"), id, label);
    bundle(root / "Applications" / (label + ".app") /
               "Contents/Library/LoginItems/Editor Launcher.app",
           "com.benchvendor.launcher", "Editor Launcher");

    // Home Library: listing folders.
    for (unsigned i = 0; i < n(4000); ++i)
        file(lib / "Preferences" / (vendor(i) + ".plist"));
    for (unsigned i = 0; i < n(800); ++i) {
        dir(lib / "Containers" / vendor(i));
        subtree(lib / "Containers" / vendor(i) / "Data", 10);
    }
    for (unsigned i = 0; i < n(800); ++i)
        file(lib / "Saved Application State" / (vendor(i) + ".savedState") / "windows.plist");
    for (unsigned i = 0; i < n(1500); ++i)
        subtree(lib / "Caches" / vendor(i), 3);
    for (unsigned i = 0; i < n(300); ++i)
        file(lib / "Cookies" / (vendor(i) + ".binarycookies"));
    for (unsigned i = 0; i < n(400); ++i)
        file(lib / "Application Scripts" / vendor(i) / "hook.scpt");
    for (unsigned i = 0; i < n(300); ++i)
        file(lib / "Group Containers" / ("TEAM" + std::to_string(i) + "." + vendor(i)) /
             "shared.db");
    for (unsigned i = 0; i < n(200); ++i)
        file(lib / "LaunchAgents" / (vendor(i) + ".agent.plist"));
    for (unsigned i = 0; i < n(300); ++i)
        file(lib / "WebKit" / vendor(i) / "WebsiteData.db");
    for (unsigned i = 0; i < n(50); ++i)
        file(lib / "Services" / ("Service " + std::to_string(i) + ".workflow"));
    for (unsigned i = 0; i < n(200); ++i)
        file(home / "Desktop" / ("Document " + std::to_string(i) + ".pdf"));

    // Home Library: deep folders.
    for (unsigned i = 0; i < n(600); ++i) {
        const fs::path d = lib / "Application Support" / ("Product " + std::to_string(i));
        dir(d);
        subtree(d, 55);
        if (i % 20 == 0)
            bundle(d / "Helper.app", vendor(i) + ".helper", "Helper");
    }
    for (unsigned i = 0; i < n(200); ++i)
        file(lib / "Application Support/CrashReporter" /
             ("Product " + std::to_string(i) + "_ABCDEF.plist"));
    for (unsigned i = 0; i < n(400); ++i)
        subtree(lib / "Logs" / ("Product " + std::to_string(i)), 30);
    for (unsigned i = 0; i < n(50); ++i)
        file(lib / "Logs/CSXS" / ("vendor" + std::to_string(i) + "-panel.log"));
    for (unsigned i = 0; i < n(1000); ++i)
        subtree(lib / "Caches/com.apple.helpd/Generated" / (vendor(i) + ".help"), 4);

    // System root.
    for (unsigned i = 0; i < n(300); ++i)
        file(sys / "Application Support" / ("Vendor " + std::to_string(i)) / "license.dat");
    for (unsigned i = 0; i < n(200); ++i) {
        file(sys / "LaunchAgents" / (vendor(i) + ".agent.plist"));
        file(sys / "LaunchDaemons" / (vendor(i) + ".daemon.plist"));
    }
    for (unsigned i = 0; i < n(50); ++i)
        file(sys / "PrivilegedHelperTools" / (vendor(i) + ".helper"), 4096);
    for (unsigned i = 0; i < n(700); ++i)
        subtree(sys / "Logs" / ("Service " + std::to_string(i)), 30);
    for (unsigned i = 0; i < n(50); ++i)
        file(root / "Users/Shared" / ("Shared " + std::to_string(i)) / "data.bin");
    for (unsigned i = 0; i < n(300); ++i)
        file(root / "var/run" / (vendor(i) + ".pid"), 8);
    // var/folders: per-user temporary folders, each with C, T and 0 and many app folders.
    for (unsigned u = 0; u < n(40); ++u) {
        const fs::path user = root / "var/folders" / ("z" + std::to_string(u % 10)) /
                              ("zyxvpxvq6csfxvn_n" + std::to_string(1000000 + u) + "gn");
        for (const char *kind : {"C", "T", "0"})
            for (unsigned a = 0; a < 80; ++a)
                subtree(user / kind / vendor(a + u), 14);
    }
    for (unsigned i = 0; i < n(5000); ++i)
        subtree(root / "var/db" / (i % 2 ? "receipts" : "diagnostics") /
                    ("entry" + std::to_string(i)),
                15);

    // The leftovers of the benchmark application: a few hundred matches.
    file(lib / "Preferences" / (id + ".plist"));
    file(lib / "Preferences" / (id + ".helper.plist"));
    subtree(lib / "Application Support" / label, 150);
    for (int i = 0; i < 20; ++i)
        file(lib / "Application Support" / label /
             ("Benchmark Editor Backup " + std::to_string(i) + ".json"));
    subtree(lib / "Containers" / id, 40);
    subtree(lib / "Containers/com.benchvendor.launcher", 10);
    subtree(lib / "Caches" / id, 100);
    file(lib / "Cookies" / (id + ".binarycookies"));
    file(lib / "LaunchAgents" / (id + ".updater.plist"));
    for (int i = 0; i < 100; ++i)
        file(lib / "Logs" / label / (label + "-" + std::to_string(i) + ".log"));
    file(lib / "Application Support/CrashReporter" / (label + "_1234.plist"));
    file(sys / "LaunchDaemons" / (id + ".helper.plist"));
    file(sys / "PrivilegedHelperTools" / (id + ".helper"), 4096);
    for (int i = 0; i < 30; ++i)
        subtree(root / "var/folders/z3/zyxvpxvq6csfxvn_n1000003gn/C" /
                    (id + "." + std::to_string(i)),
                5);
    for (int i = 0; i < 140; ++i)
        file(root / "var/db/receipts" / (id + ".pkg" + std::to_string(i) + ".bom"));

    std::ofstream(root / ".zembra-bench-tree") << g_entries << "\n";
    std::printf("%ld entries below %s\n", g_entries, root.c_str());
    return 0;
}
