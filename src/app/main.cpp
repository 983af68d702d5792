// Tesmiro: the program. Makes the application, finds the program's folders,
// installs the core's host services and opens the main window on the
// project named on the command line, if any.
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStringList>
#include <filesystem>
#include <functional>

#include "compiler/core_setup.h"
#include "platform/app_paths.h"
#include "platform/end_signals.h"
#include "project/event_colors.h"
#include "project/window_services.h"
#include "ui/main/qt_services.h"
#include "ui/common/qt_text.h"
#include "ui/common/qt_translations.h"
#include "ui/common/services.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/material_property.h"
#include "ui/main/store_property_command.h"
#include "ui/player/loopback_server.h"

int main(int argc, char** argv) {
  using namespace tesmiro;
  // As root (containers, CI) the web engine of the previews cannot start its
  // sandbox, and without it would show nothing.
  if (::geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  // From here on a logout, `kill` or Ctrl+C ends the program in order.
  EndSignals endSignals;
  player::LoopbackServer::raiseDescriptorLimit();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tesmiro"));
  QApplication::setDesktopFileName(QStringLiteral("tesmiro"));
  // Asked to end, the program cancels a running build, closes the preview
  // window and leaves every event loop, a modal dialog's too (the dialog
  // answers as if cancelled); what the user has not saved then goes into
  // the automatic backup, without a question.
  int endedBy = 0;
  // What the handler asks of the main window, once it is made.
  std::function<void()> cancelBuild;
  QSocketNotifier ending(endSignals.fd(), QSocketNotifier::Read);
  ending.setEnabled(endSignals.fd() >= 0);
  QObject::connect(&ending, &QSocketNotifier::activated, &app, [&] {
    ending.setEnabled(false);
    endedBy = endSignals.received();
    if (cancelBuild) cancelBuild();
    ui::Windows().unloadPreviewWindow();
    QCoreApplication::exit(128 + endedBy);
  });
  const gui::QtJapaneseTexts qtTexts;
  if (!qtTexts.loaded()) std::fprintf(stderr, "tesmiro: Qt の日本語訳が見つかりません (qt6-translations-l10n)\n");

  AppPaths::RemoveLeftScratch();
  const AppPaths paths = AppPaths::ForExecutable(std::filesystem::path(gui::FromQ(QApplication::applicationFilePath())));
  // The program runs without what cannot be made, once the user was told.
  for (const std::string& problem : paths.ensure())
    QMessageBox::warning(nullptr, QStringLiteral("Tesmiro"), gui::ToQ(problem));

  gui::QtPorts ports;
  const gui::DesktopServices desktop = gui::QtDesktopServices();
  core::Installation core({paths, ports.services(), desktop.fileDialogs});
  EventListModule::ScopedSystemColors palette([](int32_t index) { return gui::SystemColor(index); });
  gui::ScopedMaterialProperties materialDialog(gui::StoreDialogProperties());

  // The one argument is a project path; a path with blanks that reached us
  // split into several arguments is joined again.
  QStringList args = QApplication::arguments();
  args.removeFirst();
  gui::MainGUI window;
  cancelBuild = [&window] {
    if (window.buildRunning()) window.cancelBuild();
  };
  window.menus().warmUpPlayerWhenIdle();
  window.startUp(args.join(' '));
  // A signal during the start-up ended the loops it ran (the warnings and
  // questions answer at once from then on); the main loop would not see it.
  const int status = endedBy != 0 ? 128 + endedBy : app.exec();
  if (endedBy != 0) window.shutDown(false);
  // The private scratch folder of this run; in portable mode scratch files
  // share the program's folder, which stays. The folder of a run that ends
  // otherwise is removed by the next start.
  if (paths.scratch != paths.config) {
    std::error_code ec;
    std::filesystem::remove_all(paths.scratch, ec);
  }
  // Nothing is left to keep: from here a signal ends the program at once,
  // one that came during the end too.
  endSignals.ended();
  return status;
}
