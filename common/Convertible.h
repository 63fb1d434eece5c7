// Polymorphic root of Common::pair and Common::map.
#pragma once

#include "common/String.h"

namespace Common {

class Convertible {
  public:
    Convertible() {}
    Convertible(const Convertible &) {}
    Convertible &operator=(const Convertible &) { return *this; }
    virtual ~Convertible() {}

    // A textual form of the object; nothing in the library needs more than the empty default.
    virtual string toString() const { return string(); }
};

} // namespace Common
