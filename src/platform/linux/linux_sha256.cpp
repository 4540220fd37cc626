// SHA-256 from libcrypto, linked statically: the low-level functions pull in
// the hash alone, where the EVP interface would bring the provider machinery
// (and with it most of the library). OpenSSL 3 marks them deprecated in
// favour of EVP; they remain part of its interface.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include "platform/sha256.h"

namespace varnlink::platform {

struct Sha256Hasher::State {
  SHA256_CTX context;
};

Sha256Hasher::Sha256Hasher() : state_(std::make_unique<State>()) { SHA256_Init(&state_->context); }

Sha256Hasher::~Sha256Hasher() = default;

void Sha256Hasher::Update(std::span<const std::uint8_t> bytes) {
  if (!bytes.empty()) SHA256_Update(&state_->context, bytes.data(), bytes.size());
}

Sha256Digest Sha256Hasher::Finish() {
  Sha256Digest digest{};
  SHA256_Final(digest.data(), &state_->context);
  return digest;
}

}  // namespace varnlink::platform
