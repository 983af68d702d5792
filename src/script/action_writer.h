#pragma once
// Byte-level writer of AVM1 action records: merges consecutive pushes into
// one Push record, resolves jump labels and patches block sizes, refusing
// any offset or size that does not fit its 16-bit field. A jump is patched
// as soon as its label is placed, so only jumps still waiting are held.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "script/lexer.h"

namespace tesmiro::script {

namespace op {
inline constexpr uint8_t NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07, ToggleQuality = 0x08,
    StopSounds = 0x09, Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E,
    Less = 0x0F, And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14,
    StringExtract = 0x15, Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D,
    SetTarget2 = 0x20, StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23, CloneSprite = 0x24,
    RemoveSprite = 0x25, Trace = 0x26, StartDrag = 0x27, EndDrag = 0x28, StringLess = 0x29,
    RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32, AsciiToChar = 0x33, GetTime = 0x34,
    MBStringExtract = 0x35, MBCharToAscii = 0x36, MBAsciiToChar = 0x37, Delete = 0x3A, Delete2 = 0x3B,
    DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E, Modulo = 0x3F, NewObject = 0x40,
    DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43, TypeOf = 0x44, TargetPath = 0x45,
    Add2 = 0x47, Less2 = 0x48, Equals2 = 0x49, ToNumber = 0x4A, PushDuplicate = 0x4C, StackSwap = 0x4D,
    GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51, CallMethod = 0x52,
    NewMethod = 0x53, InstanceOf = 0x54, Enumerate2 = 0x55, BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62,
    BitLShift = 0x63, BitRShift = 0x64, BitURShift = 0x65, StrictEquals = 0x66, Greater = 0x67,
    StringGreater = 0x68, GotoFrame = 0x81, GetURL = 0x83, StoreRegister = 0x87, ConstantPool = 0x88,
    WaitForFrame = 0x8A, SetTarget = 0x8B, GoToLabel = 0x8C, WaitForFrame2 = 0x8D, With = 0x94,
    Push = 0x96, Jump = 0x99, GetURL2 = 0x9A, DefineFunction = 0x9B, If = 0x9D, Call = 0x9E,
    GotoFrame2 = 0x9F;
}  // namespace op

class ActionWriter {
 public:
  // A dry writer (for a first pass that only looks at what would be
  // written) keeps nothing and checks nothing; the final pass checks all.
  explicit ActionWriter(bool dry) : dry_(dry) {}

  // One value of a Push record, type byte included.
  void pushItem(std::initializer_list<uint8_t> item, SourcePos pos) {
    pushItem(std::span(item.begin(), item.size()), pos);
  }
  void pushItem(std::span<const uint8_t> item, SourcePos pos);
  // A string item (type 0): the text and its closing NUL.
  void pushText(std::string_view text, SourcePos pos);
  void action(uint8_t code);
  // Returns where the payload starts, for patch8.
  std::size_t action(uint8_t code, std::span<const uint8_t> payload, SourcePos pos);
  std::size_t action(uint8_t code, std::initializer_list<uint8_t> payload, SourcePos pos) {
    return action(code, std::span(payload.begin(), payload.size()), pos);
  }
  void reserve(std::size_t bytes) { out_.reserve(bytes); }
  void patch8(std::size_t at, uint8_t value) {
    if (!dry_) out_[at] = value;
  }

  int newLabel();
  void place(int label);
  void jump(uint8_t code, int label, SourcePos pos);  // Jump or If
  // Labels made since `mark` (a labelCount()) are all placed and nothing
  // jumps to them any more: their slots can be used again.
  std::size_t labelCount() const { return labels_.size(); }
  void forgetLabels(std::size_t mark) { labels_.resize(mark); }

  // An action whose payload ends in a 16-bit size of the code that follows
  // (With, DefineFunction). Returns a handle for closeBlock.
  std::size_t openBlock(uint8_t code, std::span<const uint8_t> payloadBeforeSize, SourcePos pos);
  void closeBlock(std::size_t handle, SourcePos pos);

  // Actions written so far (for WaitForFrame's skip count).
  std::size_t actionCount();
  std::size_t size() const { return out_.size() + pending_.size(); }

  // Throws the first jump (in code order) that could not reach its label.
  std::vector<uint8_t> finish();

 private:
  void flushPush();
  void put16(std::size_t at, uint32_t value);
  void append16(uint32_t value);
  void resolve(std::size_t field, SourcePos pos, std::size_t target);

  struct Label {
    std::ptrdiff_t at = -1;  // -1 until placed
    int waiting = -1;        // first of the jumps waiting for it, in fixups_
  };
  struct Fixup {
    std::size_t field;  // offset of the 16-bit field
    SourcePos pos;
    int next;  // next jump waiting for the same label, or next free slot
  };

  bool dry_;
  std::vector<uint8_t> out_;
  std::vector<uint8_t> pending_;  // payload of a Push record not yet written
  SourcePos pendingPos_ = 0;
  std::vector<Label> labels_;
  std::vector<Fixup> fixups_;
  int freeFixup_ = -1;
  std::size_t actions_ = 0;
  // The first jump too far, reported when the code is complete so that
  // any other error comes first.
  std::size_t farJumpField_ = SIZE_MAX;
  SourcePos farJumpPos_ = 0;
};

}  // namespace tesmiro::script
