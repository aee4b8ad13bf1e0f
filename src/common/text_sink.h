#pragma once

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

// Where the writers put their text: a file, a stream such as standard output, or memory, so that
// the same layout goes to either and tests compare bytes without touching the disk.

namespace zev {

class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void write(std::string_view text) = 0;
};

// Appends to a caller-owned string; allocates nothing while the string's capacity suffices.
class StringSink final : public TextSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void write(std::string_view text) override { out_.append(text); }

 private:
  std::string& out_;
};

// A fixed buffer on the stack in front of a sink, for a writer of many small pieces: they reach
// the sink in writes of many kilobytes, and the writer may format straight into the buffer. Passes
// on what it holds when flushed and when it goes.
class TextBuffer {
 public:
  static constexpr std::size_t CAPACITY = 1 << 14;

  explicit TextBuffer(TextSink& sink) : sink_(sink) {}
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;
  ~TextBuffer() { flush(); }

  void write(std::string_view text) {
    if (text.size() > CAPACITY - length_) {
      flush();
      if (text.size() > CAPACITY) {
        sink_.write(text);
        return;
      }
    }
    std::memcpy(chars_.data() + length_, text.data(), text.size());
    length_ += text.size();
  }
  // Room for size characters (at most CAPACITY): the caller writes them from the pointer returned
  // and then hands back the end of what it wrote.
  char* reserve(std::size_t size) {
    if (size > CAPACITY - length_) flush();
    return chars_.data() + length_;
  }
  void commit(const char* end) { length_ = static_cast<std::size_t>(end - chars_.data()); }
  void flush() {
    if (length_ > 0) sink_.write({chars_.data(), length_});
    length_ = 0;
  }

 private:
  TextSink& sink_;
  std::array<char, CAPACITY> chars_;
  std::size_t length_ = 0;
};

// Writes to an open stdio stream and remembers why the first write that came up short failed.
// The caller owns the stream, and must still check its flush and close.
class FileSink final : public TextSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  void write(std::string_view text) override {
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() && !error_) {
      error_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    }
  }
  std::error_code error() const { return error_; }

 private:
  std::FILE* file_;
  std::error_code error_;
};

// Writes to a caller-owned output stream (the program's standard output) and remembers why the
// first write or flush that failed did; a failed stream takes nothing more.
class StreamSink final : public TextSink {
 public:
  explicit StreamSink(std::ostream& out) : out_(out) {}
  void write(std::string_view text) override {
    errno = 0;
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    noteFailure();
  }
  // Sends on what the stream holds back; the first failure so far, if any.
  std::error_code flush() {
    errno = 0;
    out_.flush();
    noteFailure();
    return error_;
  }
  std::error_code error() const { return error_; }

 private:
  void noteFailure() {
    if (!out_ && !error_)
      error_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
  }

  std::ostream& out_;
  std::error_code error_;
};

}  // namespace zev
