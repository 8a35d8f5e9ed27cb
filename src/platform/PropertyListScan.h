#pragma once
// Bounds a property list must keep before libplist may parse it. libplist's binary reader
// recurses once per nesting level (and rescans the path at each level, so deep binary
// nesting is also quadratic), freeing a parsed tree recurses too, and the binary reader
// expands every shared reference into a copy of its own. A hostile file therefore
// overflows the stack or exhausts memory; real property lists nest a few levels and hold
// a few thousand values. The scans below never recurse and take linear time.

#include <cstdint>
#include <string_view>

namespace zembra::platform {

inline constexpr std::uint64_t kMaxPropertyListBytes = 16u << 20;
// Containers (dictionaries, arrays) open at once, the top-level one included.
inline constexpr int kMaxPropertyListDepth = 128;
// Values after libplist has expanded shared references (keys count as values).
inline constexpr std::uint64_t kMaxPropertyListValues = 1u << 20;

// True when `data` is no larger, no deeper and holds no more values than the bounds
// above. A binary list also needs a sound trailer and offset table and an object graph
// without cycles; an XML list no NUL byte and no construct whose end is ambiguous.
// Anything the scans cannot make sense of is refused.
bool isWithinPropertyListBounds(std::string_view data);

} // namespace zembra::platform
