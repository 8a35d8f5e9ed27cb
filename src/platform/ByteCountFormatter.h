#pragma once
// Byte counts as the file browser shows them (file style, decimal units).

#include <QString>

#include <cstdint>

namespace zembra::platform {

// "Zero KB", "1 byte", "N bytes" below 1000, then KB without decimals, MB with one,
// GB and above with two, trailing zeros dropped.
QString formatByteCount(std::uint64_t bytes);

} // namespace zembra::platform
