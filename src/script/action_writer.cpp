#include "script/action_writer.h"

namespace tesmiro::script {
namespace {
constexpr std::size_t kMaxRecord = 0xFFFF;

[[noreturn]] void TooLong(const char* message, SourcePos pos) {
  throw ScriptError{message, pos, ErrorKind::ActionTooLong};
}
}  // namespace

void ActionWriter::pushText(std::string_view text, SourcePos pos) {
  if (dry_) return;
  std::size_t size = text.size() + 2;
  if (size > kMaxRecord) TooLong("string too long for one action", pos);
  if (pending_.size() + size > kMaxRecord) flushPush();
  if (pending_.empty()) pendingPos_ = pos;
  pending_.push_back(0);
  pending_.insert(pending_.end(), text.begin(), text.end());
  pending_.push_back(0);
}

void ActionWriter::pushItem(std::span<const uint8_t> item, SourcePos pos) {
  if (dry_) return;
  if (item.size() > kMaxRecord) TooLong("string too long for one action", pos);
  if (pending_.size() + item.size() > kMaxRecord) flushPush();
  if (pending_.empty()) pendingPos_ = pos;
  pending_.insert(pending_.end(), item.begin(), item.end());
}

void ActionWriter::flushPush() {
  if (pending_.empty()) return;
  out_.push_back(op::Push);
  append16(static_cast<uint32_t>(pending_.size()));
  out_.insert(out_.end(), pending_.begin(), pending_.end());
  pending_.clear();
  ++actions_;
}

void ActionWriter::action(uint8_t code) {
  if (dry_) return;
  flushPush();
  out_.push_back(code);
  ++actions_;
}

std::size_t ActionWriter::action(uint8_t code, std::span<const uint8_t> payload, SourcePos pos) {
  if (dry_) return 0;
  if (payload.size() > kMaxRecord) TooLong("action too long (more than 65535 bytes)", pos);
  flushPush();
  out_.push_back(code);
  append16(static_cast<uint32_t>(payload.size()));
  std::size_t at = out_.size();
  out_.insert(out_.end(), payload.begin(), payload.end());
  ++actions_;
  return at;
}

int ActionWriter::newLabel() {
  if (dry_) return 0;
  labels_.push_back({});
  return static_cast<int>(labels_.size() - 1);
}

void ActionWriter::place(int label) {
  if (dry_) return;
  flushPush();
  Label& l = labels_[static_cast<std::size_t>(label)];
  l.at = static_cast<std::ptrdiff_t>(out_.size());
  for (int f = l.waiting; f >= 0;) {
    Fixup& fixup = fixups_[static_cast<std::size_t>(f)];
    resolve(fixup.field, fixup.pos, out_.size());
    int next = fixup.next;
    fixup.next = freeFixup_;
    freeFixup_ = f;
    f = next;
  }
  l.waiting = -1;
}

void ActionWriter::jump(uint8_t code, int label, SourcePos pos) {
  if (dry_) return;
  flushPush();
  out_.push_back(code);
  append16(2);
  std::size_t field = out_.size();
  append16(0);
  ++actions_;
  Label& l = labels_[static_cast<std::size_t>(label)];
  if (l.at >= 0) {
    resolve(field, pos, static_cast<std::size_t>(l.at));
    return;
  }
  int f = freeFixup_;
  if (f >= 0) {
    freeFixup_ = fixups_[static_cast<std::size_t>(f)].next;
    fixups_[static_cast<std::size_t>(f)] = {field, pos, l.waiting};
  } else {
    f = static_cast<int>(fixups_.size());
    fixups_.push_back({field, pos, l.waiting});
  }
  l.waiting = f;
}

void ActionWriter::resolve(std::size_t field, SourcePos pos, std::size_t target) {
  std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(target) - static_cast<std::ptrdiff_t>(field + 2);
  if (offset < -32768 || offset > 32767) {
    if (field < farJumpField_) {
      farJumpField_ = field;
      farJumpPos_ = pos;
    }
    return;
  }
  put16(field, static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(offset))));
}

std::size_t ActionWriter::openBlock(uint8_t code, std::span<const uint8_t> payloadBeforeSize, SourcePos pos) {
  if (dry_) return 0;
  if (payloadBeforeSize.size() + 2 > kMaxRecord) TooLong("action too long (more than 65535 bytes)", pos);
  flushPush();
  out_.push_back(code);
  append16(static_cast<uint32_t>(payloadBeforeSize.size() + 2));
  out_.insert(out_.end(), payloadBeforeSize.begin(), payloadBeforeSize.end());
  std::size_t handle = out_.size();
  append16(0);
  ++actions_;
  return handle;
}

void ActionWriter::closeBlock(std::size_t handle, SourcePos pos) {
  if (dry_) return;
  flushPush();
  std::size_t length = out_.size() - (handle + 2);
  if (length > kMaxRecord) TooLong("block too long: its code exceeds 65535 bytes", pos);
  put16(handle, static_cast<uint32_t>(length));
}

std::size_t ActionWriter::actionCount() {
  flushPush();
  return actions_;
}

std::vector<uint8_t> ActionWriter::finish() {
  flushPush();
  if (farJumpField_ != SIZE_MAX)
    throw ScriptError{"jump too far: more than 32767 bytes of code to skip", farJumpPos_, ErrorKind::JumpTooFar};
  return std::move(out_);
}

void ActionWriter::put16(std::size_t at, uint32_t value) {
  out_[at] = static_cast<uint8_t>(value & 0xFF);
  out_[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void ActionWriter::append16(uint32_t value) {
  out_.push_back(static_cast<uint8_t>(value & 0xFF));
  out_.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

}  // namespace tesmiro::script
