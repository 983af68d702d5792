#include "project/window_services.h"

#include "platform/ui.h"

namespace tesmiro::ui {

WindowServices& Windows() {
  static WindowServices silent;
  WindowServices* installed = Current().windows;
  return installed ? *installed : silent;
}

}  // namespace tesmiro::ui
