// A thread body: whoever runs it decides on which thread.
#pragma once

namespace Common {
namespace Synchronization {

class Threadable {
  public:
    virtual ~Threadable() {}
    virtual void run() = 0;
};

} // namespace Synchronization
} // namespace Common
