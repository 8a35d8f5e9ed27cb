#include "RealisticApps.h"
#include "InfoPlist.h"

#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"

#include <fstream>

namespace zembra::fixtures {

namespace {

const char *kUuid = "6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60";

std::string byHost(const std::string &identifier) {
    return "~/Library/Preferences/ByHost/" + identifier + "." + kUuid + ".plist";
}

fs::path resolve(const fs::path &root, const std::string &entry) {
    std::string e = entry;
    if (!e.empty() && e.back() == '/')
        e.pop_back();
    return e.rfind("~/", 0) == 0 ? root / "Users/me" / e.substr(2) : root / e;
}

void make(const fs::path &root, const std::string &entry) {
    const fs::path p = resolve(root, entry);
    if (entry.back() == '/') {
        fs::create_directories(p);
        std::ofstream(p / "data.db") << "0123456789";
    } else {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "<plist/>";
    }
}

void makeBundle(const fs::path &bundle, const std::string &identifier, const std::string &name) {
    fs::create_directories(bundle / "Contents/MacOS");
    std::ofstream(bundle / "Contents/Info.plist") << bench::infoPlist(identifier, name);
    std::ofstream(bundle / "Contents/MacOS" / name) << std::string(2048, 'x');
}

// `row` deletes `entry` when it is the entry or holds it.
bool covers(const fs::path &row, const fs::path &entry) {
    return row == entry || platform::isWithin(entry, row);
}

} // namespace

const std::vector<RealisticApp> &realisticApps() {
    static const std::vector<RealisticApp> kApps = {
        {"Applications/Sketchpad.app",
         "com.lumina.sketchpad",
         "Sketchpad",
         {"~/Library/Preferences/com.lumina.sketchpad.plist",
          "~/Library/Application Support/Sketchpad/", "~/Library/Caches/com.lumina.sketchpad/",
          "~/Library/Caches/Lumina/Sketchpad/", "~/Library/HTTPStorages/com.lumina.sketchpad/",
          "~/Library/HTTPStorages/com.lumina.sketchpad.binarycookies",
          "~/Library/Saved Application State/com.lumina.sketchpad.savedState/",
          "~/Library/Logs/Sketchpad/", byHost("com.lumina.sketchpad"), "~/.sketchpad/"}},
        {"Applications/Sketchpad 2.app",
         "com.lumina.sketchpad2",
         "Sketchpad 2",
         {"~/Library/Preferences/com.lumina.sketchpad2.plist",
          "~/Library/Application Support/Sketchpad 2/", "~/Library/Caches/com.lumina.sketchpad2/",
          "~/Library/Caches/Lumina/Sketchpad 2/", "~/Library/HTTPStorages/com.lumina.sketchpad2/",
          "~/Library/Logs/Sketchpad 2/",
          "~/Library/Saved Application State/com.lumina.sketchpad2.savedState/"}},
        {"Applications/Ink.app",
         "com.quillworks.ink",
         "Ink",
         {"~/Library/Preferences/com.quillworks.ink.plist",
          "~/Library/Containers/com.quillworks.ink/",
          "~/Library/Group Containers/Q8W2E4R6T1.com.quillworks.ink/",
          "~/Library/Application Scripts/com.quillworks.ink/",
          "~/Library/Application Scripts/Q8W2E4R6T1.com.quillworks.ink/",
          "~/Library/Containers/com.quillworks.ink.QuickLookExtension/",
          "~/Library/HTTPStorages/com.quillworks.ink/"}},
        {"Applications/Utilities/Ink Monitor.app",
         "com.quillworks.inkmonitor",
         "Ink Monitor",
         {"~/Library/Preferences/com.quillworks.inkmonitor.plist",
          "~/Library/Application Support/Ink Monitor/", "~/Library/Logs/Ink Monitor/"}},
        {"Applications/Inkwell.app",
         "com.inkwelllabs.inkwell",
         "Inkwell",
         {"~/Library/Preferences/com.inkwelllabs.inkwell.plist",
          "~/Library/Application Support/Inkwell Labs/",
          "~/Library/Caches/com.inkwelllabs.inkwell/", "~/Library/Logs/Inkwell/"}},
        {"Applications/Harbor VPN.app",
         "com.harborsoft.HarborVPN",
         "Harbor VPN",
         {"~/Library/Preferences/com.harborsoft.HarborVPN.plist",
          "~/Library/Application Support/Harbor VPN/",
          "~/Library/Group Containers/group.com.harborsoft.HarborVPN/",
          "~/Library/Containers/com.harborsoft.HarborVPN.PacketTunnel/",
          "~/Library/Caches/com.harborsoft.HarborVPN/",
          "~/Library/HTTPStorages/com.harborsoft.HarborVPN/",
          "Library/LaunchDaemons/com.harborsoft.HarborVPN.helper.plist",
          "Library/PrivilegedHelperTools/com.harborsoft.HarborVPN.helper",
          "~/Library/Logs/Harbor VPN/",
          "~/Library/Preferences/com.harborsoft.HarborUpdater.plist"}},
        {"Applications/Notely.app",
         "com.brightpaper.notely",
         "Notely",
         {"~/Library/Containers/com.brightpaper.notely/",
          "~/Library/Containers/com.brightpaper.notely.ShareExtension/",
          "~/Library/Group Containers/BP4NX72KQ9.com.brightpaper.notely/",
          "~/Library/Application Scripts/com.brightpaper.notely/",
          "~/Library/Application Scripts/BP4NX72KQ9.com.brightpaper.notely.ShareExtension/",
          "~/Library/WebKit/com.brightpaper.notely/",
          "~/Library/Preferences/com.brightpaper.notely.plist",
          "~/Library/Group Containers/BP4NX72KQ9.com.brightpaper.shared/"}},
        {"Applications/Chatterbox.app",
         "com.chatterbox.desktop",
         "Chatterbox",
         {"~/Library/Application Support/Chatterbox/", "~/Library/Caches/com.chatterbox.desktop/",
          "~/Library/Caches/com.chatterbox.desktop.ShipIt/",
          "~/Library/Preferences/com.chatterbox.desktop.plist",
          "~/Library/Preferences/com.chatterbox.desktop.helper.plist", "~/Library/Logs/Chatterbox/",
          "~/Library/HTTPStorages/com.chatterbox.desktop/",
          "~/Library/HTTPStorages/com.chatterbox.desktop.binarycookies",
          "~/Library/Saved Application State/com.chatterbox.desktop.savedState/",
          byHost("com.chatterbox.desktop.ShipIt"), "~/.chatterbox/"}},
        {"Applications/Pixel Forge.app",
         "com.forgeworks.pixelforge",
         "Pixel Forge",
         {"~/Library/Preferences/com.forgeworks.pixelforge.plist",
          "~/Library/Application Support/Forgeworks/Pixel Forge/",
          "~/Library/Caches/Forgeworks/Pixel Forge/", "~/Library/Logs/Forgeworks/Pixel Forge/",
          "~/Library/Saved Application State/com.forgeworks.pixelforge.savedState/",
          "~/.pixelforge/"}},
        {"Applications/Vector Forge.app",
         "com.forgeworks.vectorforge",
         "Vector Forge",
         {"~/Library/Preferences/com.forgeworks.vectorforge.plist",
          "~/Library/Application Support/Forgeworks/Vector Forge/",
          "~/Library/Caches/Forgeworks/Vector Forge/", "~/Library/Logs/Forgeworks/Vector Forge/"}},
        {"Applications/Beacon.app",
         "com.beaconhq.beacon-mac",
         "Beacon",
         {"~/Library/Preferences/com.beaconhq.beacon-mac.plist",
          "~/Library/Application Support/Beacon/", "~/Library/Caches/com.beaconhq.beacon-mac/",
          "~/Library/LaunchAgents/com.beaconhq.BeaconHelper.plist",
          "~/Library/Preferences/ByHost/com.beaconhq.BeaconHelper.0A1B2C3D4E5F.plist",
          "~/Library/HTTPStorages/com.beaconhq.beacon-mac/",
          "~/Library/Containers/com.beaconhq.Beacon.LoginItem/"}},
        {"Applications/Tally.app",
         "com.ledgerly.tally",
         "Tally",
         {"~/Library/Preferences/com.ledgerly.tally.plist", "~/Library/Application Support/Tally/",
          "~/Library/Containers/com.ledgerly.tally/",
          "~/Library/Application Scripts/com.ledgerly.tally/",
          "~/Library/Group Containers/group.com.ledgerly.tally/"}},
        {"Applications/Tallyho Tasks.app",
         "com.tallyho.tasks",
         "Tallyho Tasks",
         {"~/Library/Preferences/com.tallyho.tasks.plist", "~/Library/Application Support/Tallyho/",
          "~/Library/Caches/com.tallyho.tasks/", "~/Library/Logs/Tallyho Tasks/"}},
        {"Applications/Letterbox Mail.app",
         "com.letterbox.mail",
         "Letterbox Mail",
         {"~/Library/Containers/com.letterbox.mail/",
          "~/Library/Group Containers/group.com.letterbox.mail/",
          "~/Library/Application Scripts/com.letterbox.mail/",
          "~/Library/Preferences/com.letterbox.mail.plist",
          "~/Library/HTTPStorages/com.letterbox.mail/"}},
        {"Applications/Mail.app",
         "com.apple.mail",
         "Mail",
         {"~/Library/Containers/com.apple.mail/",
          "~/Library/Group Containers/group.com.apple.mail/",
          "~/Library/Preferences/com.apple.mail.plist"}},
        {"Applications/Utilities/Terminal.app", "com.apple.Terminal", "Terminal", {}},
        {"Applications/Wren.app",
         "com.wrensoft.wren",
         "Wren",
         {"~/Library/Application Support/Wren/", "~/Library/Caches/com.wrensoft.wren/",
          "~/Library/WebKit/com.wrensoft.wren/", "~/Library/HTTPStorages/com.wrensoft.wren/",
          "~/Library/Preferences/com.wrensoft.wren.plist",
          "~/Library/Saved Application State/com.wrensoft.wren.savedState/",
          "~/Library/Cookies/com.wrensoft.wren.binarycookies",
          "~/Library/Application Support/Wrensoft/Crashpad/"}},
    };
    return kApps;
}

const std::vector<SharedFixtureEntry> &realisticSharedEntries() {
    static const std::vector<SharedFixtureEntry> kShared = {
        {"~/Library/Caches/Lumina/", {"com.lumina.sketchpad", "com.lumina.sketchpad2"}},
        {"~/Library/Application Support/Forgeworks/",
         {"com.forgeworks.pixelforge", "com.forgeworks.vectorforge"}},
        {"~/Library/Caches/Forgeworks/",
         {"com.forgeworks.pixelforge", "com.forgeworks.vectorforge"}},
        {"~/Library/Logs/Forgeworks/", {"com.forgeworks.pixelforge", "com.forgeworks.vectorforge"}},
    };
    return kShared;
}

void buildRealisticMac(const fs::path &root) {
    for (const SharedFixtureEntry &s : realisticSharedEntries())
        fs::create_directories(resolve(root, s.path));
    for (const RealisticApp &app : realisticApps()) {
        makeBundle(root / app.bundle, app.identifier, app.name);
        for (const std::string &entry : app.own)
            make(root, entry);
    }
    // What every Mac has besides: nobody's leftovers here.
    for (const char *noise :
         {"~/Library/Preferences/com.apple.finder.plist", "~/Library/Caches/com.apple.Safari/",
          "~/.Trash/", "~/.config/", "~/Library/Preferences/.GlobalPreferences.plist",
          "var/db/receipts/", "Library/Application Support/Apple/"})
        make(root, noise);
}

void grantRealisticMac(platform::SettingsStore &settings, const fs::path &root) {
    settings.setOverride(grants::kApplications, platform::bookmarkData(root / "Applications"));
    settings.setOverride(grants::kHome, platform::bookmarkData(root / "Users/me"));
    settings.setOverride(grants::kMacOS, platform::bookmarkData(root));
    settings.setOverride(grants::kAllowAny, 1);
}

ReviewFigures scoreReviews(const fs::path &root, platform::SettingsStore &settings) {
    ReviewFigures f;
    const ApplicationList installed = Application(settings).everyInstalledApplication();
    for (const RealisticApp &app : realisticApps()) {
        const auto item = Application(settings).application(root / app.bundle);
        leftovers::searchLeftovers(*item, settings, leftovers::SearchMode::Review);
        const leftovers::Review review = leftovers::buildReview(*item, settings, installed, true);
        const leftovers::Selection selection = review.selection();
        auto ticked = [&](const leftovers::Selection &sel, size_t i, bool searchOnly) {
            return searchOnly ? i < review.searchRows && review.files[i].isFileURL()
                              : sel.isSelected(i);
        };

        std::vector<fs::path> own;
        for (const std::string &e : app.own)
            own.push_back(resolve(root, e));
        for (const fs::path &entry : own) {
            ++f.own;
            bool listed = false, preselected = false, bySearch = false;
            for (size_t i = 0; i < review.files.size(); ++i)
                if (review.files[i].isFileURL() && covers(review.files[i].path(), entry)) {
                    listed = true;
                    preselected = preselected || selection.isSelected(i);
                    bySearch = bySearch || i < review.searchRows;
                }
            f.inReview += listed;
            f.preselected += preselected;
            f.searchOnlyFound += bySearch;
            if (bySearch && !preselected)
                f.nowUnticked.push_back(app.name + ": " + entry.lexically_relative(root).native());
            if (!listed)
                f.misses.push_back(app.name + ": " + entry.lexically_relative(root).native());
        }

        // Entries of the other applications, and those this one shares with them.
        std::vector<fs::path> others;
        for (const RealisticApp &other : realisticApps())
            if (other.identifier != app.identifier)
                for (const std::string &e : other.own)
                    others.push_back(resolve(root, e));
        for (const SharedFixtureEntry &s : realisticSharedEntries())
            others.push_back(resolve(root, s.path));
        for (const bool searchOnly : {false, true})
            for (const fs::path &entry : others) {
                bool hit = false;
                for (size_t i = 0; !hit && i < review.files.size(); ++i) {
                    if (!ticked(selection, i, searchOnly))
                        continue;
                    const fs::path &row = review.files[i].path();
                    bool insideOwn = false;
                    for (const fs::path &o : own)
                        insideOwn = insideOwn || covers(o, row);
                    hit = covers(row, entry) || (platform::isWithin(row, entry) && !insideOwn);
                }
                if (hit && searchOnly) {
                    ++f.searchOnlyOthersSelected;
                } else if (hit) {
                    ++f.othersSelected;
                    f.wronglySelected.push_back(app.name + ": " +
                                                entry.lexically_relative(root).native());
                }
            }
    }
    return f;
}

} // namespace zembra::fixtures
