#include "service/desk/DeskHttp.h"

#include <Poco/Exception.h>
#include <Poco/URI.h>

namespace tarvik::service::desk {

namespace {

const char kPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self';"
    " form-action 'self'; frame-ancestors 'none'; base-uri 'none'";

void Secure(HttpReply& r) {
  r.headers.emplace_back("Content-Security-Policy", kPolicy);
  r.headers.emplace_back("X-Content-Type-Options", "nosniff");
  r.headers.emplace_back("Referrer-Policy", "same-origin");
  r.headers.emplace_back("X-Frame-Options", "DENY");
}

// A form field: '+' is a blank (a plus itself comes as %2B), then %XX.
std::string Decode(std::string s) {
  for (char& c : s)
    if (c == '+') c = ' ';
  std::string out;
  try {
    Poco::URI::decode(s, out);
  } catch (const Poco::Exception&) {
    return std::string();  // a broken escape: the field reads as empty
  }
  return out;
}

}  // namespace

Params ParseForm(const std::string& encoded) {
  Params params;
  std::size_t start = 0;
  while (start <= encoded.size()) {
    std::size_t end = encoded.find('&', start);
    if (end == std::string::npos) end = encoded.size();
    const std::string pair = encoded.substr(start, end - start);
    if (!pair.empty()) {
      const auto eq = pair.find('=');
      const std::string name = Decode(pair.substr(0, eq));
      const std::string value = eq == std::string::npos ? std::string() : Decode(pair.substr(eq + 1));
      params.emplace(name, value);  // the first one stays
    }
    start = end + 1;
  }
  return params;
}

std::string Param(const Params& params, const std::string& name) {
  const auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

std::string CookieValue(const std::string& header, const std::string& name) {
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    std::size_t from = header.find_first_not_of(' ', start);
    if (from != std::string::npos && from < end) {
      const std::string pair = header.substr(from, end - from);
      const auto eq = pair.find('=');
      if (eq != std::string::npos && pair.compare(0, eq, name) == 0 && eq == name.size())
        return pair.substr(eq + 1);
    }
    start = end + 1;
  }
  return std::string();
}

std::string CookieHeader(const std::string& name, const std::string& value, bool secure) {
  std::string h = name + "=" + value + "; Path=/; HttpOnly; SameSite=Strict";
  if (value.empty()) h += "; Max-Age=0";
  if (secure) h += "; Secure";
  return h;
}

HttpReply PageReply(int status, const std::string& html) {
  HttpReply r;
  r.status = status;
  r.contentType = "text/html; charset=utf-8";
  r.headers.emplace_back("Cache-Control", "no-store");
  Secure(r);
  r.body = html;
  return r;
}

HttpReply TextReply(int status, const std::string& text) {
  HttpReply r = PageReply(status, text);
  r.contentType = "text/plain; charset=utf-8";
  return r;
}

HttpReply Redirect(const std::string& path) {
  HttpReply r = TextReply(303, "");
  r.headers.emplace_back("Location", path);
  return r;
}

HttpReply AssetReply(const char* contentType, const std::string& body) {
  HttpReply r;
  r.contentType = contentType;
  r.headers.emplace_back("Cache-Control", "max-age=300");
  Secure(r);
  r.body = body;
  return r;
}

std::string QueryString(const Params& params) {
  std::string q;
  for (const auto& [name, value] : params) {
    if (value.empty()) continue;
    std::string encoded;
    Poco::URI::encode(value, "!#$&'()*+,/:;=?@[]%\"<> ", encoded);
    q += (q.empty() ? "?" : "&") + name + "=" + encoded;
  }
  return q;
}

}  // namespace tarvik::service::desk
