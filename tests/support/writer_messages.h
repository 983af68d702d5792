#pragma once
// What the SWF writer recorded for its caller to tell the user at once.
#include <string>
#include <vector>

#include "swf/swf_writer.h"

namespace tesmiro::testing {

inline std::vector<std::string> WriterMessages(
    SWFMakeCore::Diagnostic::Kind kind = SWFMakeCore::Diagnostic::Kind::Warning) {
  std::vector<std::string> texts;
  for (const SWFMakeCore::Diagnostic& d : SWFMakeCore::WriterState().diagnostics) {
    if (d.kind == kind) texts.push_back(d.text);
  }
  return texts;
}

}  // namespace tesmiro::testing
