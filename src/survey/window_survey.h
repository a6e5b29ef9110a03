// The window survey of the Advanced page: the titled top-level windows that exist at this moment, and the
// information text of one of them.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "ports.h"

namespace vr {

// The text a buffer of `limit` characters (plus its NUL) holds of a reply: up to its first NUL, at most limit
// characters, never half of one.
std::string bufferText(std::string_view reply, std::size_t limit);

// The titled top-level windows in the platform's order, each with its title as a list item shows it. Untitled
// windows are left out; windows with equal titles each get an entry.
std::vector<TopLevelWindow> titledWindows(Windows& windows);

// The four lines of the handle information label: handle, class, process and thread, the numbers in at least
// eight upper-case hexadecimal digits, the handle and the thread named in the platform's terms.
std::string handleInformation(WindowHandle window, const std::string& className, const WindowOwner& owner,
                              const OwnerTerms& terms = {});

}  // namespace vr
