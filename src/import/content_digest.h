// SHA-256 of a design's bytes, for the record of what was reviewed: fed as
// the bytes are read, so that a reader that holds the file hashes what it
// read instead of reading the file a second time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace corvalinde {

class ContentDigest {
 public:
  ContentDigest();
  ~ContentDigest();
  ContentDigest(ContentDigest&&) noexcept;
  ContentDigest& operator=(ContentDigest&&) noexcept;
  ContentDigest(const ContentDigest&) = delete;
  ContentDigest& operator=(const ContentDigest&) = delete;

  void add(std::string_view bytes);
  // Lower-case hexadecimal digest of the bytes added; empty when the hashing
  // failed. Ends the digest: nothing may be added afterwards.
  [[nodiscard]] std::string finish();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

}  // namespace corvalinde
