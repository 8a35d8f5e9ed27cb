#include "cli/Options.h"

#include "grants/GrantOverrides.h"

namespace zembra::cli {

Options parse(int argc, char **argv) {
    Options o;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        auto value = [&]() -> std::string {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty())
                throw UsageError{a + " needs a value"};
            return argv[++i];
        };
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            if (o.command.empty())
                o.command = a;
            else
                o.positional.push_back(a);
        } else if (a == "-h" || a == "--help")
            o.help = true;
        else if (a == "--version")
            o.version = true;
        else if (a == "--json")
            o.json = true;
        else if (a == "--dry-run")
            o.dryRun = true;
        else if (a == "--yes" || a == "-y")
            o.yes = true;
        else if (a == "--include-default-apps")
            o.includeDefaultApps = true;
        else if (a == "--include-utilities")
            o.includeUtilities = true;
        else if (grants::isGrantOption(a))
            o.grants[a] = value();
        else if (a == "--include")
            o.include.push_back(value());
        else if (a == "--related")
            o.related = true;
        else if (a == "--settings-dir")
            o.settingsDir = value();
        else if (a == "--keep")
            o.keep.push_back(value());
        else
            throw UsageError{"unknown option " + a};
    }
    return o;
}

void requireArguments(const Options &o, size_t count, const char *what) {
    if (o.positional.size() != count)
        throw UsageError{o.command +
                         (count ? std::string(" takes ") + what : " takes no arguments")};
}

void allowOnly(const Options &o, const std::set<std::string> &allowed) {
    auto check = [&](bool given, const char *name) {
        if (given && !allowed.count(name))
            throw UsageError{std::string(name) + " does not apply to " + o.command};
    };
    check(!o.keep.empty(), "--keep");
    check(!o.include.empty(), "--include");
    check(o.related, "--related");
    check(o.dryRun, "--dry-run");
    check(o.yes, "--yes");
    check(o.includeDefaultApps, "--include-default-apps");
    check(o.includeUtilities, "--include-utilities");
}

} // namespace zembra::cli
