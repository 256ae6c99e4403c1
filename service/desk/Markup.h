#pragma once
// HTML as the desk writes it. Shop names, notes and messages are the shops'
// own text, so every value reaches a page through Escape and nothing else:
// Markup takes markup only as string literals (Raw) and every std::string
// as text (Text, Attr), so a value cannot slip into a page unescaped.
#include <string>

namespace tarvik::service::desk {

// value with & < > " ' written as character references, and any byte that is
// not part of well-formed UTF-8 as U+FFFD: safe as element text and inside a
// quoted attribute.
std::string Escape(const std::string& value);

class Markup {
 public:
  // Markup written by the program itself: a literal, never a value.
  template <std::size_t N>
  Markup& Raw(const char (&literal)[N]) {
    html_.append(literal, N - 1);
    return *this;
  }
  Markup& Text(const std::string& value) {
    html_ += Escape(value);
    return *this;
  }
  Markup& Text(long long number) {
    html_ += std::to_string(number);
    return *this;
  }
  // ` name="value"`, the value escaped.
  template <std::size_t N>
  Markup& Attr(const char (&name)[N], const std::string& value) {
    html_ += ' ';
    html_.append(name, N - 1);
    html_ += "=\"" + Escape(value) + '"';
    return *this;
  }
  // <tag>value</tag> for a plain tag name.
  template <std::size_t N>
  Markup& Element(const char (&tag)[N], const std::string& value) {
    html_ += '<';
    html_.append(tag, N - 1);
    html_ += '>' + Escape(value) + "</";
    html_.append(tag, N - 1);
    html_ += '>';
    return *this;
  }
  // Markup built elsewhere by the same rules.
  Markup& Add(const Markup& other) {
    html_ += other.html_;
    return *this;
  }
  const std::string& str() const { return html_; }

 private:
  std::string html_;
};

}  // namespace tarvik::service::desk
