// Opening a design file for reading: once, without ever waiting (a named pipe
// or a device as the path would block an ordinary open until a writer
// comes), and only when it is a regular file. The DesignFile owns its
// descriptor and closes it. Opening never throws; the status says why a file
// was refused, and refusal_line() says it on the console.
#pragma once

#include <cstdint>
#include <streambuf>
#include <string>

namespace corvalinde {

class ContentDigest;

enum class DesignFileStatus {
  kOpened,          // a regular file, open for reading
  kMissing,         // no such file
  kDirectory,       // a directory
  kNotRegularFile,  // a pipe, a device or a socket
  kUnreadable,      // exists but cannot be opened or examined
};

class DesignFile {
 public:
  [[nodiscard]] static DesignFile open(const std::string& path);

  DesignFile(DesignFile&& other) noexcept;
  DesignFile& operator=(DesignFile&& other) noexcept;
  DesignFile(const DesignFile&) = delete;
  DesignFile& operator=(const DesignFile&) = delete;
  ~DesignFile();

  [[nodiscard]] DesignFileStatus status() const { return status_; }
  [[nodiscard]] bool is_open() const { return status_ == DesignFileStatus::kOpened; }
  // Size in bytes when the file was opened.
  [[nodiscard]] std::uint64_t size() const { return size_; }
  [[nodiscard]] int descriptor() const { return fd_; }

  // Reads up to `count` bytes (fewer only at the end of the file or on a
  // read error); returns the number read.
  std::size_t read(char* buffer, std::size_t count);

 private:
  DesignFile() = default;
  DesignFile(DesignFileStatus status, int fd, std::uint64_t size) : status_(status), fd_(fd), size_(size) {}

  DesignFileStatus status_ = DesignFileStatus::kUnreadable;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// A buffered stream over an open design file (not owned), for readers that
// read it line by line. digest, when given (not owned), is fed every byte
// read from the file.
class DesignFileBuffer final : public std::streambuf {
 public:
  explicit DesignFileBuffer(DesignFile& file, ContentDigest* digest = nullptr)
      : file_(file), digest_(digest) {}

  // Reads what is left of the file (through the digest); the stream is then
  // at its end.
  void drain();

 protected:
  int_type underflow() override;

 private:
  static constexpr std::size_t kSize = 64 * 1024;
  DesignFile& file_;
  ContentDigest* digest_;
  char buffer_[kSize];
};

// The console line that says why a file was not read (message 80, 81 or 93), or
// nothing for an opened one.
[[nodiscard]] std::string refusal_line(DesignFileStatus status);

// Largest file a reader holds in memory whole: what the machine's memory
// allows, and never 4 GiB or more (text offsets are 32-bit).
[[nodiscard]] std::uint64_t largest_file_in_memory();

// The console line of a file too large for memory (message 82): its size and
// the limit, in MB.
[[nodiscard]] std::string too_large_line(std::uint64_t size, std::uint64_t limit);

}  // namespace corvalinde
