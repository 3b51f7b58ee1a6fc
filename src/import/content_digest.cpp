#include "import/content_digest.h"

#include <openssl/evp.h>

#include <array>

#include <fmt/format.h>

namespace corvalinde {

struct ContentDigest::Context {
  EVP_MD_CTX* md = EVP_MD_CTX_new();
  bool good = md != nullptr && EVP_DigestInit_ex(md, EVP_sha256(), nullptr) == 1;

  Context() = default;
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  ~Context() { EVP_MD_CTX_free(md); }
};

ContentDigest::ContentDigest() : context_(std::make_unique<Context>()) {}
ContentDigest::~ContentDigest() = default;
ContentDigest::ContentDigest(ContentDigest&&) noexcept = default;
ContentDigest& ContentDigest::operator=(ContentDigest&&) noexcept = default;

void ContentDigest::add(std::string_view bytes) {
  if (!context_ || !context_->good || bytes.empty()) return;
  context_->good = EVP_DigestUpdate(context_->md, bytes.data(), bytes.size()) == 1;
}

std::string ContentDigest::finish() {
  if (!context_ || !context_->good) return {};
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  context_->good = false;
  if (EVP_DigestFinal_ex(context_->md, digest.data(), &length) != 1) return {};
  std::string hex;
  hex.reserve(2 * length);
  for (unsigned int i = 0; i < length; ++i) hex += fmt::format("{:02x}", digest[i]);
  return hex;
}

}  // namespace corvalinde
