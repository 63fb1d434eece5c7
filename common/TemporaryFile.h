// A name for a temporary file, optionally removed when its holder goes.
#pragma once

#include "common/String.h"
#include "common/Types.h"

namespace Common {

// Only a name: the file comes into being when a stream opens it. The name is one not in use in the
// user's temporary folder, starting with "file"; empty when no such name could be found.
class TemporaryFile {
  public:
    // A non-empty extension is added after a dot.
    TemporaryFile(const string &extension, const bool &deleteOnDestroy);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    string &getName() { return m_name; }

  private:
    string m_name;
    u8 m_deleteOnDestroy;
};

} // namespace Common
