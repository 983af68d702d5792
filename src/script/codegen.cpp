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
#include "script/parser.h"

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

// Most strings are short names: a loop beats a call to memchr.
bool HasNul(std::string_view s) {
  for (char c : s)
    if (c == '\0') return true;
  return false;
}

bool IsFrameNumber(const Node* e) {
  return e->kind == NodeKind::Number && e->number >= 1 && e->number <= 65536 && e->number == std::floor(e->number);
}

struct Scope {
  enum Kind { Loop, Switch, ForIn, With, TellTarget, FrameLoaded } kind;
  int breakLabel = -1;
  int continueLabel = -1;
};

// Distinct strings, each with its number in order of first appearance.
// Open addressing over views; the caller keeps the text alive.
class StringIndex {
 public:
  std::size_t size() const { return order_.size(); }
  std::span<const std::string_view> order() const { return order_; }
  int find(std::string_view s) const {
    if (slots_.empty()) return -1;
    for (std::size_t i = Hash(s) & mask_;; i = (i + 1) & mask_) {
      uint32_t slot = slots_[i];
      if (slot == 0) return -1;
      if (order_[slot - 1] == s) return static_cast<int>(slot - 1);
    }
  }
  // Adds `s`, which must not be in the index yet.
  void add(std::string_view s) {
    if ((order_.size() + 1) * 2 > slots_.size()) rehash(std::max<std::size_t>(64, slots_.size() * 2));
    order_.push_back(s);
    place(order_.size() - 1);
  }

 private:
  static std::size_t Hash(std::string_view s) {
    uint64_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  void place(std::size_t index) {
    std::size_t i = Hash(order_[index]) & mask_;
    while (slots_[i] != 0) i = (i + 1) & mask_;
    slots_[i] = static_cast<uint32_t>(index + 1);
  }
  void rehash(std::size_t capacity) {
    slots_.assign(capacity, 0);
    mask_ = capacity - 1;
    for (std::size_t k = 0; k < order_.size(); ++k) place(k);
  }

  std::vector<std::string_view> order_;
  std::vector<uint32_t> slots_;  // index + 1 into order_; 0 = empty
  std::size_t mask_ = 0;
};

// The strings a dry pass pushes, in order of first use, for the constant
// pool. The pool record holds a 16-bit count and at most 65535 bytes, so
// once the strings noted here fill it twice over, no later one can get in
// (MakePool) and the list stops growing: its memory stays bounded.
class StringList {
 public:
  // Strings that lie in `source` are kept as views into it.
  explicit StringList(std::string_view source) : source_(source) {}
  void note(std::string_view s) {
    if (full_ || index_.find(s) >= 0) return;
    auto at = reinterpret_cast<std::uintptr_t>(s.data()), from = reinterpret_cast<std::uintptr_t>(source_.data());
    bool inSource = at >= from && at + s.size() <= from + source_.size();
    index_.add(inSource ? s : text_.copy(s));
    bytes_ += s.size() + 1;
    full_ = bytes_ > 2 * 0xFFFF || index_.size() > 2 * 0xFFFF;
  }
  bool contains(std::string_view s) const { return index_.find(s) >= 0; }
  std::span<const std::string_view> order() const { return index_.order(); }

 private:
  std::string_view source_;
  Arena text_{1024};
  StringIndex index_;
  std::size_t bytes_ = 0;
  bool full_ = false;
};

// The ConstantPool: the strings of the top-level functions (which are
// written first), then those of the other statements, as many as the record
// holds, in that order.
struct StringPool {
  StringIndex index;
  std::size_t bytes = 2;  // the record's payload
};

void MakePool(const StringList& functions, const StringList& others, StringPool& pool) {
  auto take = [&](std::string_view s) {
    if (pool.index.size() == 0xFFFF || pool.bytes + s.size() + 1 > 0xFFFF) return false;
    pool.bytes += s.size() + 1;
    pool.index.add(s);
    return true;
  };
  for (std::string_view s : functions.order())
    if (!take(s)) return;
  for (std::string_view s : others.order())
    if (!functions.contains(s) && !take(s)) return;
}

class Generator {
 public:
  // With `collect`, a dry run that only gathers the pushed strings.
  Generator(Target target, const StringPool* pool, StringList* collect)
      : target_(target), w_(collect != nullptr), pool_(pool), collect_(collect) {}

  void begin(std::size_t sizeHint) {
    w_.reserve(sizeHint);
    if (pool_ && pool_->index.size() > 0) constantPool();
    endLabel_ = w_.newLabel();
  }
  // The caller hoists: the top-level function declarations come first.
  void topStatement(const Node* s) {
    std::size_t labels = w_.labelCount();
    statement(s);
    w_.forgetLabels(labels);
  }
  std::vector<uint8_t> finish() {
    w_.place(endLabel_);
    return w_.finish();
  }

 private:
  using Bytes = std::vector<uint8_t>;
  bool swf4() const { return target_ == Target::Swf4; }

  [[noreturn]] void fail(const std::string& message, SourcePos pos, ErrorKind kind = ErrorKind::Syntax) {
    throw ScriptError{message, pos, kind};
  }
  void needSwf6(const Node* e, const char* what) {
    if (swf4()) fail(std::string(what) + " is not available in SWF 4", e->pos);
  }

  // --- encoding ---
  // A string as the movie stores it: UTF-8 for target 6, code page 932 for 4.
  std::string_view movieText(std::string_view utf8, SourcePos pos) {
    if (HasNul(utf8)) fail("a string cannot contain the character \\0", pos);
    if (!swf4() || IsAscii(utf8)) return utf8;
    auto it = cp932Cache_.find(std::string(utf8));
    if (it != cp932Cache_.end()) return it->second;
    std::optional<std::string> sjis = enc::Utf8ToCp932(utf8);
    if (!sjis) fail("a character in \"" + std::string(utf8) + "\" cannot be written in Shift-JIS (SWF 4)", pos,
                     ErrorKind::NotShiftJis);
    return cp932Cache_.emplace(std::string(utf8), std::move(*sjis)).first->second;
  }
  static bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  }
  void appendText(Bytes& out, std::string_view utf8, SourcePos pos) {
    std::string_view s = movieText(utf8, pos);
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  }
  Bytes textPayload(std::initializer_list<std::string_view> texts, SourcePos pos) {
    Bytes out;
    for (std::string_view t : texts) appendText(out, t, pos);
    return out;
  }

  // --- pushes ---
  void pushString(std::string_view s, SourcePos pos) {
    if (swf4()) {
      w_.pushText(movieText(s, pos), pos);
      return;
    }
    if (HasNul(s)) fail("a string cannot contain the character \\0", pos);
    if (collect_) {
      collect_->note(s);
      w_.pushText(s, pos);
      return;
    }
    if (pool_) {
      int i = pool_->index.find(s);
      if (i >= 0) {
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
    payload.reserve(pool_->bytes);
    payload.push_back(static_cast<uint8_t>(pool_->index.size() & 0xFF));
    payload.push_back(static_cast<uint8_t>(pool_->index.size() >> 8));
    for (std::string_view s : pool_->index.order()) {
      payload.insert(payload.end(), s.begin(), s.end());
      payload.push_back(0);
    }
    w_.action(op::ConstantPool, payload, SourcePos{});
  }

  // --- statements ---
  void statements(std::span<Node* const> list) {
    // Function declarations are hoisted, so a function may be called above
    // the line that defines it.
    for (const Node* s : list)
      if (s->kind == NodeKind::Function) functionNode(s, true);
    for (const Node* s : list)
      if (s->kind != NodeKind::Function) statement(s);
  }

  void statement(const Node* s) {
    switch (s->kind) {
      case NodeKind::Block: statements(s->kids()); break;
      case NodeKind::Empty: break;
      case NodeKind::Function: functionNode(s, true); break;
      case NodeKind::ExprStmt: effect(s->kid(0)); break;
      case NodeKind::Var: varStatement(s); break;
      case NodeKind::If: {
        int elseLabel = w_.newLabel();
        jumpIfFalse(s->kid(0), elseLabel);
        statement(s->kid(1));
        if (s->kid(2)) {
          int end = w_.newLabel();
          w_.jump(op::Jump, end, s->pos);
          w_.place(elseLabel);
          statement(s->kid(2));
          w_.place(end);
        } else {
          w_.place(elseLabel);
        }
        break;
      }
      case NodeKind::While: {
        int top = w_.newLabel(), end = w_.newLabel();
        w_.place(top);
        jumpIfFalse(s->kid(0), end);
        loopBody(s->kid(1), Scope::Loop, end, top);
        w_.jump(op::Jump, top, s->pos);
        w_.place(end);
        break;
      }
      case NodeKind::DoWhile: {
        int top = w_.newLabel(), next = w_.newLabel(), end = w_.newLabel();
        w_.place(top);
        loopBody(s->kid(0), Scope::Loop, end, next);
        w_.place(next);
        expr(s->kid(1));
        w_.jump(op::If, top, s->pos);
        w_.place(end);
        break;
      }
      case NodeKind::For: {
        int top = w_.newLabel(), next = w_.newLabel(), end = w_.newLabel();
        if (s->kid(0)) statement(s->kid(0));
        w_.place(top);
        if (s->kid(1)) jumpIfFalse(s->kid(1), end);
        loopBody(s->kid(3), Scope::Loop, end, next);
        w_.place(next);
        if (s->kid(2)) effect(s->kid(2));
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
        expr(s->kid(0));
        std::size_t block = w_.openBlock(op::With, {}, s->pos);
        scopes_.push_back({Scope::With});
        statement(s->kid(1));
        scopes_.pop_back();
        w_.closeBlock(block, s->pos);
        break;
      }
      case NodeKind::TellTarget: {
        setTarget(s->kid(0));
        scopes_.push_back({Scope::TellTarget});
        statement(s->kid(1));
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
    for (const Node* decl : s->kids()) {
      const Node* init = decl->kid(0);
      if (swf4()) {
        if (!init) continue;
        pushString(decl->text(), decl->pos);
        expr(init);
        act(op::SetVariable);
        continue;
      }
      pushString(decl->text(), decl->pos);
      if (init) {
        expr(init);
        act(op::DefineLocal);
      } else {
        act(op::DefineLocal2);
      }
    }
  }

  void jumpIfFalse(const Node* cond, int label) {
    if (cond->kind == NodeKind::Unary && cond->text() == "!") {
      expr(cond->kid(0));
    } else {
      expr(cond);
      act(op::Not);
    }
    w_.jump(op::If, label, cond->pos);
  }

  void forIn(const Node* s) {
    needSwf6(s, "'for..in'");
    expr(s->kid(0));
    act(op::Enumerate2);
    int top = w_.newLabel(), cleanup = w_.newLabel(), end = w_.newLabel();
    w_.place(top);
    storeRegister0(s->pos);
    pushNull(s->pos);
    act(op::Equals2);
    w_.jump(op::If, end, s->pos);
    pushString(s->text(), s->pos);
    pushRegister0(s->pos);
    act(s->flag && inFunction_ ? op::DefineLocal : op::SetVariable);
    loopBody(s->kid(1), Scope::ForIn, cleanup, top);
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
    expr(s->kid(0));
    std::size_t n = s->kidCount - 1;
    std::vector<int> bodies(n), tramps(n);
    int end = w_.newLabel();
    int defaultBody = -1;
    for (std::size_t i = 0; i < n; ++i) {
      const Node* c = s->kid(i + 1);
      bodies[i] = w_.newLabel();
      if (!c->kid(0)) {
        defaultBody = bodies[i];
        continue;
      }
      tramps[i] = w_.newLabel();
      act(op::PushDuplicate);
      expr(c->kid(0));
      act(op::StrictEquals);
      w_.jump(op::If, tramps[i], c->pos);
    }
    act(op::Pop);
    w_.jump(op::Jump, defaultBody >= 0 ? defaultBody : end, s->pos);
    for (std::size_t i = 0; i < n; ++i) {
      if (!s->kid(i + 1)->kid(0)) continue;
      w_.place(tramps[i]);
      act(op::Pop);
      w_.jump(op::Jump, bodies[i], s->kid(i + 1)->pos);
    }
    scopes_.push_back({Scope::Switch, end, -1});
    for (std::size_t i = 0; i < n; ++i) {
      w_.place(bodies[i]);
      std::span<Node* const> kids = s->kid(i + 1)->kids();
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
    const Node* value = s->kid(0);
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
      w_.action(op::SetTarget, textPayload({target->text()}, target->pos), target->pos);
      return;
    }
    if (swf4()) {
      if (std::optional<std::string> path = clipPath4(target)) {
        w_.action(op::SetTarget, textPayload({*path}, target->pos), target->pos);
        return;
      }
    }
    expr(target);
    act(op::SetTarget2);
  }
  void resetTarget(SourcePos pos) { w_.action(op::SetTarget, {0}, pos); }

  void ifFrameLoaded(const Node* s) {
    const Node* frame = s->kid(0);
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
    statement(s->kid(1));
    scopes_.pop_back();
    std::size_t count = w_.actionCount() - before;
    // The skip count is in actions, and one byte holds it.
    if (count > 255)
      fail("the body of ifFrameLoaded is too long (more than 255 actions)", s->pos, ErrorKind::TooManyActions);
    w_.patch8(skipAt, static_cast<uint8_t>(count));
  }

  void functionNode(const Node* f, bool declaration) {
    needSwf6(f, "a function");
    Bytes payload;
    std::string_view name = declaration ? f->text() : std::string_view();
    appendText(payload, name, f->pos);
    std::span<Node* const> params = f->kid(0)->kids();
    payload.push_back(static_cast<uint8_t>(params.size() & 0xFF));
    payload.push_back(static_cast<uint8_t>(params.size() >> 8));
    for (const Node* p : params) appendText(payload, p->text(), f->pos);
    std::size_t block = w_.openBlock(op::DefineFunction, payload, f->pos);
    std::vector<Scope> outer;
    outer.swap(scopes_);
    bool wasInFunction = inFunction_;
    inFunction_ = true;
    statements(f->kids().subspan(1));
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
        for (const Node* k : e->kids()) effect(k);
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
      case NodeKind::String: pushString(e->text(), e->pos); return;
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
        if (e->text() == "newline") pushString("\n", e->pos);
        else if (swf4()) read4(e);
        else variable(e->text(), e->pos);
        return;
      case NodeKind::Member:
      case NodeKind::Index:
        if (swf4()) {
          read4(e);
          return;
        }
        expr(e->kid(0));
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
        expr(e->kid(0));
        w_.jump(op::If, yes, e->pos);
        expr(e->kid(2));
        w_.jump(op::Jump, end, e->pos);
        w_.place(yes);
        expr(e->kid(1));
        w_.place(end);
        return;
      }
      case NodeKind::Assign: assign(e, true); return;
      case NodeKind::Comma:
        for (std::size_t i = 0; i + 1 < e->kidCount; ++i) effect(e->kid(i));
        expr(e->kid(e->kidCount - 1));
        return;
      case NodeKind::ArrayLit:
        needSwf6(e, "an array literal");
        for (std::size_t i = e->kidCount; i-- > 0;) expr(e->kid(i));
        pushNumber(static_cast<double>(e->kidCount), e->pos);
        act(op::InitArray);
        return;
      case NodeKind::ObjectLit:
        needSwf6(e, "an object literal");
        for (std::size_t i = e->kidCount; i >= 2; i -= 2) {
          pushString(e->kid(i - 2)->text(), e->kid(i - 2)->pos);
          expr(e->kid(i - 1));
        }
        pushNumber(static_cast<double>(e->kidCount / 2), e->pos);
        act(op::InitObject);
        return;
      case NodeKind::Function: functionNode(e, false); return;
      default: fail("expression expected", e->pos);
    }
  }

  void variable(std::string_view name, SourcePos pos) {
    pushString(name, pos);
    act(op::GetVariable);
  }

  void memberKey(const Node* e) {
    if (e->kind == NodeKind::Member) pushString(e->text(), e->pos);
    else expr(e->kid(1));
  }

  void unary(const Node* e) {
    std::string_view o = e->text();
    const Node* x = e->kid(0);
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
        pushString(x->text(), x->pos);
        act(op::Delete2);
      } else {
        expr(x->kid(0));
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
      if (e->text() == "add") return true;
      if (e->text() == "+") return IsStringValued(e->kid(0)) || IsStringValued(e->kid(1));
    }
    if (e->kind == NodeKind::Call && e->kid(0)->kind == NodeKind::Ident) {
      std::string_view f = e->kid(0)->text();
      return f == "substring" || f == "mbsubstring" || f == "chr" || f == "mbchr";
    }
    return false;
  }

  void binary(const Node* e) {
    std::string_view o = e->text();
    const Node* l = e->kid(0);
    const Node* r = e->kid(1);
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
    fail("unknown operator '" + std::string(o) + "'", e->pos);
  }

  void binary4(const Node* e, std::string_view o, const Node* l, const Node* r) {
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
    else fail("operator '" + std::string(o) + "' is not available in SWF 4", e->pos);
  }

  void logical(const Node* e) {
    bool isAnd = e->text() == "&&";
    if (swf4()) {
      expr(e->kid(0));
      expr(e->kid(1));
      act(isAnd ? op::And : op::Or);
      return;
    }
    int end = w_.newLabel();
    expr(e->kid(0));
    act(op::PushDuplicate);
    if (isAnd) act(op::Not);
    w_.jump(op::If, end, e->pos);
    act(op::Pop);
    expr(e->kid(1));
    w_.place(end);
  }

  // --- assignment ---
  // Assignment and compound assignment; `want` leaves the assigned value.
  void assign(const Node* e, bool want) {
    const Node* target = e->kid(0);
    const Node* value = e->kid(1);
    bool compound = e->text() != "=";
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
      pushString(target->text(), target->pos);
      if (withValue) variable(target->text(), target->pos);
      return;
    }
    expr(target->kid(0));
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
    std::string_view o = e->text();
    static const std::pair<std::string_view, uint8_t> kOps[] = {
        {"+", op::Add2},       {"-", op::Subtract},    {"*", op::Multiply},    {"/", op::Divide},
        {"%", op::Modulo},     {"<<", op::BitLShift},  {">>", op::BitRShift},  {">>>", op::BitURShift},
        {"&", op::BitAnd},     {"|", op::BitOr},       {"^", op::BitXor}};
    for (auto& [name, code] : kOps)
      if (name == o) {
        act(code);
        return;
      }
    fail("unknown operator '" + std::string(o) + "='", e->pos);
  }

  uint8_t compoundCode4(const Node* e) {
    std::string_view o = e->text();
    if (o == "+") return IsStringValued(e->kid(1)) ? op::StringAdd : op::Add;
    if (o == "-") return op::Subtract;
    if (o == "*") return op::Multiply;
    if (o == "/") return op::Divide;
    fail("operator '" + std::string(o) + "=' is not available in SWF 4", e->pos);
  }

  void update(const Node* e, bool want) {
    const Node* target = e->kid(0);
    bool increment = e->text() == "++";
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
      int prop = PropertyIndex(e->text());
      if (prop >= 0) {
        ref.property = true;
        ref.index = prop;
      } else {
        ref.path = e->text();
      }
      return ref;
    }
    if (e->kind == NodeKind::Member) {
      std::optional<std::string> clip = clipPath4(e->kid(0));
      if (!clip) fail("SWF 4 needs a fixed path here (a.b.c)", e->pos);
      int prop = PropertyIndex(e->text());
      if (prop >= 0) {
        ref.property = true;
        ref.index = prop;
        ref.path = *clip;
      } else {
        ref.path = clip->empty() ? std::string(e->text()) : *clip + ":" + std::string(e->text());
      }
      return ref;
    }
    fail("SWF 4 cannot index with [ ]", e->pos);
  }

  void read4(const Node* e) {
    if (e->kind == NodeKind::Ident && (e->text() == "_root" || e->text() == "_parent" || IsLevelName(e->text()))) {
      pushString(*clipPath4(e), e->pos);
      return;
    }
    ref4(e).read(*this, e->pos);
  }

  // A movie clip named by a fixed path, in slash syntax ("" is this clip).
  std::optional<std::string> clipPath4(const Node* e) {
    switch (e->kind) {
      case NodeKind::This: return std::string();
      case NodeKind::String: return std::string(e->text());
      case NodeKind::Ident:
        if (e->text() == "_root") return std::string("/");
        if (e->text() == "_parent") return std::string("..");
        return std::string(e->text());
      case NodeKind::Member: {
        std::optional<std::string> base = clipPath4(e->kid(0));
        if (!base || e->kid(0)->kind == NodeKind::String) return std::nullopt;
        std::string name(e->text() == "_parent" ? std::string_view("..") : e->text());
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
    const Node* callee = e->kid(0);
    std::size_t argc = e->kidCount - 1;
    if (callee->kind == NodeKind::Ident && globalFunction(e, callee->text(), want)) return;
    if (swf4()) {
      if (callee->kind == NodeKind::Member && clipMethod4(e, want)) return;
      fail("calling functions is not available in SWF 4", e->pos);
    }
    for (std::size_t i = argc; i >= 1; --i) expr(e->kid(i));
    pushNumber(static_cast<double>(argc), e->pos);
    if (callee->kind == NodeKind::Ident) {
      pushString(callee->text(), callee->pos);
      act(op::CallFunction);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      expr(callee->kid(0));
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
    const Node* callee = e->kid(0);
    std::size_t argc = e->kidCount - 1;
    for (std::size_t i = argc; i >= 1; --i) expr(e->kid(i));
    pushNumber(static_cast<double>(argc), e->pos);
    if (callee->kind == NodeKind::Ident) {
      pushString(callee->text(), callee->pos);
      act(op::NewObject);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      expr(callee->kid(0));
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
    const Node* callee = e->kid(0);
    std::optional<std::string> path = clipPath4(callee->kid(0));
    if (!path) return false;
    std::string_view m = callee->text();
    static constexpr std::string_view kTargeted[] = {"play", "stop", "nextFrame", "prevFrame", "gotoAndPlay",
                                                     "gotoAndStop", "stopDrag"};
    if (std::find(std::begin(kTargeted), std::end(kTargeted), m) != std::end(kTargeted)) {
      bool retarget = !path->empty();
      if (retarget) w_.action(op::SetTarget, textPayload({*path}, callee->pos), callee->pos);
      globalFunction(e, m, false);
      if (retarget) resetTarget(e->pos);
      if (want) pushUndefined(e->pos);
      return true;
    }
    // The others take the clip as an argument of the global form.
    std::vector<Node*> args(e->kids().begin() + 1, e->kids().end());
    Node self;
    self.kind = NodeKind::String;
    self.pos = callee->pos;
    self.setText(*path);
    if (m == "loadMovie" || m == "loadVariables") {
      if (args.empty()) return false;
      args.insert(args.begin() + 1, &self);
    } else if (m == "unloadMovie" || m == "removeMovieClip" || m == "startDrag" || m == "duplicateMovieClip") {
      args.insert(args.begin(), &self);
    } else {
      return false;
    }
    Node name;
    name.kind = NodeKind::Ident;
    name.pos = callee->pos;
    name.setText(m);
    args.insert(args.begin(), &name);
    Node global;
    global.kind = NodeKind::Call;
    global.pos = e->pos;
    global.kidList = args.data();
    global.kidCount = static_cast<uint32_t>(args.size());
    return globalFunction(&global, m, want);
  }

  void argCount(const Node* e, std::string_view name, std::size_t low, std::size_t high) {
    std::size_t n = e->kidCount - 1;
    if (n < low || n > high) fail("wrong number of arguments to " + std::string(name), e->pos);
  }

  std::optional<uint8_t> methodFlag(const Node* e, std::size_t argIndex) {
    if (e->kidCount <= argIndex) return 0;
    const Node* m = e->kid(argIndex);
    if (m->kind == NodeKind::String) {
      std::string upper(m->text());
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
  bool globalFunction(const Node* e, std::string_view name, bool want) {
    std::span<Node* const> a = e->kids();  // a[1] is the first argument
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
      if (e->kidCount == 3) fail("scenes are not supported; give only the frame", pos);
      argCount(e, name, 1, 1);
      bool play = name == "gotoAndPlay";
      const Node* f = a[1];
      if (IsFrameNumber(f)) {
        uint32_t n = static_cast<uint32_t>(f->number) - 1;
        w_.action(op::GotoFrame, {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)}, pos);
        act(play ? op::Play : op::Stop);
      } else if (f->kind == NodeKind::String) {
        w_.action(op::GoToLabel, textPayload({f->text()}, f->pos), pos);
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
      bool literal = a[1]->kind == NodeKind::String && (a.size() == 2 || a[2]->kind == NodeKind::String);
      if (literal && a.size() <= 3) {
        w_.action(op::GetURL, textPayload({a[1]->text(), a.size() == 3 ? a[2]->text() : std::string_view()}, pos), pos);
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
      bool literal = a[1]->kind == NodeKind::String && (a.size() == 2 || a[2]->kind == NodeKind::String);
      if (literal) {
        std::string command = "FSCommand:" + std::string(a[1]->text());
        w_.action(op::GetURL, textPayload({command, a.size() == 3 ? a[2]->text() : std::string_view()}, pos), pos);
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
      int prop = a[2]->kind == NodeKind::Ident ? PropertyIndex(a[2]->text()) : -1;
      if (prop < 0) fail("unknown property in " + std::string(name), a[2]->pos);
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
  StringList* collect_;
  // Shift-JIS forms of the non-ASCII strings met so far.
  std::unordered_map<std::string, std::string> cp932Cache_;
  std::vector<Scope> scopes_;
  bool inFunction_ = false;
  int endLabel_ = -1;
};


// The first error of the code generator among the top-level function
// declarations, and among the other statements. Generation runs as the
// statements are parsed, but a syntax error anywhere is reported first, and
// the functions are generated before everything else.
class FirstErrors {
 public:
  template <class F>
  void run(const Node* s, F&& generate) {
    bool function = s->kind == NodeKind::Function;
    if (function_ || (!function && other_)) return;
    try {
      generate();
    } catch (ScriptError& e) {
      (function ? function_ : other_) = std::move(e);
    }
  }
  void rethrow() {
    if (function_) throw *function_;
    if (other_) throw *other_;
  }

 private:
  std::optional<ScriptError> function_, other_;
};

// Scripts up to this size keep their whole tree between the two passes of
// SWF 6. Larger ones are parsed once more in the second pass, a statement
// at a time, so that their tree never has to be held whole.
constexpr std::size_t kKeepTreeBytes = 64 * 1024;

}  // namespace

std::vector<uint8_t> Generate(std::string_view source, Target target) {
  // A few bytes of nodes per source byte, within sensible chunk sizes.
  Arena arena(std::clamp<std::size_t>(source.size() * 4, 4096, 256 * 1024));
  Parser parser(source, arena);
  FirstErrors errors;

  if (target == Target::Swf4) {
    // One pass: no pool, and no functions to hoist (SWF 4 has none).
    Generator gen(target, nullptr, nullptr);
    gen.begin(source.size());
    while (!parser.atEnd()) {
      const Node* s = parser.statement();
      errors.run(s, [&] { gen.topStatement(s); });
      arena.reset();
    }
    errors.rethrow();
    return gen.finish();
  }

  // First pass: the strings for the constant pool, and any error.
  const bool keep = source.size() <= kKeepTreeBytes;
  StringList functionStrings(source), otherStrings(source);
  Generator functionsDry(target, nullptr, &functionStrings), othersDry(target, nullptr, &otherStrings);
  functionsDry.begin(0);
  othersDry.begin(0);
  std::vector<const Node*> kept;
  struct Span {
    SourcePos from, to;
  };
  std::vector<Span> functions;  // where the top-level declarations are, when not kept
  while (!parser.atEnd()) {
    SourcePos from = parser.position();
    const Node* s = parser.statement();
    bool function = s->kind == NodeKind::Function;
    errors.run(s, [&] { (function ? functionsDry : othersDry).topStatement(s); });
    if (keep) {
      kept.push_back(s);
    } else {
      if (function) functions.push_back({from, parser.position()});
      arena.reset();
    }
  }
  errors.rethrow();

  StringPool pool;
  MakePool(functionStrings, otherStrings, pool);
  Generator gen(target, &pool, nullptr);
  gen.begin(source.size() + pool.bytes);
  if (keep) {
    for (const Node* s : kept)
      if (s->kind == NodeKind::Function) gen.topStatement(s);
    for (const Node* s : kept)
      if (s->kind != NodeKind::Function) gen.topStatement(s);
    return gen.finish();
  }
  for (Span f : functions) {
    parser.seek(f.from);
    gen.topStatement(parser.statement());
    arena.reset();
  }
  parser.seek(0);
  for (std::size_t next = 0; !parser.atEnd();) {
    if (next < functions.size() && parser.position() == functions[next].from) {
      parser.seek(functions[next++].to);
      continue;
    }
    gen.topStatement(parser.statement());
    arena.reset();
  }
  return gen.finish();
}

}  // namespace tesmiro::script
