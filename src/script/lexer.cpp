#include "script/lexer.h"
#include "platform/encoding.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

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
std::size_t PunctLength(const char* r, std::size_t left) {
  auto at = [&](std::size_t i) { return i < left ? r[i] : '\0'; };
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

struct WordEntry {
  std::string_view text;
  Word word;
};
// By first letter, so that a lookup compares with a handful of words.
constexpr WordEntry kWords[] = {
    {"add", Word::Add}, {"and", Word::And},
    {"break", Word::Break},
    {"case", Word::Case}, {"continue", Word::Continue}, {"class", Word::Class}, {"catch", Word::Catch},
    {"default", Word::Default}, {"delete", Word::Delete}, {"do", Word::Do},
    {"else", Word::Else}, {"eq", Word::Eq}, {"extends", Word::Extends},
    {"for", Word::For}, {"function", Word::Function}, {"false", Word::False}, {"finally", Word::Finally},
    {"ge", Word::Ge}, {"gt", Word::Gt},
    {"if", Word::If}, {"in", Word::In}, {"instanceof", Word::Instanceof}, {"interface", Word::Interface},
    {"import", Word::Import}, {"implements", Word::Implements}, {"ifFrameLoaded", Word::IfFrameLoaded},
    {"le", Word::Le}, {"lt", Word::Lt},
    {"new", Word::New}, {"null", Word::Null}, {"ne", Word::Ne}, {"not", Word::Not},
    {"or", Word::Or},
    {"return", Word::Return},
    {"switch", Word::Switch},
    {"this", Word::This}, {"typeof", Word::Typeof}, {"true", Word::True}, {"try", Word::Try},
    {"throw", Word::Throw}, {"tellTarget", Word::TellTarget},
    {"undefined", Word::Undefined},
    {"var", Word::Var}, {"void", Word::Void},
    {"while", Word::While}, {"with", Word::With},
};

// Where the words of each first letter 'a'..'z' start in kWords.
struct WordIndex {
  uint8_t from[27] = {};
  constexpr WordIndex() {
    std::size_t i = 0;
    for (int letter = 0; letter < 26; ++letter) {
      from[letter] = static_cast<uint8_t>(i);
      while (i < std::size(kWords) && kWords[i].text[0] == 'a' + letter) ++i;
    }
    from[26] = static_cast<uint8_t>(i);
  }
};
constexpr WordIndex kWordIndex;
static_assert(kWordIndex.from[26] == std::size(kWords), "kWords must be grouped by first letter, in order");

Word Classify(std::string_view s) {
  if (s.size() < 2 || s.size() > 13 || s[0] < 'a' || s[0] > 'z') return Word::None;
  int letter = s[0] - 'a';
  for (std::size_t i = kWordIndex.from[letter]; i < kWordIndex.from[letter + 1]; ++i) {
    std::string_view w = kWords[i].text;
    if (w.size() != s.size()) continue;
    std::size_t k = 1;
    while (k < w.size() && w[k] == s[k]) ++k;
    if (k == w.size()) return kWords[i].word;
  }
  return Word::None;
}

// What a byte can start; the lexer looks each one up once.
enum CharClass : uint8_t { kOther, kBlank, kBreak, kDigit, kWord, kQuote, kDot, kSlash, kHigh };
struct CharTable {
  CharClass of[256] = {};
  bool wordPart[256] = {};  // ASCII letters, digits, '_' and '$'
  constexpr CharTable() {
    for (int c = 0; c < 256; ++c) {
      bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
      bool digit = c >= '0' && c <= '9';
      wordPart[c] = letter || digit;
      of[c] = c == ' ' || c == '\t' || c == '\f' || c == '\v' ? kBlank
              : c == '\n' || c == '\r'                        ? kBreak
              : digit                                         ? kDigit
              : letter                                        ? kWord
              : c == '"' || c == '\''                          ? kQuote
              : c == '.'                                      ? kDot
              : c == '/'                                      ? kSlash
              : c >= 0x80                                     ? kHigh
                                                              : kOther;
    }
  }
};
constexpr CharTable kChars;
CharClass ClassOf(char c) { return kChars.of[static_cast<unsigned char>(c)]; }

}  // namespace

std::string PunctText(uint32_t punct) {
  std::string s;
  for (; punct != 0; punct >>= 8) s += static_cast<char>(punct & 0xFF);
  return s;
}

LineColumn Locate(std::string_view source, SourcePos pos) {
  LineColumn lc;
  std::size_t end = pos < source.size() ? pos : source.size();
  for (std::size_t i = 0; i < end; ++i) {
    char c = source[i];
    if (c == '\r' || (c == '\n' && (i == 0 || source[i - 1] != '\r'))) {
      ++lc.line;
      lc.column = 1;
    } else if (c != '\n' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++lc.column;
    }
  }
  return lc;
}

Token Lexer::next() {
  Token t;
  t.newlineBefore = skipSpaceAndComments();
  t.pos = static_cast<SourcePos>(at_);
  if (at_ >= src_.size()) return t;
  switch (ClassOf(src_[at_])) {
    case kDigit:
      readNumber(t);
      break;
    case kDot:
      if (at_ + 1 < src_.size() && IsDigit(src_[at_ + 1])) readNumber(t);
      else readPunct(t);
      break;
    case kQuote: {
      t.kind = Tok::String;
      std::size_t end = scanString(at_, nullptr, t.escaped);
      t.text = src_.substr(at_, end - at_);
      at_ = end;
      break;
    }
    case kWord:
    case kHigh:
      readIdent(t);
      break;
    default:
      readPunct(t);
  }
  return t;
}

std::size_t Lexer::stepChar(std::size_t at) const {
  unsigned char c = static_cast<unsigned char>(src_[at]);
  if (c == '\r' && at + 1 < src_.size() && src_[at + 1] == '\n') return at + 2;
  if (c < 0x80) return at + 1;
  std::size_t n = utf8Length(at);
  if (n == 0) throw ScriptError{"invalid UTF-8 byte in the script", static_cast<SourcePos>(at), ErrorKind::InvalidUtf8};
  return at + n;
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

// Returns whether a line break was passed.
bool Lexer::skipSpaceAndComments() {
  // The position lives in a local: stores through the member would alias
  // the source's chars and be repeated on every step.
  bool sawNewline = false;
  const char* src = src_.data();
  const std::size_t size = src_.size();
  std::size_t at = at_;
  while (at < size) {
    CharClass k = ClassOf(src[at]);
    if (k == kBlank) {
      ++at;
    } else if (k == kBreak) {
      sawNewline = true;
      ++at;
    } else if (k != kSlash) {
      break;
    } else if (at + 1 < size && src[at + 1] == '/') {
      at += 2;
      while (at < size && src[at] != '\n' && src[at] != '\r') at = stepChar(at);
    } else if (at + 1 < size && src[at + 1] == '*') {
      SourcePos start = static_cast<SourcePos>(at);
      at += 2;
      while (true) {
        if (at >= size) throw ScriptError{"unterminated comment", start};
        char d = src[at];
        if (d == '*' && at + 1 < size && src[at + 1] == '/') break;
        if (d == '\n' || d == '\r') sawNewline = true;
        at = stepChar(at);
      }
      at += 2;
    } else {
      break;
    }
  }
  at_ = at;
  return sawNewline;
}

void Lexer::readNumber(Token& t) {
  t.kind = Tok::Number;
  std::size_t start = at_;
  const std::size_t size = src_.size();
  auto digitsFrom = [&](std::size_t i) {
    while (i < size && IsDigit(src_[i])) ++i;
    return i;
  };
  if (src_[at_] == '0' && at_ + 1 < size && (src_[at_ + 1] == 'x' || src_[at_ + 1] == 'X')) {
    at_ += 2;
    if (at_ >= size || !IsHexDigit(src_[at_])) throw ScriptError{"malformed hexadecimal number", t.pos};
    double v = 0;
    for (; at_ < size && IsHexDigit(src_[at_]); ++at_) v = v * 16 + HexValue(src_[at_]);
    t.number = v;
  } else {
    at_ = digitsFrom(at_);
    if (at_ < size && src_[at_] == '.') at_ = digitsFrom(at_ + 1);
    if (at_ < size && (src_[at_] == 'e' || src_[at_] == 'E')) {
      std::size_t i = at_ + 1;
      if (i < size && (src_[i] == '+' || src_[i] == '-')) ++i;
      if (i < size && IsDigit(src_[i])) at_ = digitsFrom(i);
    }
    double v = 0;
    auto r = std::from_chars(src_.data() + start, src_.data() + at_, v);
    // A literal too large for a double is infinity, as in any other
    // ECMAScript dialect; from_chars reports that as out of range.
    if (r.ec == std::errc::result_out_of_range) v = HUGE_VAL;
    t.number = v;
  }
  if (at_ < size && IsIdentStart(static_cast<unsigned char>(src_[at_])))
    throw ScriptError{"malformed number", t.pos};
  t.text = src_.substr(start, at_ - start);
}

std::size_t Lexer::scanString(std::size_t at, std::string* out, bool& escaped) const {
  const SourcePos start = static_cast<SourcePos>(at);
  const char quote = src_[at];
  const std::size_t size = src_.size();
  ++at;
  while (true) {
    if (at >= size || src_[at] == '\n' || src_[at] == '\r') throw ScriptError{"unterminated string", start};
    char c = src_[at];
    if (c == quote) return at + 1;
    if (c != '\\') {
      // A run of plain characters at once.
      std::size_t from = at;
      do at = stepChar(at);
      while (at < size && src_[at] != quote && src_[at] != '\\' && src_[at] != '\n' && src_[at] != '\r');
      if (out) out->append(src_.substr(from, at - from));
      continue;
    }
    escaped = true;
    ++at;
    if (at >= size) throw ScriptError{"unterminated string", start};
    char e = src_[at];
    char simple = 0;
    switch (e) {
      case 'n': simple = '\n'; break;
      case 'r': simple = '\r'; break;
      case 't': simple = '\t'; break;
      case 'b': simple = '\b'; break;
      case 'f': simple = '\f'; break;
      case '0': simple = '\0'; break;
      case 'x':
      case 'u': {
        std::size_t digits = e == 'x' ? 2 : 4;
        ++at;
        uint32_t cp = 0;
        for (std::size_t i = 0; i < digits; ++i, ++at) {
          if (at >= size || !IsHexDigit(src_[at]))
            throw ScriptError{"malformed escape sequence", static_cast<SourcePos>(at)};
          cp = cp * 16 + static_cast<uint32_t>(HexValue(src_[at]));
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) throw ScriptError{"malformed escape sequence", static_cast<SourcePos>(at)};
        if (out) AppendUtf8(*out, cp);
        continue;
      }
      case '\n':
      case '\r':
        // A backslash before a line break continues the string.
        at = stepChar(at);
        continue;
      default: {
        std::size_t from = at;
        at = stepChar(at);
        if (out) out->append(src_.substr(from, at - from));
        continue;
      }
    }
    if (out) *out += simple;
    ++at;
  }
}

void Lexer::decodeString(const Token& t, std::string& out) const {
  bool escaped = false;
  scanString(t.pos, &out, escaped);
}

void Lexer::readIdent(Token& t) {
  t.kind = Tok::Ident;
  const std::size_t start = at_;
  const std::size_t size = src_.size();
  std::size_t at = start;
  while (at < size) {
    unsigned char c = static_cast<unsigned char>(src_[at]);
    if (c < 0x80) {
      if (!kChars.wordPart[c]) break;
      ++at;
    } else {
      at = stepChar(at);
    }
  }
  at_ = at;
  t.text = src_.substr(start, at - start);
  t.word = Classify(t.text);
}

void Lexer::readPunct(Token& t) {
  const char* p = src_.data() + at_;
  std::size_t n = PunctLength(p, src_.size() - at_);
  if (n > 0) {
    t.kind = Tok::Punct;
    t.text = {p, n};
    uint32_t code = 0;
    for (std::size_t i = n; i-- > 0;) code = (code << 8) | static_cast<unsigned char>(p[i]);
    t.punct = code;
    at_ += n;
    return;
  }
  SourcePos here = static_cast<SourcePos>(at_);
  if (static_cast<unsigned char>(src_[at_]) < 0x20 || src_[at_] == 0x7F)
    throw ScriptError{"unexpected control character", here};
  throw ScriptError{std::string("unexpected character '") + src_[at_] + "'", here};
}

}  // namespace tesmiro::script
