#pragma once
#include <string>
#include <vector>

namespace wendral {

// What the user is told, in order. core and io only collect texts; the application shows each
// in a message box and wendral-batch prints them.
using Messages = std::vector<std::string>;

}  // namespace wendral
