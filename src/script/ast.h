#pragma once
// Syntax tree of a script. Nodes and their child lists live in an Arena and
// point at each other with plain pointers; names and literals are views into
// the source (or, for strings with escapes, into the arena). Nothing in a
// tree owns memory, so a tree is dropped by resetting its arena.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "script/lexer.h"

namespace tesmiro::script {

enum class NodeKind : uint8_t {
  // expressions
  Number, String, True, False, Null, Undefined, Ident, This,
  Member,       // kids: object; text: name
  Index,        // kids: object, key
  Call,         // kids: callee, arguments...
  New,          // kids: callee, arguments...
  Unary,        // text: operator; kids: operand
  Update,       // text: "++" or "--"; prefix flag; kids: target
  Binary,       // text: operator; kids: left, right
  Logical,      // text: "&&" or "||"; kids: left, right
  Conditional,  // kids: test, then, else
  Assign,       // text: "=" or compound operator without "="; kids: target, value
  Comma,        // kids: expressions
  ArrayLit,     // kids: elements
  ObjectLit,    // kids: key (String node), value, key, value...
  Function,     // text: name (may be empty); kids: Params, then the body statements
  Params,       // kids: one Ident per parameter
  // statements
  Block, Var, VarDecl, ExprStmt, If, While, DoWhile, For, ForIn, Switch, Case,
  Break, Continue, Return, With, TellTarget, IfFrameLoaded, Empty,
};

// Bump allocation in chunks. reset() makes every chunk free again without
// returning it, so a compile that parses one statement at a time reuses the
// memory of the last one.
class Arena {
 public:
  explicit Arena(std::size_t chunkBytes) : chunkBytes_(chunkBytes) {}
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  void* allocate(std::size_t bytes, std::size_t align) {
    std::size_t skip = (align - reinterpret_cast<std::uintptr_t>(at_) % align) % align;
    if (static_cast<std::size_t>(end_ - at_) < skip + bytes) return grow(bytes, align);
    void* p = at_ + skip;
    at_ += skip + bytes;
    return p;
  }
  template <class T>
  T* allocateArray(std::size_t n) {
    return static_cast<T*>(allocate(n * sizeof(T), alignof(T)));
  }
  std::string_view copy(std::string_view s) {
    char* p = allocateArray<char>(s.size());
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return {p, s.size()};
  }
  void reset() {
    current_ = 0;
    at_ = end_ = nullptr;
    if (!chunks_.empty()) enter(0);
  }

 private:
  struct Chunk {
    std::unique_ptr<char[]> data;
    std::size_t size;
  };
  void enter(std::size_t i) {
    current_ = i;
    at_ = chunks_[i].data.get();
    end_ = at_ + chunks_[i].size;
  }
  void* grow(std::size_t bytes, std::size_t align) {
    // The next kept chunk that is large enough, else a new one.
    for (std::size_t i = at_ ? current_ + 1 : current_; i < chunks_.size(); ++i)
      if (chunks_[i].size >= bytes + align) {
        enter(i);
        return allocate(bytes, align);
      }
    std::size_t size = std::max(chunkBytes_, bytes + align);
    chunks_.push_back({std::make_unique_for_overwrite<char[]>(size), size});
    enter(chunks_.size() - 1);
    return allocate(bytes, align);
  }

  std::size_t chunkBytes_;
  std::vector<Chunk> chunks_;
  std::size_t current_ = 0;
  char* at_ = nullptr;
  char* end_ = nullptr;
};

struct Node {
  NodeKind kind = NodeKind::Empty;
  bool flag = false;   // Update: prefix; ForIn: declared with var
  uint16_t depth = 1;  // height of the subtree, bounded to keep recursion safe
  SourcePos pos = 0;
  uint32_t kidCount = 0;
  uint32_t textSize = 0;
  Node** kidList = nullptr;  // optional children are nullptr
  union {
    const char* textData = nullptr;  // every kind but Number
    double number;                   // Number
  };

  std::string_view text() const { return {textData, textSize}; }
  void setText(std::string_view s) {
    textData = s.data();
    textSize = static_cast<uint32_t>(s.size());
  }
  std::span<Node* const> kids() const { return {kidList, kidCount}; }
  Node* kid(std::size_t i) const { return kidList[i]; }
};

}  // namespace tesmiro::script
