// Opens a project file and makes its movie, as File > Make SWF does:
//   compile_project PROJECT.tsm OUT.swf [--html] [--cancel-at N]
// Messages and status lines go to stderr. Exit 0 done, 3 cancelled, 1 failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compiler/core_setup.h"
#include "compiler/movie_compiler.h"
#include "platform/ui.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"

namespace {

class ConsoleUi final : public tesmiro::ui::Messages, public tesmiro::ui::BuildProgress {
 public:
  int cancelAt = 0;
  tesmiro::ui::Answer message(const std::string& title, const std::string& text, tesmiro::ui::Icon,
                              tesmiro::ui::Buttons) override {
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
    return tesmiro::ui::Answer::Ok;
  }
  void status(const std::string& line) override { std::fprintf(stderr, "status: %s\n", line.c_str()); }
  bool step(const std::string& line) override {
    ++steps_;
    std::fprintf(stderr, "progress: %s\n", line.c_str());
    return cancelAt > 0 && steps_ >= cancelAt;
  }

 private:
  int steps_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace tesmiro;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PROJECT.tsm OUT.swf [--html] [--cancel-at N]\n", argv[0]);
    return 2;
  }
  ConsoleUi console;
  bool html = false;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--html") html = true;
    if (arg == "--cancel-at" && i + 1 < argc) console.cancelAt = std::atoi(argv[++i]);
  }
  // Frame, button and clip scripts compile only through the installed binding.
  core::Installation core({AppPaths::InFolder(std::filesystem::path(argv[2]).parent_path()),
                           {&console, &console, nullptr}, nullptr});
  GUICore::NewProject();
  if (!GUICore::OpenProject(argv[1])) return 1;
  const GUICore::MovieFileResult made = GUICore::MakeMovieFile(argv[2], html);
  if (made.compressedBytes) console.status(made.compressedLine());
  switch (made.result) {
    case GUICore::BuildResult::Done: return 0;
    case GUICore::BuildResult::Cancelled: return 3;
    case GUICore::BuildResult::Failed: return 1;
  }
  return 1;
}
