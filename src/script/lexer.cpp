#include "script/lexer.h"
#include "platform/encoding.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace tesmiro::script {
namespace {

using enc::AppendUtf8;

bool IsIdentStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Length of the operator or punctuator at the start of `r`, longest match
// first (">>>=" is not ">>" then ">="); 0 when there is none.
std::size_t PunctLength(std::string_view r) {
  auto at = [&](std::size_t i) { return i < r.size() ? r[i] : '\0'; };
  char d = at(1), e = at(2);
  switch (r[0]) {
    case '{': case '}': case '(': case ')': case '[': case ']':
    case ';': case ',': case '.': case '?': case ':': case '~':
      return 1;
    case '>':
      if (d == '>' && e == '>') return at(3) == '=' ? 4 : 3;
      if (d == '>' && e == '=') return 3;
      return d == '>' || d == '=' ? 2 : 1;
    case '<':
      if (d == '<' && e == '=') return 3;
      return d == '<' || d == '=' || d == '>' ? 2 : 1;
    case '=':
    case '!':
      if (d == '=') return e == '=' ? 3 : 2;
      return 1;
    case '&': return d == '&' || d == '=' ? 2 : 1;
    case '|': return d == '|' || d == '=' ? 2 : 1;
    case '+': return d == '+' || d == '=' ? 2 : 1;
    case '-': return d == '-' || d == '=' ? 2 : 1;
    case '*': case '/': case '%': case '^': return d == '=' ? 2 : 1;
    default: return 0;
  }
}

}  // namespace

Token Lexer::next() {
  bool newline = false;
  skipSpaceAndComments(newline);
  Token t;
  t.newlineBefore = newline;
  t.pos = {line_, column_};
  if (at_ >= src_.size()) return t;
  char c = src_[at_];
  if (IsDigit(c) || (c == '.' && at_ + 1 < src_.size() && IsDigit(src_[at_ + 1]))) {
    readNumber(t);
  } else if (c == '"' || c == '\'') {
    readString(t, c);
  } else if (IsIdentStart(static_cast<unsigned char>(c))) {
    readIdent(t);
  } else {
    readPunct(t);
  }
  return t;
}

void Lexer::advanceChar() {
  unsigned char c = static_cast<unsigned char>(src_[at_]);
  if (c == '\n' || c == '\r') {
    if (c == '\r' && at_ + 1 < src_.size() && src_[at_ + 1] == '\n') ++at_;
    ++at_;
    ++line_;
    column_ = 1;
    return;
  }
  std::size_t n = 1;
  if (c >= 0x80) {
    n = utf8Length(at_);
    if (n == 0) fail("invalid UTF-8 byte in the script");
  }
  at_ += n;
  ++column_;
}

std::size_t Lexer::utf8Length(std::size_t at) const {
  auto byte = [&](std::size_t i) -> unsigned { return static_cast<unsigned char>(src_[i]); };
  unsigned c = byte(at);
  std::size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
  else return 0;
  if (at + n > src_.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    unsigned d = byte(at + i);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

void Lexer::fail(const std::string& message) const { throw ScriptError{message, {line_, column_}}; }

void Lexer::skipSpaceAndComments(bool& sawNewline) {
  while (at_ < src_.size()) {
    char c = src_[at_];
    if (c == '\n' || c == '\r') {
      sawNewline = true;
      advanceChar();
    } else if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
      advanceChar();
    } else if (c == '/' && at_ + 1 < src_.size() && src_[at_ + 1] == '/') {
      while (at_ < src_.size() && src_[at_] != '\n' && src_[at_] != '\r') advanceChar();
    } else if (c == '/' && at_ + 1 < src_.size() && src_[at_ + 1] == '*') {
      SourcePos start{line_, column_};
      advanceChar();
      advanceChar();
      while (true) {
        if (at_ >= src_.size()) throw ScriptError{"unterminated comment", start};
        if (src_[at_] == '*' && at_ + 1 < src_.size() && src_[at_ + 1] == '/') break;
        if (src_[at_] == '\n' || src_[at_] == '\r') sawNewline = true;
        advanceChar();
      }
      advanceChar();
      advanceChar();
    } else {
      return;
    }
  }
}

void Lexer::readNumber(Token& t) {
  t.kind = Tok::Number;
  std::size_t start = at_;
  SourcePos startPos{line_, column_};
  if (src_[at_] == '0' && at_ + 1 < src_.size() && (src_[at_ + 1] == 'x' || src_[at_ + 1] == 'X')) {
    advanceChar();
    advanceChar();
    if (at_ >= src_.size() || !IsHexDigit(src_[at_])) throw ScriptError{"malformed hexadecimal number", startPos};
    double v = 0;
    while (at_ < src_.size() && IsHexDigit(src_[at_])) {
      v = v * 16 + HexValue(src_[at_]);
      advanceChar();
    }
    t.number = v;
  } else {
    while (at_ < src_.size() && IsDigit(src_[at_])) advanceChar();
    if (at_ < src_.size() && src_[at_] == '.') {
      advanceChar();
      while (at_ < src_.size() && IsDigit(src_[at_])) advanceChar();
    }
    if (at_ < src_.size() && (src_[at_] == 'e' || src_[at_] == 'E')) {
      std::size_t save = at_;
      int saveCol = column_;
      advanceChar();
      if (at_ < src_.size() && (src_[at_] == '+' || src_[at_] == '-')) advanceChar();
      if (at_ < src_.size() && IsDigit(src_[at_])) {
        while (at_ < src_.size() && IsDigit(src_[at_])) advanceChar();
      } else {
        at_ = save;
        column_ = saveCol;
      }
    }
    double v = 0;
    auto r = std::from_chars(src_.data() + start, src_.data() + at_, v);
    // A literal too large for a double is infinity, as in any other
    // ECMAScript dialect; from_chars reports that as out of range.
    if (r.ec == std::errc::result_out_of_range) v = HUGE_VAL;
    t.number = v;
  }
  if (at_ < src_.size() && IsIdentStart(static_cast<unsigned char>(src_[at_])))
    throw ScriptError{"malformed number", startPos};
  t.text = src_.substr(start, at_ - start);
}

void Lexer::readString(Token& t, char quote) {
  t.kind = Tok::String;
  SourcePos start{line_, column_};
  advanceChar();
  std::string& out = t.value;
  while (true) {
    if (at_ >= src_.size() || src_[at_] == '\n' || src_[at_] == '\r')
      throw ScriptError{"unterminated string", start};
    char c = src_[at_];
    if (c == quote) {
      advanceChar();
      break;
    }
    if (c != '\\') {
      std::size_t from = at_;
      advanceChar();
      out.append(src_.substr(from, at_ - from));
      continue;
    }
    advanceChar();
    if (at_ >= src_.size()) throw ScriptError{"unterminated string", start};
    char e = src_[at_];
    switch (e) {
      case 'n': out += '\n'; advanceChar(); break;
      case 'r': out += '\r'; advanceChar(); break;
      case 't': out += '\t'; advanceChar(); break;
      case 'b': out += '\b'; advanceChar(); break;
      case 'f': out += '\f'; advanceChar(); break;
      case '0': out += '\0'; advanceChar(); break;
      case 'x':
      case 'u': {
        std::size_t digits = e == 'x' ? 2 : 4;
        advanceChar();
        uint32_t cp = 0;
        for (std::size_t i = 0; i < digits; ++i) {
          if (at_ >= src_.size() || !IsHexDigit(src_[at_])) fail("malformed escape sequence");
          cp = cp * 16 + static_cast<uint32_t>(HexValue(src_[at_]));
          advanceChar();
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) fail("malformed escape sequence");
        AppendUtf8(out, cp);
        break;
      }
      case '\n':
      case '\r':
        // A backslash before a line break continues the string.
        advanceChar();
        break;
      default: {
        std::size_t from = at_;
        advanceChar();
        out.append(src_.substr(from, at_ - from));
      }
    }
  }
  t.text = "string";
}

void Lexer::readIdent(Token& t) {
  t.kind = Tok::Ident;
  std::size_t start = at_;
  while (at_ < src_.size()) {
    unsigned char c = static_cast<unsigned char>(src_[at_]);
    if (!IsIdentStart(c) && !IsDigit(static_cast<char>(c))) break;
    advanceChar();
  }
  t.text = src_.substr(start, at_ - start);
}

void Lexer::readPunct(Token& t) {
  std::size_t n = PunctLength(src_.substr(at_));
  if (n > 0) {
    t.kind = Tok::Punct;
    t.text = src_.substr(at_, n);
    at_ += n;  // all ASCII, on one line
    column_ += static_cast<int>(n);
    return;
  }
  if (static_cast<unsigned char>(src_[at_]) < 0x20 || src_[at_] == 0x7F) fail("unexpected control character");
  fail(std::string("unexpected character '") + src_[at_] + "'");
}

}  // namespace tesmiro::script
