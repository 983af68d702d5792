#pragma once
// A small, independent reader of AVM1 action records for the tests: it
// walks the records, checks that every jump and block lands on a record
// boundary, and prints the actions as text for readable expectations.
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace avm1test {

struct Walk {
  bool ok = true;
  std::string problem;
  std::vector<std::string> lines;  // one per action
};

inline std::string OpName(uint8_t c) {
  static const std::map<uint8_t, std::string> names = {
      {0x04, "NextFrame"}, {0x05, "PrevFrame"}, {0x06, "Play"}, {0x07, "Stop"}, {0x08, "ToggleQuality"},
      {0x09, "StopSounds"}, {0x0A, "Add"}, {0x0B, "Subtract"}, {0x0C, "Multiply"}, {0x0D, "Divide"},
      {0x0E, "Equals"}, {0x0F, "Less"}, {0x10, "And"}, {0x11, "Or"}, {0x12, "Not"}, {0x13, "StringEquals"},
      {0x14, "StringLength"}, {0x15, "StringExtract"}, {0x17, "Pop"}, {0x18, "ToInteger"},
      {0x1C, "GetVariable"}, {0x1D, "SetVariable"}, {0x20, "SetTarget2"}, {0x21, "StringAdd"},
      {0x22, "GetProperty"}, {0x23, "SetProperty"}, {0x24, "CloneSprite"}, {0x25, "RemoveSprite"},
      {0x26, "Trace"}, {0x27, "StartDrag"}, {0x28, "EndDrag"}, {0x29, "StringLess"}, {0x30, "RandomNumber"},
      {0x31, "MBStringLength"}, {0x32, "CharToAscii"}, {0x33, "AsciiToChar"}, {0x34, "GetTime"},
      {0x35, "MBStringExtract"}, {0x36, "MBCharToAscii"}, {0x37, "MBAsciiToChar"}, {0x3A, "Delete"},
      {0x3B, "Delete2"}, {0x3C, "DefineLocal"}, {0x3D, "CallFunction"}, {0x3E, "Return"}, {0x3F, "Modulo"},
      {0x40, "NewObject"}, {0x41, "DefineLocal2"}, {0x42, "InitArray"}, {0x43, "InitObject"}, {0x44, "TypeOf"},
      {0x45, "TargetPath"}, {0x46, "Enumerate"}, {0x47, "Add2"}, {0x48, "Less2"}, {0x49, "Equals2"},
      {0x4A, "ToNumber"}, {0x4B, "ToString"}, {0x4C, "PushDuplicate"}, {0x4D, "StackSwap"},
      {0x4E, "GetMember"}, {0x4F, "SetMember"}, {0x50, "Increment"}, {0x51, "Decrement"},
      {0x52, "CallMethod"}, {0x53, "NewMethod"}, {0x54, "InstanceOf"}, {0x55, "Enumerate2"},
      {0x60, "BitAnd"}, {0x61, "BitOr"}, {0x62, "BitXor"}, {0x63, "BitLShift"}, {0x64, "BitRShift"},
      {0x65, "BitURShift"}, {0x66, "StrictEquals"}, {0x67, "Greater"}, {0x68, "StringGreater"},
      {0x81, "GotoFrame"}, {0x83, "GetURL"}, {0x87, "StoreRegister"}, {0x88, "ConstantPool"},
      {0x8A, "WaitForFrame"}, {0x8B, "SetTarget"}, {0x8C, "GoToLabel"}, {0x8D, "WaitForFrame2"},
      {0x94, "With"}, {0x96, "Push"}, {0x99, "Jump"}, {0x9A, "GetURL2"}, {0x9B, "DefineFunction"},
      {0x9D, "If"}, {0x9E, "Call"}, {0x9F, "GotoFrame2"}};
  auto it = names.find(c);
  return it == names.end() ? "Unknown" + std::to_string(c) : it->second;
}

inline Walk Read(const std::vector<uint8_t>& code) {
  Walk w;
  std::set<size_t> starts;
  std::vector<std::pair<size_t, long>> jumps;     // action start, target
  std::vector<std::pair<size_t, size_t>> blocks;  // action start, end of block
  std::vector<std::string> pool;
  auto fail = [&](const std::string& why) {
    if (w.ok) w.problem = why;
    w.ok = false;
  };
  size_t at = 0;
  auto u16 = [&](size_t p) { return static_cast<unsigned>(code[p] | (code[p + 1] << 8)); };
  auto cstr = [&](size_t& p, size_t end) {
    std::string s;
    while (p < end && code[p] != 0) s += static_cast<char>(code[p++]);
    if (p >= end) fail("unterminated string at " + std::to_string(p));
    ++p;
    return s;
  };
  while (at < code.size()) {
    starts.insert(at);
    uint8_t c = code[at];
    std::string line = OpName(c);
    if (c == 0) {
      fail("closing 0x00 inside the actions");
      break;
    }
    size_t len = 0, body = at + 1;
    if (c >= 0x80) {
      if (at + 3 > code.size()) {
        fail("truncated record header");
        break;
      }
      len = u16(at + 1);
      body = at + 3;
      if (body + len > code.size()) {
        fail("record runs past the end");
        break;
      }
    }
    size_t end = body + len;
    size_t p = body;
    switch (c) {
      case 0x96:
        while (p < end) {
          uint8_t t = code[p++];
          line += ' ';
          if (t == 0) line += '"' + cstr(p, end) + '"';
          else if (t == 2) line += "null";
          else if (t == 3) line += "undefined";
          else if (t == 4) line += "r:" + std::to_string(code[p++]);
          else if (t == 5) line += code[p++] ? "true" : "false";
          else if (t == 6) {
            uint8_t raw[8];
            for (int i = 0; i < 4; ++i) raw[4 + i] = code[p + i];
            for (int i = 0; i < 4; ++i) raw[i] = code[p + 4 + i];
            double d;
            std::memcpy(&d, raw, 8);
            char buf[40];
            snprintf(buf, sizeof buf, "d:%.17g", d);
            line += buf;
            p += 8;
          } else if (t == 7) {
            int32_t v = static_cast<int32_t>(code[p] | (code[p + 1] << 8) | (code[p + 2] << 16) |
                                             (static_cast<uint32_t>(code[p + 3]) << 24));
            line += std::to_string(v);
            p += 4;
          } else if (t == 8 || t == 9) {
            unsigned i = t == 8 ? code[p] : u16(p);
            p += t == 8 ? 1 : 2;
            line += i < pool.size() ? "'" + pool[i] + "'" : "c?" + std::to_string(i);
          } else {
            fail("unknown push type");
            break;
          }
        }
        if (p != end) fail("push items overrun the record");
        break;
      case 0x88: {
        unsigned n = u16(p);
        p += 2;
        pool.clear();
        for (unsigned i = 0; i < n; ++i) pool.push_back(cstr(p, end));
        line += " " + std::to_string(n);
        break;
      }
      case 0x99:
      case 0x9D: {
        int16_t off = static_cast<int16_t>(u16(p));
        jumps.push_back({at, static_cast<long>(end) + off});
        line += " " + std::to_string(off);
        break;
      }
      case 0x83: {
        std::string url = cstr(p, end);
        std::string target = cstr(p, end);
        line += " \"" + url + "\" \"" + target + "\"";
        break;
      }
      case 0x8B:
      case 0x8C: line += " \"" + cstr(p, end) + "\""; break;
      case 0x81: line += " " + std::to_string(u16(p)); break;
      case 0x87:
      case 0x9A:
      case 0x9F:
      case 0x8D: line += " " + std::to_string(code[p]); break;
      case 0x8A: line += " " + std::to_string(u16(p)) + " " + std::to_string(code[p + 2]); break;
      case 0x94: {
        unsigned size = u16(p);
        blocks.push_back({at, end + size});
        line += " " + std::to_string(size);
        break;
      }
      case 0x9B: {
        std::string name = cstr(p, end);
        unsigned n = u16(p);
        p += 2;
        line += " \"" + name + "\" (";
        for (unsigned i = 0; i < n; ++i) line += (i ? "," : "") + cstr(p, end);
        unsigned size = u16(p);
        line += ") " + std::to_string(size);
        blocks.push_back({at, end + size});
        break;
      }
      default: break;
    }
    w.lines.push_back(line);
    at = end;
  }
  starts.insert(code.size());
  for (auto [from, to] : jumps)
    if (to < 0 || !starts.count(static_cast<size_t>(to)))
      fail("jump at " + std::to_string(from) + " lands off a record boundary (" + std::to_string(to) + ")");
  for (auto [from, to] : blocks)
    if (!starts.count(to)) fail("block at " + std::to_string(from) + " ends off a record boundary");
  return w;
}

// The action codes in order (records assumed well formed; see Read).
inline std::vector<uint8_t> Codes(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> codes;
  for (size_t at = 0; at < code.size();) {
    codes.push_back(code[at]);
    if (code[at] < 0x80) {
      ++at;
    } else {
      if (at + 3 > code.size()) break;
      at += 3 + static_cast<size_t>(code[at + 1] | (code[at + 2] << 8));
    }
  }
  return codes;
}

// Actions a SWF 4 player knows.
inline bool IsSwf4Action(uint8_t c) {
  return (c >= 0x04 && c <= 0x15) || c == 0x17 || c == 0x18 || c == 0x1C || c == 0x1D ||
         (c >= 0x20 && c <= 0x29) || (c >= 0x30 && c <= 0x37) || c == 0x81 || c == 0x83 ||
         (c >= 0x8A && c <= 0x8D) || c == 0x96 || c == 0x99 || c == 0x9A || (c >= 0x9D && c <= 0x9F);
}

inline std::string Text(const std::vector<uint8_t>& code) {
  Walk w = Read(code);
  std::string out;
  for (const std::string& l : w.lines) out += l + "\n";
  if (!w.ok) out += "!! " + w.problem + "\n";
  return out;
}

}  // namespace avm1test
