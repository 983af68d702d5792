# Only the main window's own floor (src/ui/main) looks the window up through
# MainGUI::instance(); the composition root and the other floors are handed
# what they need.
#   cmake -DSOURCE_DIR=<src> -P main_window_lookups.cmake
cmake_minimum_required(VERSION 3.20)

file(GLOB_RECURSE _sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
set(_found)
foreach(_source IN LISTS _sources)
  if(_source MATCHES "^ui/main/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${_source} _lines REGEX "MainGUI::instance")
  foreach(_line IN LISTS _lines)
    string(STRIP "${_line}" _line)
    list(APPEND _found "${_source}: ${_line}")
  endforeach()
endforeach()
if(_found)
  list(JOIN _found "\n" _text)
  message(FATAL_ERROR "the main window looked up outside src/ui/main:\n${_text}")
endif()
