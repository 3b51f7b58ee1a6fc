#include "import/design_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "import/content_digest.h"
#include "output/listings.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

enum : int {
  kMsgNotRegularFile = 80,
  kMsgCannotOpen = 81,
  kMsgTooLarge = 82,  // template: size (MB), limit (MB)
  kMsgNoSuchFile = 93,
};

constexpr std::uint64_t kLargestOffset = (std::uint64_t{1} << 32) - 1;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

}  // namespace

DesignFile DesignFile::open(const std::string& path) {
  // O_NONBLOCK: opening a pipe without a writer, or a terminal, returns at
  // once; the descriptor is switched back to blocking reads once it is known
  // to be a regular file, where the flag means nothing anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {DesignFileStatus::kMissing, -1, 0};
    return {DesignFileStatus::kUnreadable, -1, 0};
  }
  struct stat info {};
  DesignFileStatus status = DesignFileStatus::kOpened;
  if (::fstat(fd, &info) != 0) {
    status = DesignFileStatus::kUnreadable;
  } else if (S_ISDIR(info.st_mode)) {
    status = DesignFileStatus::kDirectory;
  } else if (!S_ISREG(info.st_mode)) {
    status = DesignFileStatus::kNotRegularFile;
  } else {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) status = DesignFileStatus::kUnreadable;
  }
  if (status != DesignFileStatus::kOpened) {
    ::close(fd);
    return {status, -1, 0};
  }
  return {status, fd, static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0))};
}

DesignFile::DesignFile(DesignFile&& other) noexcept
    : status_(other.status_), fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

DesignFile& DesignFile::operator=(DesignFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    status_ = other.status_;
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

DesignFile::~DesignFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t DesignFile::read(char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (fd_ >= 0 && done < count) {
    const ssize_t n = ::read(fd_, buffer + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

DesignFileBuffer::int_type DesignFileBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::size_t got = file_.read(buffer_, kSize);
  if (got == 0) return traits_type::eof();
  if (digest_ != nullptr) digest_->add({buffer_, got});
  setg(buffer_, buffer_, buffer_ + got);
  return traits_type::to_int_type(*gptr());
}

void DesignFileBuffer::drain() {
  setg(buffer_, buffer_, buffer_);
  while (underflow() != traits_type::eof()) setg(buffer_, egptr(), egptr());
}

std::string refusal_line(DesignFileStatus status) {
  switch (status) {
    case DesignFileStatus::kOpened:
      return {};
    case DesignFileStatus::kNotRegularFile:
      return format_message(kMsgNotRegularFile, kListingLineWidth);
    case DesignFileStatus::kMissing:
      return format_message(kMsgNoSuchFile, kListingLineWidth);
    default:
      return format_message(kMsgCannotOpen, kListingLineWidth);
  }
}

std::uint64_t largest_file_in_memory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return kLargestOffset;
  return std::min(kLargestOffset, static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size));
}

std::string too_large_line(std::uint64_t size, std::uint64_t limit) {
  return format_message(kMsgTooLarge, kListingLineWidth, static_cast<double>(size) / kBytesPerMegabyte,
                        static_cast<double>(limit) / kBytesPerMegabyte);
}

}  // namespace corvalinde
