// Base of classes whose objects own something that must not be duplicated.
#pragma once

namespace Common {

class NonCopyable {
  public:
    NonCopyable() {}
    virtual ~NonCopyable() {}
    NonCopyable(const NonCopyable &) = delete;
    NonCopyable &operator=(const NonCopyable &) = delete;
};

} // namespace Common
