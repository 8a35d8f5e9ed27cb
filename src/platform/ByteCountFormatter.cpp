#include "platform/ByteCountFormatter.h"

#include <array>
#include <cmath>

namespace zembra::platform {

QString formatByteCount(std::uint64_t bytes) {
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    if (bytes == 1)
        return QStringLiteral("1 byte");
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);

    struct Unit {
        const char *name;
        long double factor;
        int decimals;
    };
    static constexpr std::array<Unit, 6> kUnits = {{{"KB", 1e3L, 0},
                                                    {"MB", 1e6L, 1},
                                                    {"GB", 1e9L, 2},
                                                    {"TB", 1e12L, 2},
                                                    {"PB", 1e15L, 2},
                                                    {"EB", 1e18L, 2}}};
    size_t u = 0;
    while (u + 1 < kUnits.size() && static_cast<long double>(bytes) >= kUnits[u + 1].factor)
        ++u;
    long double rounded = 0;
    for (;;) {
        const long double scale = std::pow(10.0L, kUnits[u].decimals);
        rounded = std::round(static_cast<long double>(bytes) / kUnits[u].factor * scale) / scale;
        // 999,999 bytes round to 1000 KB: show them as 1 MB instead.
        if (rounded < 1000.0L || u + 1 == kUnits.size())
            break;
        ++u;
    }
    QString number = QString::number(double(rounded), 'f', kUnits[u].decimals);
    if (number.contains(QLatin1Char('.'))) {
        while (number.endsWith(QLatin1Char('0')))
            number.chop(1);
        if (number.endsWith(QLatin1Char('.')))
            number.chop(1);
    }
    return number + QLatin1Char(' ') + QLatin1String(kUnits[u].name);
}

} // namespace zembra::platform
