#include "compiler/preview_reporter.h"

#include <vector>

#include "compiler/previews.h"
#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "script/compiler.h"
#include "swf/tag_codes.h"

namespace tesmiro::GUICore {
namespace {

namespace W = SWFMakeCore;
using Bytes = std::vector<uint8_t>;

// SWF 6 to 8. The clip keeps its state in its own variables; `tsmPrev` -1
// means "no earlier tick", so the first report does not call a playing movie
// stopped. With more than one frame the timeline plays exactly when its
// frame moved since the last tick; a one-frame movie keeps what it was told.
constexpr const char* kScript6 = R"(if (this._parent == _level0) {
  if (tsmInit != 1) {
    tsmInit = 1;
    tsmSeq = 0;
    tsmPrev = -1;
    tsmRun = 1;
    tsmSent = "";
    tsmPoll = -1000;
    @INIT@
  }
  @POLL@
  var tsmActed = false;
  if (Number(tsmS) > tsmSeq) {
    tsmSeq = Number(tsmS);
    tsmActed = true;
    if (tsmO == "play") {
      tsmRun = 1;
      @SUBJECT@.play();
    } else if (tsmO == "stop") {
      tsmRun = 0;
      @SUBJECT@.stop();
    } else if (tsmO == "goto") {
      tsmRun = 0;
      @SUBJECT@.gotoAndStop(Number(tsmF));
    }
  }
  var tsmFrame = @SUBJECT@._currentframe;
  var tsmTotal = @SUBJECT@._totalframes;
  if (!tsmActed && tsmTotal > 1 && tsmPrev != -1) tsmRun = (tsmFrame != tsmPrev) ? 1 : 0;
  tsmPrev = tsmFrame;
  var tsmReport = tsmSeq + "," + tsmFrame + "," + tsmRun + "," + tsmTotal;
  if (tsmReport != tsmSent) {
    tsmSent = tsmReport;
    fscommand("TesmiroReport", tsmReport);
  }
}
)";

constexpr const char* kInit8 =
    R"(flash.external.ExternalInterface.addCallback("tesmiroCommand", this, function (s, o, f) { this.tsmS = s; this.tsmO = o; this.tsmF = f; });)";

constexpr const char* kPollLoadVariables = R"(if (getTimer() - tsmPoll >= 50) {
    tsmPoll = getTimer();
    loadVariables("../command", this);
  })";

// SWF 4: no objects, so the main timeline is "/" and its frame a property;
// the loaded frame is read by path because tellTarget moves the variable
// scope to the main timeline. Inside a movie loaded into another clip the
// path differs and the clip keeps quiet.
constexpr const char* kScript4 = R"(if (_target eq "/__tesmiroReporter") {
  if (tsmInit ne "1") {
    tsmInit = "1";
    tsmSeq = 0;
    tsmPrev = -1;
    tsmRun = 1;
    tsmSent = "";
    tsmPoll = -1000;
  }
  if (getTimer() - tsmPoll >= 50) {
    tsmPoll = getTimer();
    loadVariables("../command", "/__tesmiroReporter");
  }
  tsmActed = 0;
  if (tsmS > tsmSeq) {
    tsmSeq = tsmS;
    tsmActed = 1;
    if (tsmO eq "play") {
      tsmRun = 1;
      tellTarget ("@SUBJECT4@") {
        play();
      }
    } else if (tsmO eq "stop") {
      tsmRun = 0;
      tellTarget ("@SUBJECT4@") {
        stop();
      }
    } else if (tsmO eq "goto") {
      tsmRun = 0;
      tellTarget ("@SUBJECT4@") {
        gotoAndStop(eval("/__tesmiroReporter:tsmF"));
      }
    }
  }
  tsmFrame = getProperty("@SUBJECT4@", _currentframe);
  tsmTotal = getProperty("@SUBJECT4@", _totalframes);
  if (tsmActed == 0 && tsmTotal > 1 && tsmPrev != -1) {
    if (tsmFrame == tsmPrev) {
      tsmRun = 0;
    } else {
      tsmRun = 1;
    }
  }
  tsmPrev = tsmFrame;
  tsmReport = tsmSeq add "," add tsmFrame add "," add tsmRun add "," add tsmTotal;
  if (tsmReport ne tsmSent) {
    tsmSent = tsmReport;
    fscommand("TesmiroReport", tsmReport);
  }
}
)";

void Replace(std::string& text, const std::string& key, const std::string& value) {
  const size_t at = text.find(key);
  if (at != std::string::npos) text.replace(at, key.size(), value);
}

void ReplaceAll(std::string& text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

void AppendTag(Bytes& out, W::TagCode code, const Bytes& body) {
  W::AppendTagHeader(out, code, static_cast<int32_t>(body.size()), W::TagForm::Long);
  out.insert(out.end(), body.begin(), body.end());
}

void AppendU16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

// DefineSprite with the script on both of its two frames, so that it runs
// on every tick of the player, and its placement on the first frame.
bool ReporterTags(int version, ReporterSubject subject, Bytes& out) {
  const script::CompileResult compiled =
      script::Compile(ReporterScript(version, subject), version < 6 ? script::Target::Swf4 : script::Target::Swf6);
  if (!compiled.ok()) return false;
  Bytes doAction = compiled.actions;
  doAction.push_back(0);
  Bytes sprite;
  AppendU16(sprite, kReporterCharacter);
  AppendU16(sprite, 2);
  for (int frame = 0; frame < 2; ++frame) {
    AppendTag(sprite, W::TagCode::DoAction, doAction);
    sprite.insert(sprite.end(), {0x40, 0x00});
  }
  sprite.insert(sprite.end(), {0x00, 0x00});
  AppendTag(out, W::TagCode::DefineSprite, sprite);

  Bytes place;
  place.push_back(0x22);  // has name, has character
  AppendU16(place, kReporterDepth);
  AppendU16(place, kReporterCharacter);
  for (const char* c = kReporterName; *c; ++c) place.push_back(static_cast<uint8_t>(*c));
  place.push_back(0);
  AppendTag(out, W::TagCode::PlaceObject2, place);
  return true;
}

// Where the first frame ends: its ShowFrame, or the End tag of a movie
// without frames. 0 when the tags run past the file.
size_t FirstFrameEnd(const Bytes& movie) {
  ByteReader r(movie);
  r.skip(8);
  if (!r.has(1)) return 0;
  const int nbits = r.peek() >> 3;
  r.skip(static_cast<size_t>((5 + 4 * nbits + 7) / 8) + 4);
  while (r.has(2)) {
    const size_t at = r.pos();
    const uint16_t head = r.u16();
    uint32_t length = head & 63;
    if (length == 63) length = r.u32();
    if (!r.skip(length)) return 0;
    const auto code = static_cast<W::TagCode>(head >> 6);
    if (code == W::TagCode::ShowFrame || code == W::TagCode::End) return at;
  }
  return 0;
}

}  // namespace

std::string ReporterScript(int swfVersion, ReporterSubject subject) {
  const bool sprite = subject == ReporterSubject::PreviewSprite;
  if (swfVersion < 6) {
    std::string text = kScript4;
    ReplaceAll(text, "@SUBJECT4@", sprite ? std::string("/") + kPreviewSpriteName : "/");
    return text;
  }
  std::string text = kScript6;
  ReplaceAll(text, "@SUBJECT@", sprite ? std::string("_level0.") + kPreviewSpriteName : "_level0");
  Replace(text, "@INIT@", swfVersion >= 8 ? kInit8 : "");
  Replace(text, "@POLL@", swfVersion >= 8 ? "" : kPollLoadVariables);
  return text;
}

bool AddFrameReporter(const std::filesystem::path& path, ReporterSubject subject) {
  const auto data = fileio::ReadAll(path, 1ull << 30);
  if (!data || data->size() < 21 || (*data)[0] != 'F' || (*data)[1] != 'W' || (*data)[2] != 'S') return false;
  const Bytes& movie = *data;
  const size_t at = FirstFrameEnd(movie);
  if (at == 0) return false;
  Bytes reporter;
  if (!ReporterTags(movie[3], subject, reporter)) return false;
  Bytes out;
  out.reserve(movie.size() + reporter.size());
  out.insert(out.end(), movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(at));
  out.insert(out.end(), reporter.begin(), reporter.end());
  out.insert(out.end(), movie.begin() + static_cast<std::ptrdiff_t>(at), movie.end());
  const auto length = static_cast<uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
  return fileio::WriteAtomic(path, out).ok();
}

}  // namespace tesmiro::GUICore
