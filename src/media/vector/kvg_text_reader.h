#pragma once
// The sequential text input KVG files are written for: whole lines, and
// values separated by commas or line ends, each converted to the type of the
// field that receives it. Every failure (no value left, a value of the wrong
// form, a number outside its field) is sticky and named in error().
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/byte_reader.h"

namespace tesmiro::ShapeModule {

class KvgTextReader {
 public:
  explicit KvgTextReader(std::string_view text) : in_(text) {}

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  size_t remaining() const { return in_.size() - in_.pos(); }

  // The rest of the current line, without its line end.
  bool line(std::string& out);
  bool readInt32(int32_t& out);
  bool readInt16(int16_t& out);
  // 0, "#FALSE#" and "False" are false; any other number and "#TRUE#",
  // "True" are true.
  bool readBool(bool& out);
  bool readFloat(float& out);

  bool fail(std::string message);

 private:
  bool value(std::string& out);
  bool number(double& out, std::string_view what);
  bool atLineEnd() const { return in_.peek() == '\r' || in_.peek() == '\n'; }
  void skipLineEnd();

  ByteReader in_;
  std::string error_;
};

}  // namespace tesmiro::ShapeModule
