#pragma once
// What the core needs from its host, installed in one call: the program's
// folders, the user-interface ports, the file dialogs, the ActionScript
// compiler behind the SWF writer and the text collector of embedded fonts.
// The program, the test drivers and the test fixtures all go through here.
#include "media/text/text_definitions.h"
#include "platform/app_paths.h"
#include "platform/ui.h"
#include "project/file_dialogs.h"
#include "swf/script_compiler.h"

namespace tesmiro::core {

struct Host {
  AppPaths paths;
  ui::Services services;  // null members answer silently
  DialogModule::FileDialogService* fileDialogs = nullptr;  // null: every dialog is cancelled
};

// Installs the host for its lifetime; every hook it set comes back to its
// previous value when it ends.
class Installation {
 public:
  explicit Installation(const Host& host);
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

 private:
  AppPaths previousPaths_;
  ui::ScopedServices services_;
  DialogModule::ScopedFileDialogs fileDialogs_;
  swf::ScopedScriptCompiler scriptCompiler_;
  SWFMakeCore::ScopedTextCollector textCollector_;
};

// Every module's state back to the start of a run: the project's and its
// media's (GUICore::ResetProjectState) and the build, compiler and preview
// state. Installed hooks stay as they are.
void ResetCoreState();

}  // namespace tesmiro::core
