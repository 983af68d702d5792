#pragma once
// The hidden clip that preview movies shown inside the program carry. The
// web player offers no frame number, playing state or seeking of its own, so
// the movie reports its main timeline through fscommand and takes play,
// stop and goto commands from the host:
//   report  fscommand("TesmiroReport", "<seq>,<frame>,<playing>,<total>")
//           frame 1-based, playing 0 or 1, seq the last command it carried out;
//           sent whenever one of the four changes.
//   command the variables tsmS (sequence number, above every earlier one),
//           tsmO ("play", "stop" or "goto") and tsmF (1-based frame for goto),
//           set on the clip. SWF 8 movies take them through the external
//           interface callback "tesmiroCommand"(seq, op, frame); earlier
//           versions poll kReporterCommandUrl with loadVariables.
// Movies written for Make SWF, the browser or a stand-alone player never
// carry it.
#include <cstdint>
#include <filesystem>
#include <string>

namespace tesmiro::GUICore {

inline constexpr const char* kReporterName = "__tesmiroReporter";
inline constexpr int32_t kReporterCharacter = 50001;
// A timeline depth far above every event's (events use 1 to 513) and below
// the range scripts attach clips in.
inline constexpr int32_t kReporterDepth = 16000;
inline constexpr const char* kReportCommand = "TesmiroReport";
inline constexpr const char* kReporterCallback = "tesmiroCommand";
// Relative to the movie's own folder: the host serves the commands one level
// above the movies, where no file of the folder can take the name.
inline constexpr const char* kReporterCommandUrl = "../command";

// The timeline the clip reports and drives: the movie's own, or the whole
// preview movie that the event property dialog's picture loads into its
// placeholder clip underneath the event.
enum class ReporterSubject { MainTimeline, PreviewSprite };

// The clip's frame script for a SWF version (4 and 5: SWF 4 actions).
std::string ReporterScript(int swfVersion, ReporterSubject subject = ReporterSubject::MainTimeline);

// Adds the reporter to the first frame of a finished, uncompressed movie
// file. False (file unchanged) when the file is not such a movie or cannot
// be rewritten.
bool AddFrameReporter(const std::filesystem::path& movie, ReporterSubject subject = ReporterSubject::MainTimeline);

}  // namespace tesmiro::GUICore
