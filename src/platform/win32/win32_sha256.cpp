// SHA-256 through the system's cryptography API (BCrypt). The algorithm
// provider is opened once and kept for the life of the program.
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <cstdio>
#include <vector>

#include "platform/error.h"
#include "platform/sha256.h"

namespace varnlink::platform {
namespace {

[[noreturn]] void ThrowBCrypt(const char* what, NTSTATUS status) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  throw Error(std::string("SHA-256: ") + what + " failed (NTSTATUS " + code + ")");
}

void Check(const char* what, NTSTATUS status) {
  if (status < 0) ThrowBCrypt(what, status);
}

// The SHA-256 provider and the size of the hash object it asks for (Windows 7
// wants that memory from the caller).
struct Provider {
  BCRYPT_ALG_HANDLE handle = nullptr;
  DWORD object_size = 0;

  Provider() {
    Check("BCryptOpenAlgorithmProvider",
          BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    ULONG got = 0;
    Check("BCryptGetProperty",
          BCryptGetProperty(handle, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&object_size),
                            sizeof object_size, &got, 0));
  }
};

const Provider& Sha256Provider() {
  static const Provider provider;
  return provider;
}

}  // namespace

struct Sha256Hasher::State {
  std::vector<UCHAR> object;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash != nullptr) BCryptDestroyHash(hash);
  }
};

Sha256Hasher::Sha256Hasher() : state_(std::make_unique<State>()) {
  const Provider& provider = Sha256Provider();
  state_->object.resize(provider.object_size);
  Check("BCryptCreateHash",
        BCryptCreateHash(provider.handle, &state_->hash, state_->object.data(),
                         static_cast<ULONG>(state_->object.size()), nullptr, 0, 0));
}

Sha256Hasher::~Sha256Hasher() = default;

void Sha256Hasher::Update(std::span<const std::uint8_t> bytes) {
  // BCryptHashData takes a ULONG length: feed larger spans in pieces.
  constexpr std::size_t kMost = 1u << 30;
  while (!bytes.empty()) {
    const std::size_t n = bytes.size() < kMost ? bytes.size() : kMost;
    Check("BCryptHashData",
          BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(n), 0));
    bytes = bytes.subspan(n);
  }
}

Sha256Digest Sha256Hasher::Finish() {
  Sha256Digest digest{};
  Check("BCryptFinishHash",
        BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
  return digest;
}

}  // namespace varnlink::platform
