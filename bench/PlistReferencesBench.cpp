// Times reading an Info.plist of about 15 MB whose strings are nothing but character
// references (the shape that once stalled `zembra apps` for over a minute), against the
// same size of plain text. Reading must stay linear: a few times the plain read at most.
//
//   zembra-bench-plist-references [--runs N]
#include "platform/PropertyList.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using zembra::platform::PropertyList;

namespace {

QByteArray infoPlist(const std::string &piece, size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes)
        text += piece;
    return QByteArray::fromStdString(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
        "<key>CFBundleIdentifier</key><string>com.vendor.app</string>\n"
        "<key>CFBundleGetInfoString</key><string>" +
        text + "</string>\n</dict>\n</plist>\n");
}

double medianSeconds(const QByteArray &data, int runs) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const PropertyList list = PropertyList::fromMemory(data);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!list.root().item("CFBundleIdentifier").string()) {
            std::fprintf(stderr, "the list did not read\n");
            return -1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    int runs = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[++i]));
    const size_t bytes = 15u << 20;
    const double plain = medianSeconds(infoPlist("plain text ", bytes), runs);
    const double references = medianSeconds(infoPlist("&amp;&lt;&#x41;]]&gt;", bytes), runs);
    if (plain < 0 || references < 0)
        return 1;
    std::printf(
        "15 MB Info.plist: plain text %.3f s, character references %.3f s (median of %d; target: "
        "under 5 times the plain read)\n",
        plain, references, runs);
    return references <= 5 * std::max(plain, 0.01) ? 0 : 1;
}
