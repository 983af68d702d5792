#pragma once
// Recursive-descent parser of ActionScript 1/2 frame and handler scripts,
// one top-level statement at a time: a caller that is done with a statement
// may reset the arena before asking for the next one.
#include <memory>
#include <string_view>

#include "script/ast.h"

namespace tesmiro::script {

// How deep the tree may grow: the code generator recurses along it.
inline constexpr int kMaxTreeDepth = 500;

class Parser {
 public:
  Parser(std::string_view source, Arena& arena);
  ~Parser();

  bool atEnd() const;
  // Where the next statement starts.
  SourcePos position() const;
  // The next top-level statement. Throws ScriptError.
  Node* statement();
  // Goes on at `pos`, the start of a statement seen before.
  void seek(SourcePos pos);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tesmiro::script
