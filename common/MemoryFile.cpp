// Read-only access to a large file: a private copy of its first 2 MiB and a movable mapped window.
#include "common/MemoryFile.h"

#include "common/os/FileMapping.h"
#include "common/os/LastError.h"

#include <cstring>

namespace Common {

struct MemoryFile::State {
    u64 count;
    u8 *head;
    const u8 *view;
    u64 viewSize;
    u64 fileSize;
    Os::FileMappingHandles handles;
    bool handlesOpen;
};

namespace {

u64 windowLength(u64 fileSize, u64 start) {
    u64 rest = fileSize - start;
    return rest < MemoryFile::WindowLimit ? rest : MemoryFile::WindowLimit;
}

} // namespace

MemoryFile::MemoryFile() : m_state(nullptr), m_windowStart(0), m_windowSize(0) {}

MemoryFile::MemoryFile(const string &path) : m_state(nullptr), m_windowStart(0), m_windowSize(0) {
    State *state = new State();
    state->count = 1;
    try {
        state->head = new u8[HeadSize];
    } catch (...) {
        delete state;
        throw;
    }
    bool opened = false;
    if (Os::openFileMapping(path, state->handles)) {
        state->handlesOpen = true;
        // A size that cannot be read counts as 0, but keeps the failing call's error.
        bool sized = Os::fileSize(state->handles, state->fileSize);
        if (state->fileSize > HeadSize) {
            u64 size = windowLength(state->fileSize, 0);
            state->view = Os::mapView(state->handles, 0, size);
            if (state->view) {
                state->viewSize = size;
                std::memcpy(state->head, state->view, HeadSize);
                m_windowSize = size;
                opened = true;
            }
        } else if (sized) {
            // Too small is no platform failure: nothing must be left over from the calls that
            // succeeded.
            Os::setLastError(0);
        }
    }
    if (!opened) {
        Os::LastErrorKeeper keep;
        destroyState(state);
        return;
    }
    m_state = state;
}

MemoryFile::MemoryFile(const MemoryFile &other)
    : m_state(other.m_state), m_windowStart(other.m_windowStart), m_windowSize(other.m_windowSize) {
    if (m_state)
        ++m_state->count;
}

MemoryFile::~MemoryFile() { release(); }

MemoryFile &MemoryFile::operator=(const MemoryFile &other) {
    State *state = other.m_state;
    if (state)
        ++state->count;
    u64 start = other.m_windowStart;
    u64 size = other.m_windowSize;
    release();
    m_state = state;
    m_windowStart = start;
    m_windowSize = size;
    return *this;
}

u64 MemoryFile::getSize() const { return m_state ? m_state->fileSize : 0; }

const u8 *MemoryFile::getHeadPointer(const u64 &offset) const { return m_state->head + offset; }

const u8 *MemoryFile::getView() const { return m_state ? m_state->view : nullptr; }

u64 MemoryFile::mapWindow(const u64 &offset, const u64 &length) {
    if (!m_state)
        return 0;
    if (m_state->view && m_windowStart <= offset && offset + length - m_windowStart < m_windowSize)
        return m_windowStart;
    if (m_state->view)
        Os::unmapView(m_state->view, m_state->viewSize);
    m_state->view = nullptr;
    m_state->viewSize = 0;
    m_windowStart = offset & ~(WindowAlignment - 1);
    m_windowSize = 0;
    // A start at or past the end has nothing to map; the empty window makes every read fail.
    if (m_windowStart >= m_state->fileSize)
        return m_windowStart;
    u64 size = windowLength(m_state->fileSize, m_windowStart);
    m_state->view = Os::mapView(m_state->handles, m_windowStart, size);
    if (m_state->view) {
        m_state->viewSize = size;
        m_windowSize = size;
    }
    return m_windowStart;
}

void MemoryFile::release() {
    State *state = m_state;
    m_state = nullptr;
    m_windowStart = 0;
    m_windowSize = 0;
    if (state && --state->count == 0) {
        Os::LastErrorKeeper keep;
        destroyState(state);
    }
}

void MemoryFile::destroyState(State *state) {
    delete[] state->head;
    if (state->view)
        Os::unmapView(state->view, state->viewSize);
    if (state->handlesOpen)
        Os::closeFileMapping(state->handles);
    delete state;
}

} // namespace Common
