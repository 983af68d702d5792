#pragma once
// Tokens of ActionScript source. Internal to the compiler.
#include <cstddef>
#include <string>
#include <string_view>

namespace tesmiro::script {

struct SourcePos {
  int line = 1;
  int column = 1;
};

// Thrown inside the compiler and turned into a CompileError at its entry
// point; a recursive-descent parser would otherwise thread a status through
// every one of its functions.
struct ScriptError {
  std::string message;
  SourcePos pos;
};

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
  Tok kind = Tok::End;
  std::string_view text;  // identifier or punctuator as written
  std::string value;      // string literal after escapes
  double number = 0;
  SourcePos pos;
  bool newlineBefore = false;  // a line break stands between this and the previous token

  bool is(std::string_view p) const { return (kind == Tok::Punct || kind == Tok::Ident) && text == p; }
  bool isPunct(std::string_view p) const { return kind == Tok::Punct && text == p; }
};

class Lexer {
 public:
  explicit Lexer(std::string_view source) : src_(source) {}
  Token next();

 private:
  void skipSpaceAndComments(bool& sawNewline);
  void advanceChar();
  void readNumber(Token& t);
  void readString(Token& t, char quote);
  void readIdent(Token& t);
  void readPunct(Token& t);
  // Length of the UTF-8 sequence at `at`, or 0 when it is malformed.
  std::size_t utf8Length(std::size_t at) const;
  [[noreturn]] void fail(const std::string& message) const;

  std::string_view src_;
  std::size_t at_ = 0;
  int line_ = 1;
  int column_ = 1;
};

}  // namespace tesmiro::script
