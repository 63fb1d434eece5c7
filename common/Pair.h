// Two-member pair: map entries and the result of a map insertion.
#pragma once

#include "common/Convertible.h"

namespace Common {

template <class A, class B> class pair : public Convertible {
  public:
    pair() : first(), second() {}
    pair(const A &a, const B &b) : first(a), second(b) {}

    // Declared in this order so that destruction releases second, then first.
    A first;
    B second;
};

} // namespace Common
