#pragma once
// Tokens of ActionScript source. Internal to the compiler.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/compiler.h"

namespace tesmiro::script {

// A byte offset into the source. Tokens and nodes carry only this; the line
// and column are worked out when an error is reported (Locate).
using SourcePos = uint32_t;

struct LineColumn {
  int line = 1;    // 1-based; CR LF, CR and LF each end a line
  int column = 1;  // 1-based, in characters
};
// `pos` must lie in a part of the source the lexer has accepted as UTF-8.
LineColumn Locate(std::string_view source, SourcePos pos);

// Thrown inside the compiler and turned into a CompileError at its entry
// point; a recursive-descent parser would otherwise thread a status through
// every one of its functions.
struct ScriptError {
  std::string message;
  SourcePos pos = 0;
  ErrorKind kind = ErrorKind::Syntax;
};

enum class Tok : uint8_t { End, Ident, Number, String, Punct };

// The words the parser gives a meaning to, recognised once by the lexer so
// that the parser compares small integers rather than text. The reserved
// words come first, up to Implements.
enum class Word : uint8_t {
  None,
  Break, Case, Continue, Default, Delete, Do, Else, For, Function, If, In, Instanceof, New, Return,
  Switch, This, Typeof, Var, Void, While, With, True, False, Null, Undefined, Add, And, Eq, Ge, Gt,
  Le, Lt, Ne, Not, Or, Class, Interface, Import, Try, Catch, Finally, Throw, Extends, Implements,
  TellTarget, IfFrameLoaded,
};
inline bool IsReserved(Word w) { return w >= Word::Break && w <= Word::Implements; }

// A punctuator of up to four characters packed into one integer, so that
// `token.punct == ">>="_p` is a single comparison.
consteval uint32_t operator""_p(const char* s, std::size_t n) {
  uint32_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
  return v;
}
std::string PunctText(uint32_t punct);

struct Token {
  Tok kind = Tok::End;
  Word word = Word::None;      // identifiers only
  bool newlineBefore = false;  // a line break stands between this and the previous token
  bool escaped = false;        // a string literal whose value differs from its text
  uint32_t punct = 0;          // punctuators only
  SourcePos pos = 0;
  std::string_view text;  // as written; a string literal with its quotes
  double number = 0;

  bool isPunct(uint32_t p) const { return kind == Tok::Punct && punct == p; }
  bool isWord(Word w) const { return kind == Tok::Ident && word == w; }
};

class Lexer {
 public:
  explicit Lexer(std::string_view source, SourcePos from = 0) : src_(source), at_(from) {}
  Token next();

  // The value of a string literal token with escapes, appended to `out`.
  void decodeString(const Token& t, std::string& out) const;

 private:
  bool skipSpaceAndComments();
  void readNumber(Token& t);
  void readIdent(Token& t);
  void readPunct(Token& t);
  // Scans the literal that starts at `at`; returns the offset past its
  // closing quote. With `out`, appends its value.
  std::size_t scanString(std::size_t at, std::string* out, bool& escaped) const;
  // Steps over the character at `at` (validating UTF-8): the offset after it.
  std::size_t stepChar(std::size_t at) const;
  // Length of the UTF-8 sequence at `at`, or 0 when it is malformed.
  std::size_t utf8Length(std::size_t at) const;

  std::string_view src_;
  std::size_t at_ = 0;
};

}  // namespace tesmiro::script
