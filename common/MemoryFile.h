// Read-only access to a large file: a private copy of its first 2 MiB and a movable mapped window.
#pragma once

#include "common/String.h"
#include "common/Types.h"

namespace Common {

// Copies share one counted state (handles, mapping, current view, head copy); the last one closes
// it. The window fields belong to each copy, the view to the state, so copies that share a state
// must not move windows independently.
class MemoryFile {
  public:
    static constexpr u64 HeadSize = 0x200000;
    static constexpr u64 WindowLimit = 0x18000000;
    static constexpr u64 WindowAlignment = 0x100000;

    MemoryFile();
    // Opens only files larger than the head copy; any failure leaves the object closed and the
    // platform's last-error value as the failing call set it (0 when the file was just too small).
    explicit MemoryFile(const string &path);
    MemoryFile(const MemoryFile &other);
    virtual ~MemoryFile();
    MemoryFile &operator=(const MemoryFile &other);

    bool isOpen() const { return m_state != nullptr; }
    u64 getSize() const;
    // No bounds test: offset must be below HeadSize.
    const u8 *getHeadPointer(const u64 &offset) const;
    // Null when closed, and when the platform refused the last window.
    const u8 *getView() const;
    // Makes the view serve [offset, offset + length) when that fits in a window; returns the window
    // start. A window the platform refuses leaves no view and an empty window.
    u64 mapWindow(const u64 &offset, const u64 &length);
    u64 getWindowSize() const { return m_windowSize; }

  private:
    struct State;

    void release();
    // Frees everything the state holds; callers keep the last-error value around it.
    static void destroyState(State *state);

    State *m_state;
    u64 m_windowStart;
    u64 m_windowSize;
};

} // namespace Common
