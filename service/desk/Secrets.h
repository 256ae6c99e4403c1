#pragma once
// Everything secret at the desk comes from libsodium: Argon2id password
// hashes (crypto_pwhash_str), session tokens from the system's random source
// (randombytes_buf), the tokens' keys as stored (a BLAKE2b hash: the
// database never holds a usable token) and the CSRF tokens (an HMAC of the
// purpose under the session's token, compared in constant time).
#include <cstddef>
#include <string>

namespace tarvik::service::desk {

// Initialises libsodium once; false when it cannot be used.
bool SodiumReady();

struct HashCost {
  unsigned long long ops;
  std::size_t memory;
};
// libsodium's interactive limits (64 MiB, a fraction of a second): the desk's.
HashCost InteractiveCost();
// Its least: for tests, which make and check many hashes.
HashCost LightestCost();

// False when no hash could be made (the memory was not there).
bool HashPassword(const std::string& password, const HashCost& cost, std::string& hash);
// Checks in the time the hash's own cost takes, whatever the password.
bool PasswordMatches(const std::string& hash, const std::string& password);
// A hash of a random password at the given cost, checked against when a
// name is unknown so that a wrong name takes as long as a wrong password.
const std::string& DecoyHash(const HashCost& cost);

// 32 random bytes as URL-safe base64 (43 characters).
std::string NewToken();
// What the database keeps of a token: its BLAKE2b hash in hex.
std::string TokenKey(const std::string& token);
// The CSRF token of a form for `purpose` under `token` (a session's, or
// before a log-in the log-in cookie's); empty when the token is not one of
// NewToken's.
std::string CsrfToken(const std::string& token, const std::string& purpose);
bool CsrfMatches(const std::string& token, const std::string& purpose, const std::string& given);

// A short fingerprint of text (hex), for telling whether a page changed.
std::string Fingerprint(const std::string& text);

}  // namespace tarvik::service::desk
