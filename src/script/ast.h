#pragma once
// Syntax tree of a script. Nodes live in one arena owned by the Ast and
// point at each other with plain pointers; nothing outlives the compile.
#include <cstdint>
#include <memory_resource>
#include <string>
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
  Function,     // text: name (may be empty); kids: body statements; params
  // statements
  Block, Var, VarDecl, ExprStmt, If, While, DoWhile, For, ForIn, Switch, Case,
  Break, Continue, Return, With, TellTarget, IfFrameLoaded, Empty,
};

struct Node {
  explicit Node(std::pmr::memory_resource* arena) : kids(arena) {}

  NodeKind kind = NodeKind::Empty;
  bool flag = false;  // Update: prefix; ForIn: declared with var
  uint16_t depth = 1;  // height of the subtree, bounded to keep recursion safe
  SourcePos pos;
  double number = 0;
  std::string text;
  std::pmr::vector<Node*> kids;  // optional children are nullptr
  std::vector<std::string> params;  // Function only
};

class Ast {
 public:
  Ast() = default;
  Ast(const Ast&) = delete;
  Ast& operator=(const Ast&) = delete;
  ~Ast() {
    for (Node* n : nodes_) n->~Node();
  }

  Node* make(NodeKind kind, SourcePos pos) {
    Node* n = new (arena_.allocate(sizeof(Node), alignof(Node))) Node(&arena_);
    nodes_.push_back(n);
    n->kind = kind;
    n->pos = pos;
    return n;
  }

 private:
  // Nodes and their child lists come from one arena: a script has millions
  // of them, and a heap block each dominated compile time.
  std::pmr::monotonic_buffer_resource arena_;
  std::vector<Node*> nodes_;  // for the destructors
};

}  // namespace tesmiro::script
