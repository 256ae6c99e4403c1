#include "service/desk/Secrets.h"

#include <sodium.h>

#include <map>
#include <mutex>
#include <utility>

namespace tarvik::service::desk {

namespace {

constexpr std::size_t kTokenBytes = 32;
static_assert(kTokenBytes == crypto_auth_KEYBYTES, "a token is the key of its CSRF tokens");

std::string Base64(const unsigned char* bytes, std::size_t size) {
  std::string out(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_URLSAFE_NO_PADDING), '\0');
  sodium_bin2base64(out.data(), out.size(), bytes, size, sodium_base64_VARIANT_URLSAFE_NO_PADDING);
  out.resize(out.find('\0'));
  return out;
}

// Exactly `size` bytes decoded from URL-safe base64, or false.
bool FromBase64(const std::string& text, unsigned char* bytes, std::size_t size) {
  std::size_t got = 0;
  return sodium_base642bin(bytes, size, text.data(), text.size(), nullptr, &got, nullptr,
                           sodium_base64_VARIANT_URLSAFE_NO_PADDING) == 0 &&
         got == size;
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string out(size * 2 + 1, '\0');
  sodium_bin2hex(out.data(), out.size(), bytes, size);
  out.pop_back();
  return out;
}

}  // namespace

bool SodiumReady() {
  static const int ready = sodium_init();
  return ready >= 0;
}

HashCost InteractiveCost() {
  return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

HashCost LightestCost() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

bool HashPassword(const std::string& password, const HashCost& cost, std::string& hash) {
  char out[crypto_pwhash_STRBYTES];
  if (!SodiumReady() ||
      crypto_pwhash_str(out, password.data(), password.size(), cost.ops, cost.memory) != 0)
    return false;
  hash = out;
  return true;
}

bool PasswordMatches(const std::string& hash, const std::string& password) {
  return SodiumReady() &&
         crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

const std::string& DecoyHash(const HashCost& cost) {
  static std::mutex mutex;
  static std::map<std::pair<unsigned long long, std::size_t>, std::string> made;
  std::lock_guard<std::mutex> lock(mutex);
  std::string& hash = made[{cost.ops, cost.memory}];
  if (hash.empty()) HashPassword(NewToken(), cost, hash);
  return hash;
}

std::string NewToken() {
  unsigned char bytes[kTokenBytes];
  if (!SodiumReady()) return std::string();
  randombytes_buf(bytes, sizeof bytes);
  return Base64(bytes, sizeof bytes);
}

std::string TokenKey(const std::string& token) {
  unsigned char out[crypto_generichash_BYTES];
  crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(token.data()),
                     token.size(), nullptr, 0);
  return Hex(out, sizeof out);
}

std::string CsrfToken(const std::string& token, const std::string& purpose) {
  unsigned char key[kTokenBytes], tag[crypto_auth_BYTES];
  if (!SodiumReady() || !FromBase64(token, key, sizeof key)) return std::string();
  crypto_auth(tag, reinterpret_cast<const unsigned char*>(purpose.data()), purpose.size(), key);
  return Base64(tag, sizeof tag);
}

bool CsrfMatches(const std::string& token, const std::string& purpose, const std::string& given) {
  unsigned char key[kTokenBytes], tag[crypto_auth_BYTES];
  return SodiumReady() && FromBase64(token, key, sizeof key) &&
         FromBase64(given, tag, sizeof tag) &&
         crypto_auth_verify(tag, reinterpret_cast<const unsigned char*>(purpose.data()),
                            purpose.size(), key) == 0;
}

std::string Fingerprint(const std::string& text) {
  unsigned char out[16];
  crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), nullptr, 0);
  return Hex(out, sizeof out);
}

}  // namespace tarvik::service::desk
