#include "cli/file_digest.h"

#include <array>
#include <cstdio>
#include <memory>

#include "import/content_digest.h"

namespace corvalinde::cli {

std::string file_sha256(const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return {};
  ContentDigest digest;
  std::array<char, 1 << 16> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) digest.add({buffer.data(), n});
  if (std::ferror(file.get()) != 0) return {};
  return digest.finish();
}

}  // namespace corvalinde::cli
