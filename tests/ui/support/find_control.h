#pragma once
// A window's controls as the tests reach them: by the name the window gives
// each control (its objectName), never through the window's members.
#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace tesmiro::testing {

// The one control of `window` named `name` and of kind W. A missing or
// ambiguous name ends the test with a clear message (an exception the test
// framework reports) rather than with a null pointer.
template <class W>
W* Control(const QObject& window, const char* name) {
  const auto found = window.findChildren<W*>(QString::fromUtf8(name));
  if (found.size() != 1)
    throw std::runtime_error(std::string(found.empty() ? "no control named " : "several controls named ") + name +
                             " in " + window.objectName().toStdString() + " (" +
                             window.metaObject()->className() + ")");
  return found.front();
}

template <class W>
W* Control(const QObject* window, const char* name) {
  return Control<W>(*window, name);
}

}  // namespace tesmiro::testing
