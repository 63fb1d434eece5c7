// Output and input streams over the runtime's buffered files, allocated from the stream pool.
#pragma once

#include "common/GlobalStaticAllocator.h"
#include "common/String.h"
#include "common/Types.h"

#include <cstdio>

namespace Common {

class OutputStream : public virtual GlobalStaticAllocator {
  public:
    virtual ~OutputStream() {}
    virtual bool isOpen() const = 0;
    virtual void write(const void *data, const u64 &size) = 0;
};

// Every write is flushed at once, so the file holds what was written as soon as write returns.
class OutputStreamToFile : public OutputStream {
  public:
    // Creates or empties the file, or appends to it.
    OutputStreamToFile(const char *path, const bool &append);
    ~OutputStreamToFile() override;
    OutputStreamToFile(const OutputStreamToFile &) = delete;
    OutputStreamToFile &operator=(const OutputStreamToFile &) = delete;

    bool isOpen() const override { return m_file != nullptr; }
    void write(const void *data, const u64 &size) override;

  private:
    std::FILE *m_file;
};

class InputStream : public virtual GlobalStaticAllocator {
  public:
    // Which read read() performs; called through the virtual table.
    typedef void (InputStream::*ReadMode)(string &out);

    // readAll takes the rest of a file into memory in one piece; a rest of this size or more is refused.
    static constexpr u64 readAllLimit = u64(1) << 32;

    InputStream() : m_readMode(&InputStream::readAll) {}
    virtual ~InputStream() {}

    virtual bool isOpen() const = 0;
    virtual bool isAtEnd() const = 0;
    // Each read leaves out unchanged when the stream is at its end.
    virtual void readChar(string &out) = 0;
    virtual void readLine(string &out) = 0;
    virtual void readAll(string &out) = 0;

    InputStream &setReadMode(ReadMode mode) {
        m_readMode = mode;
        return *this;
    }
    InputStream &read(string &out) {
        (this->*m_readMode)(out);
        return *this;
    }

  private:
    ReadMode m_readMode;
};

class InputStreamFromFile : public InputStream {
  public:
    explicit InputStreamFromFile(const char *path);
    ~InputStreamFromFile() override;
    InputStreamFromFile(const InputStreamFromFile &) = delete;
    InputStreamFromFile &operator=(const InputStreamFromFile &) = delete;

    bool isOpen() const override { return m_file != nullptr; }
    // A read error counts as the end too: nothing more can be read after it.
    bool isAtEnd() const override;
    // At the last byte's end: out becomes empty once, and the stream is at its end.
    void readChar(string &out) override;
    // Up to a line feed or the end; the line feed is not kept and carriage returns are dropped.
    void readLine(string &out) override;
    // The rest of the file, zero bytes included.
    void readAll(string &out) override;

  private:
    std::FILE *m_file;
};

} // namespace Common
