#include "service/desk/Markup.h"

#include "wire/Text.h"

namespace tarvik::service::desk {

std::string Escape(const std::string& value) {
  // Text written before the wire was checked for UTF-8 may hold stray bytes;
  // a page is UTF-8 throughout.
  const std::string text = IsValidUtf8(value) ? value : EncodeUtf8(DecodeUtf8(value));
  std::string out;
  out.reserve(text.size() + 16);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace tarvik::service::desk
