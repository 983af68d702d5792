#pragma once
// Helpers shared by the writer tests: a fresh writer per test, hex
// formatting of the buffer, and a script compiler stand-in.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "swf/script_compiler.h"
#include "swf/swf_writer.h"

namespace tesmiro::testing {

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) s += ' ';
    s += digits[bytes[i] >> 4];
    s += digits[bytes[i] & 15];
  }
  return s;
}

inline std::string OutHex() { return Hex(SWFMakeCore::OutputBuffer()); }

// Reads the bit fields of a record, most significant bit first, from a byte
// offset; reading past the end fails the test and gives 0.
class BitFields {
 public:
  BitFields(const std::vector<uint8_t>& bytes, size_t at) : bytes_(bytes), bit_(at * 8) {}
  uint32_t u(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++bit_) {
      if (bit_ / 8 >= bytes_.size()) {
        ADD_FAILURE() << "record ends after " << bytes_.size() << " bytes";
        return 0;
      }
      v = v << 1 | ((bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1);
    }
    return v;
  }
  int64_t s(int n) {
    const int64_t v = u(n);
    return n > 0 && (v >> (n - 1)) & 1 ? v - (int64_t{1} << n) : v;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t bit_;
};

// Scripts map to fixed action bytes; handler scripts are cut at "\r\n-\r\n"
// and each block's text is looked up the same way.
class FakeScriptCompiler final : public swf::ScriptCompiler {
 public:
  FakeScriptCompiler() { swf::InstallScriptCompiler(this); }
  ~FakeScriptCompiler() override { swf::InstallScriptCompiler(nullptr); }

  std::vector<uint8_t> compileScript(const std::string& script, int32_t, int version) override {
    scripts.push_back(script);
    versions.push_back(version);
    auto it = table.find(script);
    return it == table.end() ? std::vector<uint8_t>{} : it->second;
  }
  std::string expandFileInclude(const std::string& script) override { return script; }
  std::vector<uint8_t> compileClipEventHandler(std::string& script, int32_t& flags, int32_t&, int32_t& keyCode,
                                               int version) override {
    const std::string block = Cut(script);
    flags |= clipFlags.count(block) ? clipFlags[block] : 0;
    keyCode = keyCodes.count(block) ? keyCodes[block] : 0;
    return compileScript(block, 0, version);
  }
  std::vector<uint8_t> compileButtonHandler(std::string& script, int32_t& condition, int32_t&,
                                            int version) override {
    const std::string block = Cut(script);
    condition |= conditions.count(block) ? conditions[block] : 0;
    return compileScript(block, 0, version);
  }

  std::map<std::string, std::vector<uint8_t>> table;
  std::map<std::string, int32_t> clipFlags, keyCodes, conditions;
  std::vector<std::string> scripts;
  std::vector<int> versions;

 private:
  static std::string Cut(std::string& script) {
    const size_t p = script.find("\r\n-\r\n");
    std::string block = script.substr(0, p);
    script = p == std::string::npos ? std::string() : script.substr(p + 5);
    return block;
  }
};

// Every test starts from a fresh movie of the given version.
class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { SWFMakeCore::ResetState(); }
  void TearDown() override { SWFMakeCore::ResetState(); }
  void StartMovie(int version, int32_t w = 320, int32_t h = 320) {
    SWFMakeCore::WriteSWFHeader(version, w, h, 12.0f);
    SWFMakeCore::OutputBuffer().clear();
  }
};

}  // namespace tesmiro::testing
