// The list forms of the listing methods: one listing text cut into its
// items, so that no caller splits on NULs by hand.
#pragma once

#include <string>
#include <vector>

#include "zarnutils/text.h"

namespace zarn {

// The items of a listing whose items are separated by one separator, none
// after the last, each as UTF-8. An empty listing has no items (not one
// empty item): every listing the component makes lists nothing as "".
inline std::vector<std::string> listingItems(std::u16string_view listing, char16_t separator) {
  std::vector<std::string> items;
  if (listing.empty()) return items;
  for (size_t start = 0;;) {
    const size_t end = listing.find(separator, start);
    items.push_back(textToUtf8(listing.substr(start, end - start)));
    if (end == std::u16string_view::npos) return items;
    start = end + 1;
  }
}

}  // namespace zarn
