#pragma once
// Generators of hostile property lists: nesting far beyond what any reader should
// recurse through, shared references that expand exponentially, cycles.

#include <cstdint>
#include <string>
#include <vector>

namespace zembra::test {

// `value` as `bytes` big-endian bytes, as binary property lists store numbers.
std::string bigEndian(std::uint64_t value, int bytes);
// A binary property list whose object i is an array of the objects `arrays[i]`; the
// root is object 0.
std::string binaryArrays(const std::vector<std::vector<std::uint32_t>> &arrays);
// Arrays nested `depth` deep in binary form (an array in an array ...).
std::string deepBinary(std::uint32_t depth);
// Arrays nested `depth` deep in XML, inside <plist>.
std::string deepXml(std::uint32_t depth);

} // namespace zembra::test
