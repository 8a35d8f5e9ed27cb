#include "leftovers/SearchPasses.h"

#include "leftovers/LeftoverKeys.h"

#include <array>

namespace zembra::leftovers::passes {

const QString &markerOf(Group g) {
    static const std::array<const QString *, std::size_t(Group::Count)> kWords = {
        &kPreferences, &kSupportfiles, &kLauchAgents, &kLogs, &kPlugins, &kDesktop, &kOther};
    return *kWords[std::size_t(g)];
}

namespace {
Test contains(KeyId k) {
    return {false, k};
}
Test equals(KeyId k) {
    return {true, k};
}
Test equalsInReview(KeyId k) {
    return {true, k, true};
}

} // namespace

const std::vector<Pass> &all() {
    using K = KeyId;
    // One pass a row, as the table reads.
    // clang-format off
    static const std::vector<Pass> kPasses = {
        {Special::None, Root::Home, "Library/Preferences", Read::Listing,
         {contains(K::Bundle), contains(K::BundleNameInfo)}, Extra::Pro, Group::Preferences, true},
        {Special::EnclosingFolder, Root::Home, "", Read::Listing, {}, Extra::None, Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Application Support", Read::Deep6,
         {contains(K::BundleNameInfo), contains(K::Bundle), contains(K::LabelName), equals(K::BundleName),
          contains(K::Label)},
         Extra::CrashReporterThenLabelDigit, Group::Supportfiles, true},
        {Special::None, Root::System, "Users/Shared", Read::Listing,
         {contains(K::BundleNameInfo), contains(K::Label), contains(K::Bundle)}, Extra::None,
         Group::Supportfiles, false},
        {Special::None, Root::System, "Library/Application Support", Read::Listing,
         {contains(K::BundleNameInfo), contains(K::Label), contains(K::Bundle), contains(K::CompanyName)},
         Extra::None, Group::Supportfiles, false},
        {Special::None, Root::Home, "Library/Containers", Read::Listing, {contains(K::Bundle)}, Extra::Pro,
         Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Saved Application State", Read::Listing, {contains(K::Bundle)},
         Extra::None, Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Caches", Read::Listing,
         {contains(K::Bundle), equals(K::CompanyCapitalized), equalsInReview(K::Label)}, Extra::None,
         Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Cookies", Read::Listing, {contains(K::Bundle)}, Extra::None,
         Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Application Scripts", Read::Listing, {contains(K::Bundle)},
         Extra::Pro, Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Caches/com.apple.helpd", Read::Deep4,
         {contains(K::Bundle), contains(K::BundleName)}, Extra::None, Group::Supportfiles, true},
        {Special::None, Root::Home, "Library/Group Containers", Read::Listing,
         {contains(K::BundleName), contains(K::BundleNameInfo), contains(K::ShortLabel)}, Extra::None,
         Group::Supportfiles, true},
        {Special::None, Root::Home, "Library", Read::Listing,
         {equals(K::CompanyCapitalized), contains(K::BundleNameInfo), equals(K::BundleName)}, Extra::None,
         Group::Supportfiles, true},
        {Special::DeveloperFolder, Root::Home, "Library/Developer", Read::Listing, {}, Extra::None,
         Group::Supportfiles, true},
        {Special::LoginItems, Root::Home, "", Read::Listing, {}, Extra::None, Group::Supportfiles, false},
        {Special::None, Root::Home, "Library/LaunchAgents", Read::Listing,
         {contains(K::Bundle), contains(K::BundleName)}, Extra::None, Group::LauchAgents, true},
        {Special::None, Root::System, "Library/LaunchAgents", Read::Listing,
         {contains(K::Bundle), contains(K::BundleName)}, Extra::None, Group::LauchAgents, true},
        {Special::None, Root::System, "Library/LaunchDaemons", Read::Listing,
         {contains(K::Bundle), contains(K::BundleName)}, Extra::None, Group::LauchAgents, true},
        {Special::None, Root::System, "Library/PrivilegedHelperTools", Read::Listing, {contains(K::Bundle)},
         Extra::None, Group::LauchAgents, true},
        {Special::None, Root::Home, "Library/Logs", Read::Deep4,
         {contains(K::Label), equals(K::BundleName), contains(K::BundleNameInfo), contains(K::ExecutableInfo),
          contains(K::LabelName), contains(K::Bundle)},
         Extra::CsxsExclusion, Group::Logs, true},
        {Special::None, Root::Home, "Library/Application Support/CrashReporter", Read::Listing,
         {contains(K::Label), contains(K::BundleNameInfo), contains(K::ExecutableInfo)}, Extra::None,
         Group::Logs, true},
        {Special::None, Root::Home, "Library/Logs/CSXS", Read::Listing,
         {contains(K::CompanyName), contains(K::Label)}, Extra::None, Group::Logs, true},
        {Special::None, Root::Home, "Library/WebKit", Read::Listing, {contains(K::Bundle)}, Extra::None,
         Group::Logs, true},
        {Special::None, Root::System, "Library/Logs", Read::Deep4,
         {contains(K::Label), equals(K::BundleName), contains(K::BundleNameInfo), contains(K::ExecutableInfo),
          contains(K::LabelName), contains(K::Bundle)},
         Extra::None, Group::Logs, true},
        {Special::None, Root::Home, "Library/Address Book Plug-Ins", Read::Listing,
         {contains(K::BundleName), contains(K::Label)}, Extra::None, Group::Plugins, true},
        {Special::None, Root::Home, "Library/Services", Read::Listing,
         {contains(K::BundleName), contains(K::Label)}, Extra::None, Group::Plugins, true},
        {Special::None, Root::Home, "Desktop", Read::Listing,
         {contains(K::Label), contains(K::BundleNameInfo)}, Extra::ExtensionRule, Group::Desktop, false},
        {Special::None, Root::System, "var/folders", Read::Deep4,
         {contains(K::Bundle), contains(K::BundleNameInfo), contains(K::Label)}, Extra::Pro, Group::Other, true},
        {Special::None, Root::System, "var/run", Read::Listing,
         {contains(K::Bundle), contains(K::BundleNameInfo), contains(K::Label)}, Extra::Pro, Group::Other, true},
        {Special::None, Root::System, "var/db", Read::Deep4,
         {contains(K::Bundle), contains(K::BundleNameInfo), contains(K::Label)}, Extra::Pro, Group::Other, true},
    };
    // clang-format on
    return kPasses;
}

} // namespace zembra::leftovers::passes
