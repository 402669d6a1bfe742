#pragma once
// Makes RSS 2.0 feeds for the benchmarks: items with escaped HTML descriptions (entities, also
// escaped twice as feeds do), CDATA sections, and the usual fields. The same arguments always
// give the same bytes.

#include <cstddef>
#include <string>

namespace benchfeed {

// A feed of `items` items, each about `itemBytes` long.
std::string MakeRssFeed(size_t items, size_t itemBytes);

// One element holding `pieces` text pieces, each with "&" in it, separated by empty child
// elements: "<e>piece<br/>piece<br/>...</e>", about pieces * pieceBytes long.
std::string MakeManyPieceElement(size_t pieces, size_t pieceBytes);

}  // namespace benchfeed
