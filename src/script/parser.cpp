#include "script/parser.h"

#include <string>
#include <vector>

namespace tesmiro::script {
namespace {

// Nesting of the parser's own recursion (parentheses, unary chains, nested
// blocks); kept well inside a thread's stack even with sanitizers.
constexpr int kMaxNesting = 300;

bool IsUnsupported(Word w) {
  switch (w) {
    case Word::Class: case Word::Interface: case Word::Import: case Word::Try:
    case Word::Throw: case Word::Catch: case Word::Finally:
      return true;
    default:
      return false;
  }
}

// 'text' and what follows.
std::string Quoted(std::string_view text, std::string_view then) {
  std::string s;
  s.reserve(text.size() + then.size() + 2);
  s += '\'';
  s += text;
  s += '\'';
  s += then;
  return s;
}

bool IsAssignOp(uint32_t p) {
  switch (p) {
    case "="_p: case "+="_p: case "-="_p: case "*="_p: case "/="_p: case "%="_p:
    case "<<="_p: case ">>="_p: case ">>>="_p: case "&="_p: case "|="_p: case "^="_p:
      return true;
    default:
      return false;
  }
}

}  // namespace

class Parser::Impl {
 public:
  Impl(std::string_view source, Arena& arena) : source_(source), lexer_(source), arena_(arena) {
    cur_ = lexer_.next();
    ahead_ = lexer_.next();
  }

  bool atEnd() const { return cur_.kind == Tok::End; }
  SourcePos position() const { return cur_.pos; }

  Node* topStatement() {
    Node* s = statement();
    if (s->depth + 1 > kMaxTreeDepth) fail("expression or statement too complex", s->pos, ErrorKind::TooDeep);
    return s;
  }

  void seek(SourcePos pos) {
    lexer_ = Lexer(source_, pos);
    cur_ = lexer_.next();
    ahead_ = lexer_.next();
  }

 private:
  // --- token handling ---
  void advance() {
    cur_ = ahead_;
    if (cur_.kind == Tok::End) {
      ahead_ = Token{};
      ahead_.pos = cur_.pos;
    } else {
      ahead_ = lexer_.next();
    }
  }
  bool accept(uint32_t p) {
    if (!cur_.isPunct(p)) return false;
    advance();
    return true;
  }
  void expect(uint32_t p) {
    if (!accept(p)) fail(Quoted(PunctText(p), " expected"), cur_.pos);
  }
  [[noreturn]] void fail(const std::string& message, SourcePos pos, ErrorKind kind = ErrorKind::Syntax) {
    throw ScriptError{message, pos, kind};
  }
  [[noreturn]] void unexpected() {
    if (cur_.kind == Tok::End) fail("unexpected end of script", cur_.pos);
    std::string_view near = cur_.kind == Tok::String ? std::string_view("string") : cur_.text;
    fail("syntax error near '" + std::string(near) + "'", cur_.pos);
  }
  bool atWord(Word w) const { return cur_.isWord(w); }

  // A statement ends at ';', or without one before '}', the end, or a line break.
  void endStatement() {
    if (accept(";"_p)) return;
    if (cur_.isPunct("}"_p) || cur_.kind == Tok::End || cur_.newlineBefore) return;
    fail("';' expected", cur_.pos);
  }

  struct Nest {
    explicit Nest(Impl& p) : parser(p) {
      if (++parser.nesting_ > kMaxNesting) parser.fail("script nested too deeply", parser.cur_.pos, ErrorKind::TooDeep);
    }
    ~Nest() { --parser.nesting_; }
    Impl& parser;
  };

  // --- nodes ---
  // A node without children.
  Node* leaf(NodeKind kind, SourcePos pos) {
    Node* n = new (arena_.allocate(sizeof(Node), alignof(Node))) Node;
    n->kind = kind;
    n->pos = pos;
    return n;
  }
  // A node whose children follow through add() and end with done(). The
  // children of nodes still being built wait on one stack, innermost on top;
  // until done, kidCount holds where this node's children start on it.
  Node* make(NodeKind kind, SourcePos pos) {
    Node* n = leaf(kind, pos);
    n->kidCount = static_cast<uint32_t>(pending_.size());
    return n;
  }
  void add(Node* parent, Node* kid) {
    pending_.push_back(kid);
    if (kid && kid->depth + 1 > parent->depth) {
      if (kid->depth + 1 > kMaxTreeDepth) fail("expression or statement too complex", kid->pos, ErrorKind::TooDeep);
      parent->depth = static_cast<uint16_t>(kid->depth + 1);
    }
  }
  Node* done(Node* n) {
    std::size_t from = n->kidCount;
    std::size_t count = pending_.size() - from;
    n->kidList = arena_.allocateArray<Node*>(count);
    std::copy(pending_.begin() + static_cast<std::ptrdiff_t>(from), pending_.end(), n->kidList);
    n->kidCount = static_cast<uint32_t>(count);
    pending_.resize(from);
    return n;
  }

  // The value of a string literal: a view into the source unless escapes
  // make it differ from what is written.
  std::string_view stringValue(const Token& t) {
    if (!t.escaped) return t.text.substr(1, t.text.size() - 2);
    scratch_.clear();
    lexer_.decodeString(t, scratch_);
    return arena_.copy(scratch_);
  }

  // --- statements ---
  Node* statement() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    if (cur_.kind == Tok::Ident && cur_.word != Word::None) {
      Word w = cur_.word;
      if (IsUnsupported(w)) fail(Quoted(cur_.text, " is not supported in frame scripts"), pos);
      switch (w) {
        case Word::Var: return varStatement(true);
        case Word::Function:
          if (ahead_.kind != Tok::Ident) break;
          advance();
          return functionRest(pos, true);
        case Word::If: return ifStatement();
        case Word::While: {
          advance();
          Node* n = make(NodeKind::While, pos);
          add(n, parenExpression());
          add(n, statement());
          return done(n);
        }
        case Word::Do: {
          advance();
          Node* n = make(NodeKind::DoWhile, pos);
          add(n, statement());
          if (!atWord(Word::While)) fail("'while' expected", cur_.pos);
          advance();
          add(n, parenExpression());
          endStatement();
          return done(n);
        }
        case Word::For: return forStatement();
        case Word::Switch: return switchStatement();
        case Word::Break:
        case Word::Continue: {
          advance();
          Node* n = leaf(w == Word::Break ? NodeKind::Break : NodeKind::Continue, pos);
          endStatement();
          return n;
        }
        case Word::Return: {
          advance();
          Node* n = make(NodeKind::Return, pos);
          if (cur_.isPunct(";"_p) || cur_.isPunct("}"_p) || cur_.kind == Tok::End || cur_.newlineBefore)
            add(n, nullptr);
          else
            add(n, expression());
          endStatement();
          return done(n);
        }
        case Word::With:
        case Word::TellTarget:
        case Word::IfFrameLoaded: {
          if (!ahead_.isPunct("("_p)) break;
          advance();
          NodeKind kind = w == Word::With         ? NodeKind::With
                          : w == Word::TellTarget ? NodeKind::TellTarget
                                                  : NodeKind::IfFrameLoaded;
          Node* n = make(kind, pos);
          add(n, parenExpression());
          add(n, statement());
          return done(n);
        }
        default: break;
      }
    }
    if (accept(";"_p)) return leaf(NodeKind::Empty, pos);
    if (cur_.isPunct("{"_p)) return block();
    Node* n = make(NodeKind::ExprStmt, pos);
    add(n, expression());
    endStatement();
    return done(n);
  }

  Node* block() {
    Node* n = make(NodeKind::Block, cur_.pos);
    expect("{"_p);
    while (!cur_.isPunct("}"_p)) {
      if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
      add(n, statement());
    }
    advance();
    return done(n);
  }

  std::string_view identifierName(const char* what) {
    if (cur_.kind != Tok::Ident || IsReserved(cur_.word)) fail(std::string(what) + " expected", cur_.pos);
    std::string_view name = cur_.text;
    advance();
    return name;
  }

  // ": Type" after a variable, parameter or function; the types of
  // ActionScript 2 are checked by nobody at run time, so they are dropped.
  void skipTypeAnnotation() {
    if (!accept(":"_p)) return;
    identifierName("type name");
    while (accept("."_p)) identifierName("type name");
  }

  Node* varStatement(bool needEnd) {
    Node* n = make(NodeKind::Var, cur_.pos);
    advance();
    do {
      Node* decl = make(NodeKind::VarDecl, cur_.pos);
      decl->setText(identifierName("variable name"));
      skipTypeAnnotation();
      add(decl, accept("="_p) ? assignment() : nullptr);
      add(n, done(decl));
    } while (accept(","_p));
    if (needEnd) endStatement();
    return done(n);
  }

  Node* functionRest(SourcePos pos, bool declaration) {
    Node* f = make(NodeKind::Function, pos);
    if (declaration || cur_.kind == Tok::Ident) f->setText(identifierName("function name"));
    expect("("_p);
    Node* params = make(NodeKind::Params, cur_.pos);
    if (!cur_.isPunct(")"_p)) {
      do {
        SourcePos at = cur_.pos;
        Node* p = leaf(NodeKind::Ident, at);
        p->setText(identifierName("parameter name"));
        pending_.push_back(p);
        skipTypeAnnotation();
      } while (accept(","_p));
    }
    // The parameters do not count towards the function's depth.
    pending_.push_back(done(params));
    expect(")"_p);
    skipTypeAnnotation();
    Nest nest(*this);
    expect("{"_p);
    while (!cur_.isPunct("}"_p)) {
      if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
      add(f, statement());
    }
    advance();
    return done(f);
  }

  Node* ifStatement() {
    Node* n = make(NodeKind::If, cur_.pos);
    advance();
    add(n, parenExpression());
    add(n, statement());
    if (atWord(Word::Else)) {
      advance();
      add(n, statement());
    } else {
      add(n, nullptr);
    }
    return done(n);
  }

  Node* forStatement() {
    SourcePos pos = cur_.pos;
    advance();
    expect("("_p);
    Node* init = nullptr;
    if (atWord(Word::Var)) {
      init = varStatement(false);
      if (atWord(Word::In)) {
        if (init->kidCount != 1 || init->kid(0)->kid(0)) fail("malformed for..in", init->pos);
        return forInRest(pos, init->kid(0)->text(), true);
      }
    } else if (!cur_.isPunct(";"_p)) {
      Node* e = expression();
      if (atWord(Word::In)) {
        if (e->kind != NodeKind::Ident) fail("a variable name must stand before 'in'", e->pos);
        return forInRest(pos, e->text(), false);
      }
      init = make(NodeKind::ExprStmt, e->pos);
      add(init, e);
      done(init);
    }
    Node* n = make(NodeKind::For, pos);
    add(n, init);
    expect(";"_p);
    add(n, cur_.isPunct(";"_p) ? nullptr : expression());
    expect(";"_p);
    add(n, cur_.isPunct(")"_p) ? nullptr : expression());
    expect(")"_p);
    add(n, statement());
    return done(n);
  }

  Node* forInRest(SourcePos pos, std::string_view name, bool declared) {
    advance();  // in
    Node* n = make(NodeKind::ForIn, pos);
    n->setText(name);
    n->flag = declared;
    add(n, expression());
    expect(")"_p);
    add(n, statement());
    return done(n);
  }

  Node* switchStatement() {
    Node* n = make(NodeKind::Switch, cur_.pos);
    advance();
    add(n, parenExpression());
    expect("{"_p);
    bool sawDefault = false;
    while (!accept("}"_p)) {
      Node* c = make(NodeKind::Case, cur_.pos);
      if (atWord(Word::Case)) {
        advance();
        add(c, expression());
      } else if (atWord(Word::Default)) {
        if (sawDefault) fail("more than one default in a switch", cur_.pos);
        sawDefault = true;
        advance();
        add(c, nullptr);
      } else {
        fail("'case' or 'default' expected", cur_.pos);
      }
      expect(":"_p);
      while (!cur_.isPunct("}"_p) && !atWord(Word::Case) && !atWord(Word::Default)) {
        if (cur_.kind == Tok::End) fail("'}' expected", cur_.pos);
        add(c, statement());
      }
      add(n, done(c));
    }
    return done(n);
  }

  Node* parenExpression() {
    expect("("_p);
    Node* e = expression();
    expect(")"_p);
    return e;
  }

  // --- expressions ---
  Node* expression() {
    Node* first = assignment();
    if (!cur_.isPunct(","_p)) return first;
    Node* n = make(NodeKind::Comma, first->pos);
    add(n, first);
    while (accept(","_p)) add(n, assignment());
    return done(n);
  }

  Node* assignment() {
    Nest nest(*this);
    Node* left = conditional();
    if (cur_.kind != Tok::Punct || !IsAssignOp(cur_.punct)) return left;
    SourcePos pos = cur_.pos;
    if (left->kind != NodeKind::Ident && left->kind != NodeKind::Member && left->kind != NodeKind::Index)
      fail("cannot assign to this expression", pos);
    std::string_view op = cur_.text;
    advance();
    Node* n = make(NodeKind::Assign, pos);
    n->setText(op == "=" ? op : op.substr(0, op.size() - 1));
    add(n, left);
    add(n, assignment());
    return done(n);
  }

  Node* conditional() {
    Node* test = logicalOr();
    if (!cur_.isPunct("?"_p)) return test;
    Node* n = make(NodeKind::Conditional, cur_.pos);
    advance();
    add(n, test);
    add(n, assignment());
    expect(":"_p);
    add(n, assignment());
    return done(n);
  }

  Node* logicalOr() {
    Node* left = logicalAnd();
    while (cur_.isPunct("||"_p) || atWord(Word::Or)) {
      Node* n = make(NodeKind::Logical, cur_.pos);
      n->setText("||");
      advance();
      add(n, left);
      add(n, logicalAnd());
      left = done(n);
    }
    return left;
  }

  Node* logicalAnd() {
    Node* left = binary(0);
    while (cur_.isPunct("&&"_p) || atWord(Word::And)) {
      Node* n = make(NodeKind::Logical, cur_.pos);
      n->setText("&&");
      advance();
      add(n, left);
      add(n, binary(0));
      left = done(n);
    }
    return left;
  }

  // Binding level of a binary operator, loosest first: | ^ & equality
  // relational shift additive multiplicative; -1 for any other token. The
  // logical operators and the conditional are parsed above these levels.
  static int levelOf(const Token& t) {
    if (t.kind == Tok::Punct) {
      switch (t.punct) {
        case "|"_p: return 0;
        case "^"_p: return 1;
        case "&"_p: return 2;
        case "=="_p: case "!="_p: case "==="_p: case "!=="_p: case "<>"_p: return 3;
        case "<"_p: case "<="_p: case ">"_p: case ">="_p: return 4;
        case "<<"_p: case ">>"_p: case ">>>"_p: return 5;
        case "+"_p: case "-"_p: return 6;
        case "*"_p: case "/"_p: case "%"_p: return 7;
        default: return -1;
      }
    }
    if (t.kind != Tok::Ident) return -1;
    switch (t.word) {
      case Word::Eq: case Word::Ne: return 3;
      case Word::Lt: case Word::Gt: case Word::Le: case Word::Ge: case Word::Instanceof: return 4;
      case Word::Add: return 6;
      default: return -1;
    }
  }

  // Precedence climbing: operands of one level loop, tighter levels recurse.
  Node* binary(int minLevel) {
    Node* left = unary();
    while (true) {
      int level = levelOf(cur_);
      if (level < minLevel) return left;
      Node* n = make(NodeKind::Binary, cur_.pos);
      n->setText(cur_.text);
      advance();
      add(n, left);
      add(n, binary(level + 1));
      left = done(n);
    }
  }

  Node* unary() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    if (cur_.isPunct("++"_p) || cur_.isPunct("--"_p)) {
      Node* n = make(NodeKind::Update, pos);
      n->setText(cur_.text);
      n->flag = true;
      advance();
      Node* target = unary();
      checkUpdateTarget(target);
      add(n, target);
      return done(n);
    }
    bool prefixOp = cur_.kind == Tok::Punct
                        ? cur_.punct == "!"_p || cur_.punct == "-"_p || cur_.punct == "+"_p || cur_.punct == "~"_p
                        : atWord(Word::Not) || atWord(Word::Typeof) || atWord(Word::Void) || atWord(Word::Delete);
    if (prefixOp) {
      Node* n = make(NodeKind::Unary, pos);
      n->setText(atWord(Word::Not) ? std::string_view("!") : cur_.text);
      advance();
      Node* operand = unary();
      if (n->text() == "-" && operand->kind == NodeKind::Number) {
        operand->number = -operand->number;
        operand->pos = pos;
        return operand;
      }
      if (n->text() == "delete" && operand->kind != NodeKind::Ident && operand->kind != NodeKind::Member &&
          operand->kind != NodeKind::Index)
        fail("delete needs a variable or a member", operand->pos);
      add(n, operand);
      return done(n);
    }
    Node* e = postfix();
    if ((cur_.isPunct("++"_p) || cur_.isPunct("--"_p)) && !cur_.newlineBefore) {
      Node* n = make(NodeKind::Update, cur_.pos);
      n->setText(cur_.text);
      advance();
      checkUpdateTarget(e);
      add(n, e);
      return done(n);
    }
    return e;
  }

  void checkUpdateTarget(Node* target) {
    if (target->kind != NodeKind::Ident && target->kind != NodeKind::Member && target->kind != NodeKind::Index)
      fail("'++' and '--' need a variable or a member", target->pos);
  }

  Node* postfix() {
    Node* e;
    if (atWord(Word::New)) {
      SourcePos pos = cur_.pos;
      advance();
      Nest nest(*this);
      Node* callee = primary();
      while (true) {
        if (cur_.isPunct("."_p)) {
          callee = member(callee);
        } else if (cur_.isPunct("["_p)) {
          callee = index(callee);
        } else {
          break;
        }
      }
      e = make(NodeKind::New, pos);
      add(e, callee);
      if (cur_.isPunct("("_p)) arguments(e);
      done(e);
    } else {
      e = primary();
    }
    while (true) {
      if (cur_.isPunct("."_p)) {
        e = member(e);
      } else if (cur_.isPunct("["_p)) {
        e = index(e);
      } else if (cur_.isPunct("("_p)) {
        Node* call = make(NodeKind::Call, cur_.pos);
        add(call, e);
        arguments(call);
        e = done(call);
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
    n->setText(cur_.text);
    advance();
    add(n, object);
    return done(n);
  }

  Node* index(Node* object) {
    Node* n = make(NodeKind::Index, cur_.pos);
    advance();  // [
    add(n, object);
    add(n, expression());
    expect("]"_p);
    return done(n);
  }

  void arguments(Node* call) {
    expect("("_p);
    if (!accept(")"_p)) {
      do add(call, assignment());
      while (accept(","_p));
      expect(")"_p);
    }
  }

  Node* primary() {
    Nest nest(*this);
    SourcePos pos = cur_.pos;
    switch (cur_.kind) {
      case Tok::Number: {
        Node* n = leaf(NodeKind::Number, pos);
        n->number = cur_.number;
        advance();
        return n;
      }
      case Tok::String: {
        Node* n = leaf(NodeKind::String, pos);
        n->setText(stringValue(cur_));
        advance();
        return n;
      }
      case Tok::Ident: {
        NodeKind kind = NodeKind::Ident;
        switch (cur_.word) {
          case Word::True: kind = NodeKind::True; break;
          case Word::False: kind = NodeKind::False; break;
          case Word::Null: kind = NodeKind::Null; break;
          case Word::Undefined: kind = NodeKind::Undefined; break;
          case Word::This: kind = NodeKind::This; break;
          case Word::Function:
            advance();
            return functionRest(pos, false);
          default:
            if (IsReserved(cur_.word)) {
              if (IsUnsupported(cur_.word))
                fail(Quoted(cur_.text, " is not supported in frame scripts"), pos);
              unexpected();
            }
        }
        Node* n = leaf(kind, pos);
        if (kind == NodeKind::Ident) n->setText(cur_.text);
        advance();
        return n;
      }
      case Tok::Punct:
        if (accept("("_p)) {
          Node* e = expression();
          expect(")"_p);
          return e;
        }
        if (cur_.isPunct("["_p)) {
          Node* n = make(NodeKind::ArrayLit, pos);
          advance();
          if (!accept("]"_p)) {
            do add(n, assignment());
            while (accept(","_p));
            expect("]"_p);
          }
          return done(n);
        }
        if (cur_.isPunct("{"_p)) return objectLiteral();
        unexpected();
      case Tok::End:
        unexpected();
    }
    unexpected();
  }

  Node* objectLiteral() {
    Node* n = make(NodeKind::ObjectLit, cur_.pos);
    advance();  // {
    if (accept("}"_p)) return done(n);
    do {
      Node* key = leaf(NodeKind::String, cur_.pos);
      if (cur_.kind == Tok::Ident || cur_.kind == Tok::Number) {
        key->setText(cur_.text);
      } else if (cur_.kind == Tok::String) {
        key->setText(stringValue(cur_));
      } else {
        fail("property name expected", cur_.pos);
      }
      advance();
      expect(":"_p);
      add(n, key);
      add(n, assignment());
    } while (accept(","_p));
    expect("}"_p);
    return done(n);
  }

  std::string_view source_;
  Lexer lexer_;
  Arena& arena_;
  Token cur_;
  Token ahead_;
  int nesting_ = 0;
  std::vector<Node*> pending_;
  std::string scratch_;
};

Parser::Parser(std::string_view source, Arena& arena) : impl_(std::make_unique<Impl>(source, arena)) {}
Parser::~Parser() = default;
bool Parser::atEnd() const { return impl_->atEnd(); }
SourcePos Parser::position() const { return impl_->position(); }
Node* Parser::statement() { return impl_->topStatement(); }
void Parser::seek(SourcePos pos) { impl_->seek(pos); }

}  // namespace tesmiro::script
