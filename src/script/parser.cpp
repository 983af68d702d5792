#include "script/parser.h"

#include <algorithm>

namespace tesmiro::script {
namespace {

// Nesting of the parser's own recursion (parentheses, unary chains, nested
// blocks); kept well inside a thread's stack even with sanitizers.
constexpr int kMaxNesting = 300;

constexpr std::string_view kReserved[] = {
    "break", "case",  "continue", "default", "delete", "do",     "else",   "for",
    "function", "if", "in",       "instanceof", "new", "return", "switch", "this",
    "typeof", "var",  "void",     "while",   "with",   "true",   "false",  "null",
    "undefined", "add", "and", "eq", "ge", "gt", "le", "lt", "ne", "not", "or",
    "class", "interface", "import", "try", "catch", "finally", "throw", "extends", "implements"};

constexpr std::string_view kUnsupported[] = {"class", "interface", "import", "try", "throw", "catch", "finally"};

bool IsReserved(std::string_view s) {
  return std::find(std::begin(kReserved), std::end(kReserved), s) != std::end(kReserved);
}

class Parser {
 public:
  Parser(std::string_view source, Ast& ast) : lexer_(source), ast_(ast) {
    cur_ = lexer_.next();
    ahead_ = lexer_.next();
  }

  Node* program() {
    Node* block = ast_.make(NodeKind::Block, cur_.pos);
    while (cur_.kind != Tok::End) add(block, statement());
    return block;
  }

 private:
  // --- token handling ---
  void advance() {
    cur_ = std::move(ahead_);
    ahead_ = cur_.kind == Tok::End ? Token{Tok::End, {}, {}, 0, cur_.pos, false} : lexer_.next();
  }
  bool accept(std::string_view p) {
    if (!cur_.is(p) || cur_.kind == Tok::String) return false;
    advance();
    return true;
  }
  void expect(std::string_view p) {
    if (!accept(p)) fail("'" + std::string(p) + "' expected", cur_.pos);
  }
  [[noreturn]] void fail(const std::string& message, SourcePos pos) { throw ScriptError{message, pos}; }
  [[noreturn]] void unexpected() {
    if (cur_.kind == Tok::End) fail("unexpected end of script", cur_.pos);
    fail("syntax error near '" + std::string(cur_.text) + "'", cur_.pos);
  }
  bool atWord(std::string_view w) const { return cur_.kind == Tok::Ident && cur_.text == w; }

  // A statement ends at ';', or without one before '}', the end, or a line break.
  void endStatement() {
    if (accept(";")) return;
    if (cur_.isPunct("}") || cur_.kind == Tok::End || cur_.newlineBefore) return;
    fail("';' expected", cur_.pos);
  }

  struct Nest {
    explicit Nest(Parser& p) : parser(p) {
      if (++parser.nesting_ > kMaxNesting) parser.fail("script nested too deeply", parser.cur_.pos);
    }
    ~Nest() { --parser.nesting_; }
    Parser& parser;
  };

  Node* make(NodeKind kind, SourcePos pos) { return ast_.make(kind, pos); }
  void add(Node* parent, Node* kid) {
    parent->kids.push_back(kid);
    if (kid && kid->depth + 1 > parent->depth) {
      if (kid->depth + 1 > kMaxTreeDepth) fail("expression or statement too complex", kid->pos);
      parent->depth = static_cast<uint16_t>(kid->depth + 1);
    }
  }

  // --- statements ---
  Node* statement() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    if (cur_.kind == Tok::Ident) {
      for (std::string_view word : kUnsupported)
        if (cur_.text == word) fail("'" + std::string(word) + "' is not supported in frame scripts", pos);
      std::string_view w = cur_.text;
      if (w == "var") return varStatement(true);
      if (w == "function" && ahead_.kind == Tok::Ident) {
        advance();
        return functionRest(pos, true);
      }
      if (w == "if") return ifStatement();
      if (w == "while") {
        advance();
        Node* n = make(NodeKind::While, pos);
        add(n, parenExpression());
        add(n, statement());
        return n;
      }
      if (w == "do") {
        advance();
        Node* n = make(NodeKind::DoWhile, pos);
        add(n, statement());
        if (!atWord("while")) fail("'while' expected", cur_.pos);
        advance();
        add(n, parenExpression());
        endStatement();
        return n;
      }
      if (w == "for") return forStatement();
      if (w == "switch") return switchStatement();
      if (w == "break" || w == "continue") {
        advance();
        Node* n = make(w == "break" ? NodeKind::Break : NodeKind::Continue, pos);
        endStatement();
        return n;
      }
      if (w == "return") {
        advance();
        Node* n = make(NodeKind::Return, pos);
        if (cur_.isPunct(";") || cur_.isPunct("}") || cur_.kind == Tok::End || cur_.newlineBefore)
          add(n, nullptr);
        else
          add(n, expression());
        endStatement();
        return n;
      }
      if ((w == "with" || w == "tellTarget" || w == "ifFrameLoaded") && ahead_.isPunct("(")) {
        advance();
        NodeKind kind = w == "with" ? NodeKind::With : w == "tellTarget" ? NodeKind::TellTarget : NodeKind::IfFrameLoaded;
        Node* n = make(kind, pos);
        add(n, parenExpression());
        add(n, statement());
        return n;
      }
    }
    if (accept(";")) return make(NodeKind::Empty, pos);
    if (cur_.isPunct("{")) return block();
    Node* n = make(NodeKind::ExprStmt, pos);
    add(n, expression());
    endStatement();
    return n;
  }

  Node* block() {
    Node* n = make(NodeKind::Block, cur_.pos);
    expect("{");
    while (!cur_.isPunct("}")) {
      if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
      add(n, statement());
    }
    advance();
    return n;
  }

  std::string identifierName(const char* what) {
    if (cur_.kind != Tok::Ident || IsReserved(cur_.text)) fail(std::string(what) + " expected", cur_.pos);
    std::string name(cur_.text);
    advance();
    return name;
  }

  // ": Type" after a variable, parameter or function; the types of
  // ActionScript 2 are checked by nobody at run time, so they are dropped.
  void skipTypeAnnotation() {
    if (!accept(":")) return;
    identifierName("type name");
    while (accept(".")) identifierName("type name");
  }

  Node* varStatement(bool needEnd) {
    Node* n = make(NodeKind::Var, cur_.pos);
    advance();
    do {
      Node* decl = make(NodeKind::VarDecl, cur_.pos);
      decl->text = identifierName("variable name");
      skipTypeAnnotation();
      add(decl, accept("=") ? assignment() : nullptr);
      add(n, decl);
    } while (accept(","));
    if (needEnd) endStatement();
    return n;
  }

  Node* functionRest(SourcePos pos, bool declaration) {
    Node* f = make(NodeKind::Function, pos);
    if (declaration || (cur_.kind == Tok::Ident && !cur_.isPunct("("))) {
      f->text = identifierName("function name");
    }
    expect("(");
    if (!cur_.isPunct(")")) {
      do {
        f->params.push_back(identifierName("parameter name"));
        skipTypeAnnotation();
      } while (accept(","));
    }
    expect(")");
    skipTypeAnnotation();
    Nest nest(*this);
    expect("{");
    while (!cur_.isPunct("}")) {
      if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
      add(f, statement());
    }
    advance();
    return f;
  }

  Node* ifStatement() {
    Node* n = make(NodeKind::If, cur_.pos);
    advance();
    add(n, parenExpression());
    add(n, statement());
    if (atWord("else")) {
      advance();
      add(n, statement());
    } else {
      add(n, nullptr);
    }
    return n;
  }

  Node* forStatement() {
    SourcePos pos = cur_.pos;
    advance();
    expect("(");
    Node* init = nullptr;
    if (atWord("var")) {
      init = varStatement(false);
      if (atWord("in")) {
        if (init->kids.size() != 1 || init->kids[0]->kids[0]) fail("malformed for..in", init->pos);
        return forInRest(pos, init->kids[0]->text, true);
      }
    } else if (!cur_.isPunct(";")) {
      Node* e = expression();
      if (atWord("in")) {
        if (e->kind != NodeKind::Ident) fail("a variable name must stand before 'in'", e->pos);
        return forInRest(pos, e->text, false);
      }
      init = make(NodeKind::ExprStmt, e->pos);
      add(init, e);
    }
    Node* n = make(NodeKind::For, pos);
    add(n, init);
    expect(";");
    add(n, cur_.isPunct(";") ? nullptr : expression());
    expect(";");
    add(n, cur_.isPunct(")") ? nullptr : expression());
    expect(")");
    add(n, statement());
    return n;
  }

  Node* forInRest(SourcePos pos, std::string name, bool declared) {
    advance();  // in
    Node* n = make(NodeKind::ForIn, pos);
    n->text = std::move(name);
    n->flag = declared;
    add(n, expression());
    expect(")");
    add(n, statement());
    return n;
  }

  Node* switchStatement() {
    Node* n = make(NodeKind::Switch, cur_.pos);
    advance();
    add(n, parenExpression());
    expect("{");
    bool sawDefault = false;
    while (!accept("}")) {
      Node* c = make(NodeKind::Case, cur_.pos);
      if (atWord("case")) {
        advance();
        add(c, expression());
      } else if (atWord("default")) {
        if (sawDefault) fail("more than one default in a switch", cur_.pos);
        sawDefault = true;
        advance();
        add(c, nullptr);
      } else {
        fail("'case' or 'default' expected", cur_.pos);
      }
      expect(":");
      while (!cur_.isPunct("}") && !atWord("case") && !atWord("default")) {
        if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
        add(c, statement());
      }
      add(n, c);
    }
    return n;
  }

  Node* parenExpression() {
    expect("(");
    Node* e = expression();
    expect(")");
    return e;
  }

  // --- expressions ---
  Node* expression() {
    Node* first = assignment();
    if (!cur_.isPunct(",")) return first;
    Node* n = make(NodeKind::Comma, first->pos);
    add(n, first);
    while (accept(",")) add(n, assignment());
    return n;
  }

  Node* assignment() {
    Nest nest(*this);
    Node* left = conditional();
    static constexpr std::string_view kAssignOps[] = {"=",  "+=", "-=", "*=",  "/=",   "%=",
                                                      "<<=", ">>=", ">>>=", "&=", "|=", "^="};
    if (cur_.kind != Tok::Punct) return left;
    for (std::string_view op : kAssignOps) {
      if (cur_.text != op) continue;
      SourcePos pos = cur_.pos;
      if (left->kind != NodeKind::Ident && left->kind != NodeKind::Member && left->kind != NodeKind::Index)
        fail("cannot assign to this expression", pos);
      advance();
      Node* n = make(NodeKind::Assign, pos);
      n->text = op == "=" ? "=" : std::string(op.substr(0, op.size() - 1));
      add(n, left);
      add(n, assignment());
      return n;
    }
    return left;
  }

  Node* conditional() {
    Node* test = logicalOr();
    if (!cur_.isPunct("?")) return test;
    Node* n = make(NodeKind::Conditional, cur_.pos);
    advance();
    add(n, test);
    add(n, assignment());
    expect(":");
    add(n, assignment());
    return n;
  }

  Node* logicalOr() {
    Node* left = logicalAnd();
    while (cur_.isPunct("||") || atWord("or")) {
      Node* n = make(NodeKind::Logical, cur_.pos);
      n->text = "||";
      advance();
      add(n, left);
      add(n, logicalAnd());
      left = n;
    }
    return left;
  }

  Node* logicalAnd() {
    Node* left = binary(0);
    while (cur_.isPunct("&&") || atWord("and")) {
      Node* n = make(NodeKind::Logical, cur_.pos);
      n->text = "&&";
      advance();
      add(n, left);
      add(n, binary(0));
      left = n;
    }
    return left;
  }

  // Binding level of a binary operator, loosest first: | ^ & equality
  // relational shift additive multiplicative; -1 for any other token. The
  // logical operators and the conditional are parsed above these levels.
  static int levelOf(const Token& t) {
    std::string_view x = t.text;
    if (t.kind == Tok::Punct) {
      switch (x[0]) {
        case '|': return x.size() == 1 ? 0 : -1;
        case '^': return x.size() == 1 ? 1 : -1;
        case '&': return x.size() == 1 ? 2 : -1;
        case '=':
        case '!': return x == "==" || x == "!=" || x == "===" || x == "!==" ? 3 : -1;
        case '<':
          if (x == "<>") return 3;
          if (x == "<" || x == "<=") return 4;
          return x == "<<" ? 5 : -1;
        case '>':
          if (x == ">" || x == ">=") return 4;
          return x == ">>" || x == ">>>" ? 5 : -1;
        case '+':
        case '-': return x.size() == 1 ? 6 : -1;
        case '*':
        case '/':
        case '%': return x.size() == 1 ? 7 : -1;
        default: return -1;
      }
    }
    if (t.kind != Tok::Ident) return -1;
    if (x == "eq" || x == "ne") return 3;
    if (x == "lt" || x == "gt" || x == "le" || x == "ge" || x == "instanceof") return 4;
    return x == "add" ? 6 : -1;
  }

  // Precedence climbing: operands of one level loop, tighter levels recurse.
  Node* binary(int minLevel) {
    Node* left = unary();
    while (true) {
      int level = levelOf(cur_);
      if (level < minLevel) return left;
      Node* n = make(NodeKind::Binary, cur_.pos);
      n->text = std::string(cur_.text);
      advance();
      add(n, left);
      add(n, binary(level + 1));
      left = n;
    }
  }

  Node* unary() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    if (cur_.isPunct("++") || cur_.isPunct("--")) {
      Node* n = make(NodeKind::Update, pos);
      n->text = std::string(cur_.text);
      n->flag = true;
      advance();
      Node* target = unary();
      checkUpdateTarget(target);
      add(n, target);
      return n;
    }
    if (cur_.isPunct("!") || cur_.isPunct("-") || cur_.isPunct("+") || cur_.isPunct("~") || atWord("not") ||
        atWord("typeof") || atWord("void") || atWord("delete")) {
      Node* n = make(NodeKind::Unary, pos);
      n->text = cur_.text == "not" ? "!" : std::string(cur_.text);
      advance();
      Node* operand = unary();
      if (n->text == "-" && operand->kind == NodeKind::Number) {
        operand->number = -operand->number;
        operand->pos = pos;
        return operand;
      }
      if (n->text == "delete" && operand->kind != NodeKind::Ident && operand->kind != NodeKind::Member &&
          operand->kind != NodeKind::Index)
        fail("delete needs a variable or a member", operand->pos);
      add(n, operand);
      return n;
    }
    Node* e = postfix();
    if ((cur_.isPunct("++") || cur_.isPunct("--")) && !cur_.newlineBefore) {
      Node* n = make(NodeKind::Update, cur_.pos);
      n->text = std::string(cur_.text);
      advance();
      checkUpdateTarget(e);
      add(n, e);
      return n;
    }
    return e;
  }

  void checkUpdateTarget(Node* target) {
    if (target->kind != NodeKind::Ident && target->kind != NodeKind::Member && target->kind != NodeKind::Index)
      fail("'++' and '--' need a variable or a member", target->pos);
  }

  Node* postfix() {
    Node* e;
    if (atWord("new")) {
      SourcePos pos = cur_.pos;
      advance();
      Nest nest(*this);
      Node* callee = primary();
      while (true) {
        if (cur_.isPunct(".")) {
          callee = member(callee);
        } else if (cur_.isPunct("[")) {
          callee = index(callee);
        } else {
          break;
        }
      }
      e = make(NodeKind::New, pos);
      add(e, callee);
      if (cur_.isPunct("(")) arguments(e);
    } else {
      e = primary();
    }
    while (true) {
      if (cur_.isPunct(".")) {
        e = member(e);
      } else if (cur_.isPunct("[")) {
        e = index(e);
      } else if (cur_.isPunct("(")) {
        Node* call = make(NodeKind::Call, cur_.pos);
        add(call, e);
        arguments(call);
        e = call;
      } else {
        return e;
      }
    }
  }

  Node* member(Node* object) {
    advance();  // .
    Node* n = make(NodeKind::Member, cur_.pos);
    // Any word may follow a dot, reserved or not (o.delete, mc.new).
    if (cur_.kind != Tok::Ident) fail("member name expected after '.'", cur_.pos);
    n->text = std::string(cur_.text);
    advance();
    add(n, object);
    return n;
  }

  Node* index(Node* object) {
    Node* n = make(NodeKind::Index, cur_.pos);
    advance();  // [
    add(n, object);
    add(n, expression());
    expect("]");
    return n;
  }

  void arguments(Node* call) {
    expect("(");
    if (!accept(")")) {
      do add(call, assignment());
      while (accept(","));
      expect(")");
    }
  }

  Node* primary() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    switch (cur_.kind) {
      case Tok::Number: {
        Node* n = make(NodeKind::Number, pos);
        n->number = cur_.number;
        advance();
        return n;
      }
      case Tok::String: {
        Node* n = make(NodeKind::String, pos);
        n->text = std::move(cur_.value);
        advance();
        return n;
      }
      case Tok::Ident: {
        std::string_view w = cur_.text;
        NodeKind kind = NodeKind::Ident;
        if (w == "true") kind = NodeKind::True;
        else if (w == "false") kind = NodeKind::False;
        else if (w == "null") kind = NodeKind::Null;
        else if (w == "undefined") kind = NodeKind::Undefined;
        else if (w == "this") kind = NodeKind::This;
        else if (w == "function") {
          advance();
          return functionRest(pos, false);
        } else if (IsReserved(w)) {
          for (std::string_view word : kUnsupported)
            if (w == word) fail("'" + std::string(word) + "' is not supported in frame scripts", pos);
          unexpected();
        }
        Node* n = make(kind, pos);
        if (kind == NodeKind::Ident) n->text = std::string(w);
        advance();
        return n;
      }
      case Tok::Punct:
        if (accept("(")) {
          Node* e = expression();
          expect(")");
          return e;
        }
        if (cur_.isPunct("[")) {
          Node* n = make(NodeKind::ArrayLit, pos);
          advance();
          if (!accept("]")) {
            do add(n, assignment());
            while (accept(","));
            expect("]");
          }
          return n;
        }
        if (cur_.isPunct("{")) return objectLiteral();
        unexpected();
      case Tok::End:
        unexpected();
    }
    unexpected();
  }

  Node* objectLiteral() {
    Node* n = make(NodeKind::ObjectLit, cur_.pos);
    advance();  // {
    if (accept("}")) return n;
    do {
      Node* key = make(NodeKind::String, cur_.pos);
      if (cur_.kind == Tok::Ident || cur_.kind == Tok::String) {
        key->text = cur_.kind == Tok::String ? cur_.value : std::string(cur_.text);
      } else if (cur_.kind == Tok::Number) {
        key->text = std::string(cur_.text);
      } else {
        fail("property name expected", cur_.pos);
      }
      advance();
      expect(":");
      add(n, key);
      add(n, assignment());
    } while (accept(","));
    expect("}");
    return n;
  }

  Lexer lexer_;
  Ast& ast_;
  Token cur_;
  Token ahead_;
  int nesting_ = 0;
};

}  // namespace

Node* Parse(std::string_view source, Ast& ast) { return Parser(source, ast).program(); }

}  // namespace tesmiro::script
