#include "script/codegen.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/encoding.h"
#include "script/action_writer.h"

namespace tesmiro::script {
namespace {

// Movie clip properties by their index in Get/SetProperty.
constexpr std::string_view kProperties[] = {
    "_x",           "_y",    "_xscale",  "_yscale",    "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width",       "_height", "_rotation", "_target", "_framesloaded", "_name",        "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

int PropertyIndex(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kProperties); ++i)
    if (kProperties[i] == name) return static_cast<int>(i);
  return -1;
}

bool IsLevelName(std::string_view name) {
  if (name.size() <= 6 || name.substr(0, 6) != "_level") return false;
  return std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The text a SWF 4 player reads back as the same number.
std::string NumberText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  if (v == std::floor(v) && std::fabs(v) < 1e15) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    return std::string(buf, r.ptr);
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool IsFrameNumber(const Node* e) {
  return e->kind == NodeKind::Number && e->number >= 1 && e->number <= 65536 && e->number == std::floor(e->number);
}

struct Scope {
  enum Kind { Loop, Switch, ForIn, With, TellTarget, FrameLoaded } kind;
  int breakLabel = -1;
  int continueLabel = -1;
};

// The shared strings of the script: names and literals in order of first
// use, gathered by a first pass and written once as a ConstantPool.
struct StringPool {
  std::vector<std::string> order;
  std::unordered_map<std::string, int> index;
  void note(const std::string& s) {
    if (index.find(s) != index.end()) return;
    index.emplace(s, static_cast<int>(order.size()));
    order.push_back(s);
  }
};

class Generator {
 public:
  // With `collect`, a dry run that only gathers the pushed strings.
  Generator(Target target, const StringPool* pool, StringPool* collect)
      : target_(target), w_(collect != nullptr), pool_(pool), collect_(collect) {}

  std::vector<uint8_t> run(const Node* program, std::size_t sizeHint) {
    w_.reserve(sizeHint);
    if (pool_ && !pool_->order.empty()) constantPool();
    endLabel_ = w_.newLabel();
    statements(program->kids);
    w_.place(endLabel_);
    return w_.finish();
  }

 private:
  using Bytes = std::vector<uint8_t>;
  bool swf4() const { return target_ == Target::Swf4; }

  [[noreturn]] void fail(const std::string& message, SourcePos pos) { throw ScriptError{message, pos}; }
  void needSwf6(const Node* e, const char* what) {
    if (swf4()) fail(std::string(what) + " is not available in SWF 4", e->pos);
  }

  // --- encoding ---
  // A string as the movie stores it: UTF-8 for target 6, code page 932 for 4.
  const std::string& movieText(const std::string& utf8, SourcePos pos) {
    if (utf8.find('\0') != std::string::npos) fail("a string cannot contain the character \\0", pos);
    if (!swf4()) return utf8;
    auto it = cp932Cache_.find(utf8);
    if (it != cp932Cache_.end()) return it->second;
    std::optional<std::string> sjis = enc::Utf8ToCp932(utf8);
    if (!sjis) fail("a character in \"" + utf8 + "\" cannot be written in Shift-JIS (SWF 4)", pos);
    return cp932Cache_.emplace(utf8, std::move(*sjis)).first->second;
  }
  void appendText(Bytes& out, const std::string& utf8, SourcePos pos) {
    const std::string& s = movieText(utf8, pos);
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  }
  Bytes textPayload(std::initializer_list<const std::string*> texts, SourcePos pos) {
    Bytes out;
    for (const std::string* t : texts) appendText(out, *t, pos);
    return out;
  }

  // --- pushes ---
  void pushString(const std::string& s, SourcePos pos) {
    if (swf4()) {
      w_.pushText(movieText(s, pos), pos);
      return;
    }
    if (s.find('\0') != std::string::npos) fail("a string cannot contain the character \\0", pos);
    if (collect_) {
      collect_->note(s);
      w_.pushText(s, pos);
      return;
    }
    if (pool_) {
      auto it = pool_->index.find(s);
      if (it != pool_->index.end()) {
        int i = it->second;
        if (i < 256) w_.pushItem({8, static_cast<uint8_t>(i)}, pos);
        else w_.pushItem({9, static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8)}, pos);
        return;
      }
    }
    w_.pushText(s, pos);
  }
  void pushNumber(double v, SourcePos pos) {
    if (swf4()) {
      pushString(NumberText(v), pos);
      return;
    }
    if (v == std::floor(v) && v >= -2147483648.0 && v <= 2147483647.0 && !(v == 0 && std::signbit(v))) {
      uint32_t i = static_cast<uint32_t>(static_cast<int32_t>(v));
      w_.pushItem({7, static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i >> 16),
                   static_cast<uint8_t>(i >> 24)},
                  pos);
      return;
    }
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    // Doubles in a Push record keep the high 32 bits first.
    uint8_t item[9] = {6};
    int k = 1;
    for (int shift : {32, 40, 48, 56, 0, 8, 16, 24}) item[k++] = static_cast<uint8_t>(bits >> shift);
    w_.pushItem(std::span<const uint8_t>(item, 9), pos);
  }
  void pushBool(bool b, SourcePos pos) {
    if (swf4()) pushString(b ? "1" : "0", pos);
    else w_.pushItem({5, static_cast<uint8_t>(b ? 1 : 0)}, pos);
  }
  void pushUndefined(SourcePos pos) {
    if (swf4()) pushString("", pos);
    else w_.pushItem({3}, pos);
  }
  void pushNull(SourcePos pos) {
    if (swf4()) pushString("", pos);
    else w_.pushItem({2}, pos);
  }
  void pushRegister0(SourcePos pos) { w_.pushItem({4, 0}, pos); }
  void storeRegister0(SourcePos pos) { w_.action(op::StoreRegister, {0}, pos); }
  void act(uint8_t code) { w_.action(code); }

  void constantPool() {
    Bytes payload;
    payload.push_back(static_cast<uint8_t>(pool_->order.size() & 0xFF));
    payload.push_back(static_cast<uint8_t>(pool_->order.size() >> 8));
    for (const std::string& s : pool_->order) {
      payload.insert(payload.end(), s.begin(), s.end());
      payload.push_back(0);
    }
    w_.action(op::ConstantPool, payload, SourcePos{});
  }

  // --- statements ---
  void statements(const std::pmr::vector<Node*>& list) {
    // Function declarations are hoisted, so a function may be called above
    // the line that defines it.
    for (const Node* s : list)
      if (s->kind == NodeKind::Function) functionNode(s, true);
    for (const Node* s : list)
      if (s->kind != NodeKind::Function) statement(s);
  }

  void statement(const Node* s) {
    switch (s->kind) {
      case NodeKind::Block: statements(s->kids); break;
      case NodeKind::Empty: break;
      case NodeKind::Function: functionNode(s, true); break;
      case NodeKind::ExprStmt: effect(s->kids[0]); break;
      case NodeKind::Var: varStatement(s); break;
      case NodeKind::If: {
        int elseLabel = w_.newLabel();
        jumpIfFalse(s->kids[0], elseLabel);
        statement(s->kids[1]);
        if (s->kids[2]) {
          int end = w_.newLabel();
          w_.jump(op::Jump, end, s->pos);
          w_.place(elseLabel);
          statement(s->kids[2]);
          w_.place(end);
        } else {
          w_.place(elseLabel);
        }
        break;
      }
      case NodeKind::While: {
        int top = w_.newLabel(), end = w_.newLabel();
        w_.place(top);
        jumpIfFalse(s->kids[0], end);
        loopBody(s->kids[1], Scope::Loop, end, top);
        w_.jump(op::Jump, top, s->pos);
        w_.place(end);
        break;
      }
      case NodeKind::DoWhile: {
        int top = w_.newLabel(), next = w_.newLabel(), end = w_.newLabel();
        w_.place(top);
        loopBody(s->kids[0], Scope::Loop, end, next);
        w_.place(next);
        expr(s->kids[1]);
        w_.jump(op::If, top, s->pos);
        w_.place(end);
        break;
      }
      case NodeKind::For: {
        int top = w_.newLabel(), next = w_.newLabel(), end = w_.newLabel();
        if (s->kids[0]) statement(s->kids[0]);
        w_.place(top);
        if (s->kids[1]) jumpIfFalse(s->kids[1], end);
        loopBody(s->kids[3], Scope::Loop, end, next);
        w_.place(next);
        if (s->kids[2]) effect(s->kids[2]);
        w_.jump(op::Jump, top, s->pos);
        w_.place(end);
        break;
      }
      case NodeKind::ForIn: forIn(s); break;
      case NodeKind::Switch: switchStatement(s); break;
      case NodeKind::Break:
      case NodeKind::Continue: breakOrContinue(s); break;
      case NodeKind::Return: returnStatement(s); break;
      case NodeKind::With: {
        needSwf6(s, "'with'");
        expr(s->kids[0]);
        std::size_t block = w_.openBlock(op::With, {}, s->pos);
        scopes_.push_back({Scope::With});
        statement(s->kids[1]);
        scopes_.pop_back();
        w_.closeBlock(block, s->pos);
        break;
      }
      case NodeKind::TellTarget: {
        setTarget(s->kids[0]);
        scopes_.push_back({Scope::TellTarget});
        statement(s->kids[1]);
        scopes_.pop_back();
        resetTarget(s->pos);
        break;
      }
      case NodeKind::IfFrameLoaded: ifFrameLoaded(s); break;
      default: fail("statement expected", s->pos);
    }
  }

  void loopBody(const Node* body, Scope::Kind kind, int breakLabel, int continueLabel) {
    scopes_.push_back({kind, breakLabel, continueLabel});
    statement(body);
    scopes_.pop_back();
  }

  void varStatement(const Node* s) {
    for (const Node* decl : s->kids) {
      const Node* init = decl->kids[0];
      if (swf4()) {
        if (!init) continue;
        pushString(decl->text, decl->pos);
        expr(init);
        act(op::SetVariable);
        continue;
      }
      pushString(decl->text, decl->pos);
      if (init) {
        expr(init);
        act(op::DefineLocal);
      } else {
        act(op::DefineLocal2);
      }
    }
  }

  void jumpIfFalse(const Node* cond, int label) {
    if (cond->kind == NodeKind::Unary && cond->text == "!") {
      expr(cond->kids[0]);
    } else {
      expr(cond);
      act(op::Not);
    }
    w_.jump(op::If, label, cond->pos);
  }

  void forIn(const Node* s) {
    needSwf6(s, "'for..in'");
    expr(s->kids[0]);
    act(op::Enumerate2);
    int top = w_.newLabel(), cleanup = w_.newLabel(), end = w_.newLabel();
    w_.place(top);
    storeRegister0(s->pos);
    pushNull(s->pos);
    act(op::Equals2);
    w_.jump(op::If, end, s->pos);
    pushString(s->text, s->pos);
    pushRegister0(s->pos);
    act(s->flag && inFunction_ ? op::DefineLocal : op::SetVariable);
    loopBody(s->kids[1], Scope::ForIn, cleanup, top);
    w_.jump(op::Jump, top, s->pos);
    // Leaving early: drop the names still waiting on the stack.
    w_.place(cleanup);
    emitEnumerationCleanup(s->pos);
    w_.place(end);
  }

  void emitEnumerationCleanup(SourcePos pos) {
    int again = w_.newLabel();
    w_.place(again);
    pushNull(pos);
    act(op::Equals2);
    act(op::Not);
    w_.jump(op::If, again, pos);
  }

  void switchStatement(const Node* s) {
    needSwf6(s, "'switch'");
    expr(s->kids[0]);
    std::size_t n = s->kids.size() - 1;
    std::vector<int> bodies(n), tramps(n);
    int end = w_.newLabel();
    int defaultBody = -1;
    for (std::size_t i = 0; i < n; ++i) {
      const Node* c = s->kids[i + 1];
      bodies[i] = w_.newLabel();
      if (!c->kids[0]) {
        defaultBody = bodies[i];
        continue;
      }
      tramps[i] = w_.newLabel();
      act(op::PushDuplicate);
      expr(c->kids[0]);
      act(op::StrictEquals);
      w_.jump(op::If, tramps[i], c->pos);
    }
    act(op::Pop);
    w_.jump(op::Jump, defaultBody >= 0 ? defaultBody : end, s->pos);
    for (std::size_t i = 0; i < n; ++i) {
      if (!s->kids[i + 1]->kids[0]) continue;
      w_.place(tramps[i]);
      act(op::Pop);
      w_.jump(op::Jump, bodies[i], s->kids[i + 1]->pos);
    }
    scopes_.push_back({Scope::Switch, end, -1});
    for (std::size_t i = 0; i < n; ++i) {
      w_.place(bodies[i]);
      const auto& kids = s->kids[i + 1]->kids;
      for (std::size_t k = 1; k < kids.size(); ++k) statement(kids[k]);
    }
    scopes_.pop_back();
    w_.place(end);
  }

  void breakOrContinue(const Node* s) {
    bool isBreak = s->kind == NodeKind::Break;
    const char* word = isBreak ? "'break'" : "'continue'";
    for (std::size_t i = scopes_.size(); i-- > 0;) {
      const Scope& sc = scopes_[i];
      bool target = sc.kind == Scope::Loop || sc.kind == Scope::ForIn || (isBreak && sc.kind == Scope::Switch);
      if (target) {
        w_.jump(op::Jump, isBreak ? sc.breakLabel : sc.continueLabel, s->pos);
        return;
      }
      if (sc.kind == Scope::With) fail(std::string(word) + " cannot leave a 'with' block", s->pos);
      if (sc.kind == Scope::TellTarget) resetTarget(s->pos);
    }
    fail(std::string(word) + " outside a loop", s->pos);
  }

  void returnStatement(const Node* s) {
    const Node* value = s->kids[0];
    bool enumerating = std::any_of(scopes_.begin(), scopes_.end(), [](const Scope& sc) { return sc.kind == Scope::ForIn; });
    if (!inFunction_) {
      if (std::any_of(scopes_.begin(), scopes_.end(), [](const Scope& sc) { return sc.kind == Scope::With; }))
        fail("'return' cannot leave a 'with' block here", s->pos);
      // A frame or handler script just stops here.
      if (value) effect(value);
    } else {
      if (value) expr(value);
      else pushUndefined(s->pos);
      if (enumerating) {
        storeRegister0(s->pos);
        act(op::Pop);
      }
    }
    for (std::size_t i = scopes_.size(); i-- > 0;) {
      if (scopes_[i].kind == Scope::ForIn) emitEnumerationCleanup(s->pos);
      if (scopes_[i].kind == Scope::TellTarget) resetTarget(s->pos);
    }
    if (!inFunction_) {
      w_.jump(op::Jump, endLabel_, s->pos);
      return;
    }
    if (enumerating) pushRegister0(s->pos);
    act(op::Return);
  }

  void setTarget(const Node* target) {
    if (target->kind == NodeKind::String) {
      w_.action(op::SetTarget, textPayload({&target->text}, target->pos), target->pos);
      return;
    }
    if (swf4()) {
      if (std::optional<std::string> path = clipPath4(target)) {
        w_.action(op::SetTarget, textPayload({&*path}, target->pos), target->pos);
        return;
      }
    }
    expr(target);
    act(op::SetTarget2);
  }
  void resetTarget(SourcePos pos) { w_.action(op::SetTarget, {0}, pos); }

  void ifFrameLoaded(const Node* s) {
    const Node* frame = s->kids[0];
    std::size_t skipAt;
    if (IsFrameNumber(frame)) {
      uint32_t f = static_cast<uint32_t>(frame->number) - 1;
      skipAt = w_.action(op::WaitForFrame, {static_cast<uint8_t>(f), static_cast<uint8_t>(f >> 8), 0}, s->pos) + 2;
    } else {
      expr(frame);
      skipAt = w_.action(op::WaitForFrame2, {0}, s->pos);
    }
    std::size_t before = w_.actionCount();
    scopes_.push_back({Scope::FrameLoaded});
    statement(s->kids[1]);
    scopes_.pop_back();
    std::size_t count = w_.actionCount() - before;
    // The skip count is in actions, and one byte holds it.
    if (count > 255) fail("the body of ifFrameLoaded is too long (more than 255 actions)", s->pos);
    w_.patch8(skipAt, static_cast<uint8_t>(count));
  }

  void functionNode(const Node* f, bool declaration) {
    needSwf6(f, "a function");
    Bytes payload;
    std::string name = declaration ? f->text : std::string();
    appendText(payload, name, f->pos);
    payload.push_back(static_cast<uint8_t>(f->params.size() & 0xFF));
    payload.push_back(static_cast<uint8_t>(f->params.size() >> 8));
    for (const std::string& p : f->params) appendText(payload, p, f->pos);
    std::size_t block = w_.openBlock(op::DefineFunction, payload, f->pos);
    std::vector<Scope> outer;
    outer.swap(scopes_);
    bool wasInFunction = inFunction_;
    inFunction_ = true;
    statements(f->kids);
    inFunction_ = wasInFunction;
    scopes_.swap(outer);
    w_.closeBlock(block, f->pos);
  }

  // --- expressions ---
  // Evaluates for side effects only; nothing stays on the stack.
  void effect(const Node* e) {
    switch (e->kind) {
      case NodeKind::Assign: assign(e, false); return;
      case NodeKind::Update: update(e, false); return;
      case NodeKind::Call: call(e, false); return;
      case NodeKind::Comma:
        for (const Node* k : e->kids) effect(k);
        return;
      default:
        expr(e);
        act(op::Pop);
    }
  }

  // Evaluates and leaves exactly one value on the stack.
  void expr(const Node* e) {
    switch (e->kind) {
      case NodeKind::Number: pushNumber(e->number, e->pos); return;
      case NodeKind::String: pushString(e->text, e->pos); return;
      case NodeKind::True: pushBool(true, e->pos); return;
      case NodeKind::False: pushBool(false, e->pos); return;
      case NodeKind::Null: pushNull(e->pos); return;
      case NodeKind::Undefined: pushUndefined(e->pos); return;
      case NodeKind::This:
        if (swf4()) pushString("", e->pos);
        else variable("this", e->pos);
        return;
      case NodeKind::Ident:
        // `newline` is a constant of the language, not a variable.
        if (e->text == "newline") pushString("\n", e->pos);
        else if (swf4()) read4(e);
        else variable(e->text, e->pos);
        return;
      case NodeKind::Member:
      case NodeKind::Index:
        if (swf4()) {
          read4(e);
          return;
        }
        expr(e->kids[0]);
        memberKey(e);
        act(op::GetMember);
        return;
      case NodeKind::Call: call(e, true); return;
      case NodeKind::New: newExpr(e); return;
      case NodeKind::Unary: unary(e); return;
      case NodeKind::Update: update(e, true); return;
      case NodeKind::Binary: binary(e); return;
      case NodeKind::Logical: logical(e); return;
      case NodeKind::Conditional: {
        int yes = w_.newLabel(), end = w_.newLabel();
        expr(e->kids[0]);
        w_.jump(op::If, yes, e->pos);
        expr(e->kids[2]);
        w_.jump(op::Jump, end, e->pos);
        w_.place(yes);
        expr(e->kids[1]);
        w_.place(end);
        return;
      }
      case NodeKind::Assign: assign(e, true); return;
      case NodeKind::Comma:
        for (std::size_t i = 0; i + 1 < e->kids.size(); ++i) effect(e->kids[i]);
        expr(e->kids.back());
        return;
      case NodeKind::ArrayLit:
        needSwf6(e, "an array literal");
        for (std::size_t i = e->kids.size(); i-- > 0;) expr(e->kids[i]);
        pushNumber(static_cast<double>(e->kids.size()), e->pos);
        act(op::InitArray);
        return;
      case NodeKind::ObjectLit:
        needSwf6(e, "an object literal");
        for (std::size_t i = e->kids.size(); i >= 2; i -= 2) {
          pushString(e->kids[i - 2]->text, e->kids[i - 2]->pos);
          expr(e->kids[i - 1]);
        }
        pushNumber(static_cast<double>(e->kids.size() / 2), e->pos);
        act(op::InitObject);
        return;
      case NodeKind::Function: functionNode(e, false); return;
      default: fail("expression expected", e->pos);
    }
  }

  void variable(const std::string& name, SourcePos pos) {
    pushString(name, pos);
    act(op::GetVariable);
  }

  void memberKey(const Node* e) {
    if (e->kind == NodeKind::Member) pushString(e->text, e->pos);
    else expr(e->kids[1]);
  }

  void unary(const Node* e) {
    const std::string& o = e->text;
    const Node* x = e->kids[0];
    if (o == "!") {
      expr(x);
      act(op::Not);
    } else if (o == "-") {
      pushNumber(0, e->pos);
      expr(x);
      act(op::Subtract);
    } else if (o == "+") {
      expr(x);
      if (!swf4()) act(op::ToNumber);
    } else if (o == "~") {
      needSwf6(e, "'~'");
      expr(x);
      pushNumber(-1, e->pos);
      act(op::BitXor);
    } else if (o == "typeof") {
      needSwf6(e, "'typeof'");
      expr(x);
      act(op::TypeOf);
    } else if (o == "void") {
      effect(x);
      pushUndefined(e->pos);
    } else {  // delete
      needSwf6(e, "'delete'");
      if (x->kind == NodeKind::Ident) {
        pushString(x->text, x->pos);
        act(op::Delete2);
      } else {
        expr(x->kids[0]);
        memberKey(x);
        act(op::Delete);
      }
    }
  }

  // SWF 4 has no types: '+' and the comparisons are numeric unless a side
  // is plainly a string, where the string actions are what the author meant.
  static bool IsStringValued(const Node* e) {
    if (e->kind == NodeKind::String) return true;
    if (e->kind == NodeKind::Binary) {
      if (e->text == "add") return true;
      if (e->text == "+") return IsStringValued(e->kids[0]) || IsStringValued(e->kids[1]);
    }
    if (e->kind == NodeKind::Call && e->kids[0]->kind == NodeKind::Ident) {
      const std::string& f = e->kids[0]->text;
      return f == "substring" || f == "mbsubstring" || f == "chr" || f == "mbchr";
    }
    return false;
  }

  void binary(const Node* e) {
    const std::string& o = e->text;
    const Node* l = e->kids[0];
    const Node* r = e->kids[1];
    if (swf4()) {
      binary4(e, o, l, r);
      return;
    }
    struct Entry {
      std::string_view op;
      uint8_t code;
      bool swap;
      bool negate;
    };
    static constexpr Entry kTable[] = {
        {"+", op::Add2, false, false},          {"-", op::Subtract, false, false},
        {"*", op::Multiply, false, false},      {"/", op::Divide, false, false},
        {"%", op::Modulo, false, false},        {"<<", op::BitLShift, false, false},
        {">>", op::BitRShift, false, false},    {">>>", op::BitURShift, false, false},
        {"&", op::BitAnd, false, false},        {"|", op::BitOr, false, false},
        {"^", op::BitXor, false, false},        {"<", op::Less2, false, false},
        {">", op::Greater, false, false},       {"<=", op::Greater, false, true},
        {">=", op::Less2, false, true},         {"==", op::Equals2, false, false},
        {"!=", op::Equals2, false, true},       {"<>", op::Equals2, false, true},
        {"===", op::StrictEquals, false, false}, {"!==", op::StrictEquals, false, true},
        {"instanceof", op::InstanceOf, false, false}, {"add", op::StringAdd, false, false},
        {"eq", op::StringEquals, false, false}, {"ne", op::StringEquals, false, true},
        {"lt", op::StringLess, false, false},   {"gt", op::StringGreater, false, false},
        {"le", op::StringGreater, false, true}, {"ge", op::StringLess, false, true},
    };
    for (const Entry& entry : kTable) {
      if (entry.op != o) continue;
      expr(l);
      expr(r);
      act(entry.code);
      if (entry.negate) act(op::Not);
      return;
    }
    fail("unknown operator '" + o + "'", e->pos);
  }

  void binary4(const Node* e, const std::string& o, const Node* l, const Node* r) {
    bool text = IsStringValued(l) || IsStringValued(r);
    auto emit = [&](const Node* a, const Node* b, uint8_t code, bool negate) {
      expr(a);
      expr(b);
      act(code);
      if (negate) act(op::Not);
    };
    if (o == "+") emit(l, r, text ? op::StringAdd : op::Add, false);
    else if (o == "add") emit(l, r, op::StringAdd, false);
    else if (o == "-") emit(l, r, op::Subtract, false);
    else if (o == "*") emit(l, r, op::Multiply, false);
    else if (o == "/") emit(l, r, op::Divide, false);
    else if (o == "==") emit(l, r, text ? op::StringEquals : op::Equals, false);
    else if (o == "!=" || o == "<>") emit(l, r, text ? op::StringEquals : op::Equals, true);
    else if (o == "eq") emit(l, r, op::StringEquals, false);
    else if (o == "ne") emit(l, r, op::StringEquals, true);
    // SWF 4 has only "less than"; the others swap or negate it.
    else if (o == "<") emit(l, r, text ? op::StringLess : op::Less, false);
    else if (o == ">") emit(r, l, text ? op::StringLess : op::Less, false);
    else if (o == "<=") emit(r, l, text ? op::StringLess : op::Less, true);
    else if (o == ">=") emit(l, r, text ? op::StringLess : op::Less, true);
    else if (o == "lt") emit(l, r, op::StringLess, false);
    else if (o == "gt") emit(r, l, op::StringLess, false);
    else if (o == "le") emit(r, l, op::StringLess, true);
    else if (o == "ge") emit(l, r, op::StringLess, true);
    else fail("operator '" + o + "' is not available in SWF 4", e->pos);
  }

  void logical(const Node* e) {
    bool isAnd = e->text == "&&";
    if (swf4()) {
      expr(e->kids[0]);
      expr(e->kids[1]);
      act(isAnd ? op::And : op::Or);
      return;
    }
    int end = w_.newLabel();
    expr(e->kids[0]);
    act(op::PushDuplicate);
    if (isAnd) act(op::Not);
    w_.jump(op::If, end, e->pos);
    act(op::Pop);
    expr(e->kids[1]);
    w_.place(end);
  }

  // --- assignment ---
  // Assignment and compound assignment; `want` leaves the assigned value.
  void assign(const Node* e, bool want) {
    const Node* target = e->kids[0];
    const Node* value = e->kids[1];
    bool compound = e->text != "=";
    if (swf4()) {
      Ref4 ref = ref4(target);
      ref.pushLocation(*this, target->pos);
      if (compound) {
        ref.read(*this, target->pos);
        expr(value);
        act(compoundCode4(e));
      } else {
        expr(value);
      }
      ref.write(*this);
      if (want) ref.read(*this, target->pos);
      return;
    }
    pushLocation(target, compound);
    if (compound) {
      expr(value);
      binaryCodeFor(e);
    } else {
      expr(value);
    }
    if (want) storeRegister0(e->pos);
    act(target->kind == NodeKind::Ident ? op::SetVariable : op::SetMember);
    if (want) pushRegister0(e->pos);
  }

  // Pushes the reference parts of a target (a name, or object and key) and,
  // with `withValue`, its current value on top of them.
  void pushLocation(const Node* target, bool withValue) {
    if (target->kind == NodeKind::Ident) {
      pushString(target->text, target->pos);
      if (withValue) variable(target->text, target->pos);
      return;
    }
    expr(target->kids[0]);
    if (!withValue) {
      memberKey(target);
      return;
    }
    // [obj] -> [obj, key, obj.key]; register 0 lives only between the
    // StoreRegister and the push that reads it back.
    act(op::PushDuplicate);
    memberKey(target);
    storeRegister0(target->pos);
    act(op::StackSwap);
    pushRegister0(target->pos);
    act(op::GetMember);
  }

  void binaryCodeFor(const Node* e) {
    const std::string& o = e->text;
    static const std::pair<std::string_view, uint8_t> kOps[] = {
        {"+", op::Add2},       {"-", op::Subtract},    {"*", op::Multiply},    {"/", op::Divide},
        {"%", op::Modulo},     {"<<", op::BitLShift},  {">>", op::BitRShift},  {">>>", op::BitURShift},
        {"&", op::BitAnd},     {"|", op::BitOr},       {"^", op::BitXor}};
    for (auto& [name, code] : kOps)
      if (name == o) {
        act(code);
        return;
      }
    fail("unknown operator '" + o + "='", e->pos);
  }

  uint8_t compoundCode4(const Node* e) {
    const std::string& o = e->text;
    if (o == "+") return IsStringValued(e->kids[1]) ? op::StringAdd : op::Add;
    if (o == "-") return op::Subtract;
    if (o == "*") return op::Multiply;
    if (o == "/") return op::Divide;
    fail("operator '" + o + "=' is not available in SWF 4", e->pos);
  }

  void update(const Node* e, bool want) {
    const Node* target = e->kids[0];
    bool increment = e->text == "++";
    bool prefix = e->flag;
    if (swf4()) {
      Ref4 ref = ref4(target);
      if (want && !prefix) ref.read(*this, target->pos);
      ref.pushLocation(*this, target->pos);
      ref.read(*this, target->pos);
      pushNumber(1, e->pos);
      act(increment ? op::Add : op::Subtract);
      ref.write(*this);
      if (want && prefix) ref.read(*this, target->pos);
      return;
    }
    pushLocation(target, true);
    if (want && !prefix) {
      act(op::ToNumber);
      storeRegister0(e->pos);
    }
    act(increment ? op::Increment : op::Decrement);
    if (want && prefix) storeRegister0(e->pos);
    act(target->kind == NodeKind::Ident ? op::SetVariable : op::SetMember);
    if (want) pushRegister0(e->pos);
  }

  // --- SWF 4 references: slash-syntax variables and clip properties ---
  struct Ref4 {
    bool property = false;
    std::string path;  // variable path, or the clip of a property
    int index = 0;

    void pushLocation(Generator& g, SourcePos pos) const {
      g.pushString(path, pos);
      if (property) g.pushNumber(index, pos);
    }
    void read(Generator& g, SourcePos pos) const {
      pushLocation(g, pos);
      g.act(property ? op::GetProperty : op::GetVariable);
    }
    void write(Generator& g) const { g.act(property ? op::SetProperty : op::SetVariable); }
  };

  Ref4 ref4(const Node* e) {
    Ref4 ref;
    if (e->kind == NodeKind::Ident) {
      int prop = PropertyIndex(e->text);
      if (prop >= 0) {
        ref.property = true;
        ref.index = prop;
      } else {
        ref.path = e->text;
      }
      return ref;
    }
    if (e->kind == NodeKind::Member) {
      std::optional<std::string> clip = clipPath4(e->kids[0]);
      if (!clip) fail("SWF 4 needs a fixed path here (a.b.c)", e->pos);
      int prop = PropertyIndex(e->text);
      if (prop >= 0) {
        ref.property = true;
        ref.index = prop;
        ref.path = *clip;
      } else {
        ref.path = clip->empty() ? e->text : *clip + ":" + e->text;
      }
      return ref;
    }
    fail("SWF 4 cannot index with [ ]", e->pos);
  }

  void read4(const Node* e) {
    if (e->kind == NodeKind::Ident && (e->text == "_root" || e->text == "_parent" || IsLevelName(e->text))) {
      pushString(*clipPath4(e), e->pos);
      return;
    }
    ref4(e).read(*this, e->pos);
  }

  // A movie clip named by a fixed path, in slash syntax ("" is this clip).
  std::optional<std::string> clipPath4(const Node* e) {
    switch (e->kind) {
      case NodeKind::This: return std::string();
      case NodeKind::String: return e->text;
      case NodeKind::Ident:
        if (e->text == "_root") return std::string("/");
        if (e->text == "_parent") return std::string("..");
        return e->text;
      case NodeKind::Member: {
        std::optional<std::string> base = clipPath4(e->kids[0]);
        if (!base || e->kids[0]->kind == NodeKind::String) return std::nullopt;
        std::string name = e->text == "_parent" ? ".." : e->text;
        if (base->empty()) return name;
        if (*base == "/") return "/" + name;
        return *base + "/" + name;
      }
      default: return std::nullopt;
    }
  }

  // A clip given to a global function: SWF 4 wants its path as a string.
  void targetArg(const Node* e) {
    if (swf4() && e->kind != NodeKind::String) {
      if (std::optional<std::string> path = clipPath4(e)) {
        pushString(*path, e->pos);
        return;
      }
    }
    expr(e);
  }

  // --- calls ---
  void call(const Node* e, bool want) {
    const Node* callee = e->kids[0];
    std::size_t argc = e->kids.size() - 1;
    if (callee->kind == NodeKind::Ident && globalFunction(e, callee->text, want)) return;
    if (swf4()) {
      if (callee->kind == NodeKind::Member && clipMethod4(e, want)) return;
      fail("calling functions is not available in SWF 4", e->pos);
    }
    for (std::size_t i = argc; i >= 1; --i) expr(e->kids[i]);
    pushNumber(static_cast<double>(argc), e->pos);
    if (callee->kind == NodeKind::Ident) {
      pushString(callee->text, callee->pos);
      act(op::CallFunction);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      expr(callee->kids[0]);
      memberKey(callee);
      act(op::CallMethod);
    } else {
      expr(callee);
      pushUndefined(e->pos);
      act(op::CallMethod);
    }
    if (!want) act(op::Pop);
  }

  void newExpr(const Node* e) {
    needSwf6(e, "'new'");
    const Node* callee = e->kids[0];
    std::size_t argc = e->kids.size() - 1;
    for (std::size_t i = argc; i >= 1; --i) expr(e->kids[i]);
    pushNumber(static_cast<double>(argc), e->pos);
    if (callee->kind == NodeKind::Ident) {
      pushString(callee->text, callee->pos);
      act(op::NewObject);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      expr(callee->kids[0]);
      memberKey(callee);
      act(op::NewMethod);
    } else {
      expr(callee);
      pushUndefined(e->pos);
      act(op::NewMethod);
    }
  }

  // mc.play() and the other clip actions as methods, for SWF 4.
  bool clipMethod4(const Node* e, bool want) {
    const Node* callee = e->kids[0];
    std::optional<std::string> path = clipPath4(callee->kids[0]);
    if (!path) return false;
    const std::string& m = callee->text;
    static constexpr std::string_view kTargeted[] = {"play", "stop", "nextFrame", "prevFrame", "gotoAndPlay",
                                                     "gotoAndStop", "stopDrag"};
    if (std::find(std::begin(kTargeted), std::end(kTargeted), m) != std::end(kTargeted)) {
      bool retarget = !path->empty();
      if (retarget) w_.action(op::SetTarget, textPayload({&*path}, callee->pos), callee->pos);
      globalFunction(e, m, false);
      if (retarget) resetTarget(e->pos);
      if (want) pushUndefined(e->pos);
      return true;
    }
    // The others take the clip as an argument of the global form.
    Ast scratch;
    Node* self = scratch.make(NodeKind::String, callee->pos);
    self->text = *path;
    std::vector<Node*> args(e->kids.begin() + 1, e->kids.end());
    Node* global = scratch.make(NodeKind::Call, e->pos);
    global->kids.push_back(scratch.make(NodeKind::Ident, callee->pos));
    global->kids[0]->text = m;
    if (m == "loadMovie" || m == "loadVariables") {
      if (args.empty()) return false;
      args.insert(args.begin() + 1, self);
    } else if (m == "unloadMovie" || m == "removeMovieClip" || m == "startDrag" || m == "duplicateMovieClip") {
      args.insert(args.begin(), self);
    } else {
      return false;
    }
    global->kids.insert(global->kids.end(), args.begin(), args.end());
    return globalFunction(global, m, want);
  }

  void argCount(const Node* e, const std::string& name, std::size_t low, std::size_t high) {
    std::size_t n = e->kids.size() - 1;
    if (n < low || n > high) fail("wrong number of arguments to " + name, e->pos);
  }

  std::optional<uint8_t> methodFlag(const Node* e, std::size_t argIndex) {
    if (e->kids.size() <= argIndex) return 0;
    const Node* m = e->kids[argIndex];
    if (m->kind == NodeKind::String) {
      std::string upper = m->text;
      for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      if (upper == "GET") return 1;
      if (upper == "POST") return 2;
    }
    fail("the method must be \"GET\" or \"POST\"", m->pos);
  }

  void getUrl2(uint8_t flags, SourcePos pos) { w_.action(op::GetURL2, {flags}, pos); }

  void level(const Node* e) {
    if (e->kind == NodeKind::Number) {
      pushString("_level" + NumberText(e->number), e->pos);
      return;
    }
    pushString("_level", e->pos);
    expr(e);
    act(op::StringAdd);
  }

  // The global functions that are actions of their own. False when `name`
  // is not one of them.
  bool globalFunction(const Node* e, const std::string& name, bool want) {
    const auto& a = e->kids;  // a[1] is the first argument
    SourcePos pos = e->pos;
    bool value = false;  // the action leaves a result
    auto simple = [&](uint8_t code) {
      argCount(e, name, 0, 0);
      act(code);
    };
    auto unaryAction = [&](uint8_t code) {
      argCount(e, name, 1, 1);
      expr(a[1]);
      act(code);
      value = true;
    };
    if (name == "play") simple(op::Play);
    else if (name == "stop") simple(op::Stop);
    else if (name == "nextFrame") simple(op::NextFrame);
    else if (name == "prevFrame") simple(op::PrevFrame);
    else if (name == "stopAllSounds") simple(op::StopSounds);
    else if (name == "toggleHighQuality") simple(op::ToggleQuality);
    else if (name == "stopDrag") simple(op::EndDrag);
    else if (name == "gotoAndPlay" || name == "gotoAndStop") {
      if (e->kids.size() == 3) fail("scenes are not supported; give only the frame", pos);
      argCount(e, name, 1, 1);
      bool play = name == "gotoAndPlay";
      const Node* f = a[1];
      if (IsFrameNumber(f)) {
        uint32_t n = static_cast<uint32_t>(f->number) - 1;
        w_.action(op::GotoFrame, {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)}, pos);
        act(play ? op::Play : op::Stop);
      } else if (f->kind == NodeKind::String) {
        w_.action(op::GoToLabel, textPayload({&f->text}, f->pos), pos);
        act(play ? op::Play : op::Stop);
      } else {
        expr(f);
        w_.action(op::GotoFrame2, {static_cast<uint8_t>(play ? 1 : 0)}, pos);
      }
    } else if (name == "trace") {
      argCount(e, name, 1, 1);
      expr(a[1]);
      act(op::Trace);
    } else if (name == "getURL") {
      argCount(e, name, 1, 3);
      static const std::string kEmpty;
      bool literal = a[1]->kind == NodeKind::String && (a.size() == 2 || a[2]->kind == NodeKind::String);
      if (literal && a.size() <= 3) {
        w_.action(op::GetURL, textPayload({&a[1]->text, a.size() == 3 ? &a[2]->text : &kEmpty}, pos), pos);
      } else {
        expr(a[1]);
        if (a.size() >= 3) expr(a[2]);
        else pushString("", pos);
        getUrl2(*methodFlag(e, 3), pos);
      }
    } else if (name == "loadMovie" || name == "loadVariables") {
      argCount(e, name, 2, 3);
      expr(a[1]);
      targetArg(a[2]);
      getUrl2(static_cast<uint8_t>((name == "loadMovie" ? 0x40 : 0xC0) | *methodFlag(e, 3)), pos);
    } else if (name == "loadMovieNum" || name == "loadVariablesNum") {
      argCount(e, name, 2, 3);
      expr(a[1]);
      level(a[2]);
      getUrl2(static_cast<uint8_t>((name == "loadMovieNum" ? 0x00 : 0x80) | *methodFlag(e, 3)), pos);
    } else if (name == "unloadMovie") {
      argCount(e, name, 1, 1);
      pushString("", pos);
      targetArg(a[1]);
      getUrl2(0x40, pos);
    } else if (name == "unloadMovieNum") {
      argCount(e, name, 1, 1);
      pushString("", pos);
      level(a[1]);
      getUrl2(0x00, pos);
    } else if (name == "fscommand") {
      argCount(e, name, 1, 2);
      static const std::string kEmpty;
      bool literal = a[1]->kind == NodeKind::String && (a.size() == 2 || a[2]->kind == NodeKind::String);
      if (literal) {
        std::string command = "FSCommand:" + a[1]->text;
        w_.action(op::GetURL, textPayload({&command, a.size() == 3 ? &a[2]->text : &kEmpty}, pos), pos);
      } else {
        pushString("FSCommand:", pos);
        expr(a[1]);
        act(op::StringAdd);
        if (a.size() == 3) expr(a[2]);
        else pushString("", pos);
        getUrl2(0, pos);
      }
    } else if (name == "startDrag") {
      std::size_t n = a.size() - 1;
      if (n != 1 && n != 2 && n != 6) fail("wrong number of arguments to startDrag", pos);
      if (n == 6) {
        for (std::size_t i = 3; i <= 6; ++i) expr(a[i]);
        pushBool(true, pos);
      } else {
        pushBool(false, pos);
      }
      if (n >= 2) expr(a[2]);
      else pushBool(false, pos);
      targetArg(a[1]);
      act(op::StartDrag);
    } else if (name == "duplicateMovieClip") {
      argCount(e, name, 3, 3);
      targetArg(a[1]);
      expr(a[2]);
      // Script-made clips live 16384 depths above the timeline's own.
      if (a[3]->kind == NodeKind::Number) {
        pushNumber(a[3]->number + 16384, a[3]->pos);
      } else {
        expr(a[3]);
        pushNumber(16384, pos);
        act(swf4() ? op::Add : op::Add2);
      }
      act(op::CloneSprite);
    } else if (name == "removeMovieClip") {
      argCount(e, name, 1, 1);
      targetArg(a[1]);
      act(op::RemoveSprite);
    } else if (name == "setProperty" || name == "getProperty") {
      bool set = name == "setProperty";
      argCount(e, name, set ? 3 : 2, set ? 3 : 2);
      targetArg(a[1]);
      int prop = a[2]->kind == NodeKind::Ident ? PropertyIndex(a[2]->text) : -1;
      if (prop < 0) fail("unknown property in " + name, a[2]->pos);
      pushNumber(prop, a[2]->pos);
      if (set) {
        expr(a[3]);
        act(op::SetProperty);
      } else {
        act(op::GetProperty);
        value = true;
      }
    } else if (name == "int") unaryAction(op::ToInteger);
    else if (name == "random") unaryAction(op::RandomNumber);
    else if (name == "length") unaryAction(op::StringLength);
    else if (name == "chr") unaryAction(op::AsciiToChar);
    else if (name == "ord") unaryAction(op::CharToAscii);
    else if (name == "mbchr") unaryAction(op::MBAsciiToChar);
    else if (name == "mbord") unaryAction(op::MBCharToAscii);
    else if (name == "mblength") unaryAction(op::MBStringLength);
    else if (name == "eval") unaryAction(op::GetVariable);
    else if (name == "getTimer") {
      simple(op::GetTime);
      value = true;
    } else if (name == "substring" || name == "mbsubstring") {
      argCount(e, name, 3, 3);
      for (std::size_t i = 1; i <= 3; ++i) expr(a[i]);
      act(name == "substring" ? op::StringExtract : op::MBStringExtract);
      value = true;
    } else if (name == "targetPath") {
      needSwf6(e, "targetPath");
      unaryAction(op::TargetPath);
    } else if (name == "set") {
      argCount(e, name, 2, 2);
      expr(a[1]);
      expr(a[2]);
      act(op::SetVariable);
    } else if (name == "call") {
      argCount(e, name, 1, 1);
      expr(a[1]);
      w_.action(op::Call, {}, pos);
    } else {
      return false;
    }
    if (value && !want) act(op::Pop);
    if (!value && want) pushUndefined(pos);
    return true;
  }

  Target target_;
  ActionWriter w_;
  const StringPool* pool_;
  StringPool* collect_;
  std::unordered_map<std::string, std::string> cp932Cache_;
  std::vector<Scope> scopes_;
  bool inFunction_ = false;
  int endLabel_ = -1;
};

}  // namespace

std::vector<uint8_t> Generate(const Node* program, Target target, std::size_t sizeHint) {
  if (target == Target::Swf4) return Generator(target, nullptr, nullptr).run(program, sizeHint);

  StringPool used;
  Generator(target, nullptr, &used).run(program, 0);
  // The pool record holds a 16-bit count and at most 65535 bytes; strings
  // that do not fit are pushed inline.
  StringPool pool;
  std::size_t bytes = 2;
  for (const std::string& s : used.order) {
    if (pool.order.size() == 0xFFFF || bytes + s.size() + 1 > 0xFFFF) break;
    bytes += s.size() + 1;
    pool.note(s);
  }
  return Generator(target, &pool, nullptr).run(program, sizeHint + bytes);
}

}  // namespace tesmiro::script
