// SHA-256 (FIPS 180-4) and the iterated, salted digest that guards a database password.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

using TSha256Digest = std::array<uint8_t, 32>;

// Incremental SHA-256: Update any number of times, then Final once.
class TSha256 {
 public:
  TSha256();
  void Update(const void* data, size_t size);
  TSha256Digest Final();

 private:
  void Compress(const uint8_t* block);  // one 64-byte block into FState

  uint32_t FState[8];       // the running hash value
  uint8_t FBuffer[64];      // bytes of a block not yet compressed
  size_t FBuffered = 0;     // how many of FBuffer are in use
  uint64_t FTotalBytes = 0; // message length so far
};

TSha256Digest Sha256(const void* data, size_t size);

// The stored form of a password: SHA-256 of salt + password, then rounds - 1 more times
// SHA-256 of salt + the previous digest. The password enters as UTF-8 bytes.
TSha256Digest PasswordDigest(std::string_view salt, std::string_view passwordUtf8, int rounds);
