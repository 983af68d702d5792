# Every include keeps to its floor. The core (platform, swf, script, media,
# project, compiler) includes nothing of the window layer and no Qt; in the
# window layer each floor includes only itself and the floors under it:
# common, then player, then dialogs, then main.
#
#   cmake -DSOURCE_DIR=<src> -P include_floors.cmake   checks a source tree
#   cmake -DWORK_DIR=<dir> -P include_floors.cmake     checks that each kind
#     of upward include, planted in a small tree under <dir>, is reported
cmake_minimum_required(VERSION 3.20)

set(_core_folders platform swf script media project compiler)
set(_floors_common common)
set(_floors_player common player)
set(_floors_dialogs common player dialogs)
set(_floors_main common player dialogs main)

# Appends to `out` one line per include in `file` that `folder` may not make.
function(_wrong_includes file folder floor out)
  file(STRINGS ${file} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  set(_wrong)
  foreach(_line IN LISTS _lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" _name "${_line}")
    set(_bad FALSE)
    # A relative path could climb to any floor.
    if(_name MATCHES "\\.\\./")
      set(_bad TRUE)
    elseif(floor STREQUAL "core")
      if(_name MATCHES "^ui/" OR _name MATCHES "^Q[A-Za-z]")
        set(_bad TRUE)
      endif()
    elseif(_name MATCHES "^ui/([^/]+)/")
      if(NOT CMAKE_MATCH_1 IN_LIST _floors_${floor})
        set(_bad TRUE)
      endif()
    endif()
    if(_bad)
      list(APPEND _wrong "${folder}: ${_name}")
    endif()
  endforeach()
  set(${out} ${${out}} ${_wrong} PARENT_SCOPE)
endfunction()

# Sets `out` to the wrong includes under the source tree `root`.
function(wrong_includes root out)
  set(_all)
  set(_walks)
  foreach(_folder IN LISTS _core_folders)
    list(APPEND _walks "${_folder}=core")
  endforeach()
  foreach(_floor common player dialogs main)
    list(APPEND _walks "ui/${_floor}=${_floor}")
  endforeach()
  foreach(_walk IN LISTS _walks)
    string(REPLACE "=" ";" _pair "${_walk}")
    list(GET _pair 0 _folder)
    list(GET _pair 1 _floor)
    file(GLOB_RECURSE _files LIST_DIRECTORIES false
      ${root}/${_folder}/*.h ${root}/${_folder}/*.hpp ${root}/${_folder}/*.cpp ${root}/${_folder}/*.cc)
    foreach(_file IN LISTS _files)
      file(RELATIVE_PATH _rel ${root} ${_file})
      _wrong_includes(${_file} ${_rel} ${_floor} _all)
    endforeach()
  endforeach()
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

if(DEFINED SOURCE_DIR)
  get_filename_component(SOURCE_DIR ${SOURCE_DIR} ABSOLUTE)
  if(NOT EXISTS ${SOURCE_DIR}/ui/main OR NOT EXISTS ${SOURCE_DIR}/project)
    message(FATAL_ERROR "${SOURCE_DIR} is not the program's source tree")
  endif()
  wrong_includes(${SOURCE_DIR} _wrong)
  if(_wrong)
    list(JOIN _wrong "\n  " _text)
    message(FATAL_ERROR "Includes that run up a floor:\n  ${_text}")
  endif()
elseif(DEFINED WORK_DIR)
  get_filename_component(WORK_DIR ${WORK_DIR} ABSOLUTE)
  # One planted include per rule; each alone must be reported.
  set(_cases
    "ui/dialogs/a.cpp|#include \"ui/main/main_gui.h\""
    "ui/player/a.h|#include \"ui/dialogs/trace_window.h\""
    "ui/common/a.cpp|#include \"ui/player/flash_host.h\""
    "ui/common/a.cpp|#  include <ui/main/qt_services.h>"
    "ui/dialogs/a.cpp|#include \"../main/main_gui.h\""
    "project/a.cpp|#include \"ui/common/qt_text.h\""
    "media/sub/a.h|#include <QString>")
  set(_index 0)
  foreach(_case IN LISTS _cases)
    string(REPLACE "|" ";" _parts "${_case}")
    list(GET _parts 0 _path)
    list(GET _parts 1 _include)
    set(_root ${WORK_DIR}/case${_index})
    file(REMOVE_RECURSE ${_root})
    # Includes that keep to their floors, beside the planted one.
    file(WRITE ${_root}/ui/main/m.cpp "#include \"ui/dialogs/trace_window.h\"\n#include <QWidget>\n")
    file(WRITE ${_root}/ui/dialogs/d.cpp "#include \"ui/player/flash_host.h\"\n#include \"ui/common/qt_text.h\"\n")
    file(WRITE ${_root}/project/p.cpp "#include \"platform/ui.h\"\n#include <queue>\n")
    wrong_includes(${_root} _before)
    if(_before)
      message(FATAL_ERROR "case ${_index}: reported includes that keep to their floors: ${_before}")
    endif()
    file(WRITE ${_root}/${_path} "#include <vector>\n${_include}\n")
    wrong_includes(${_root} _after)
    if(NOT _after)
      message(FATAL_ERROR "case ${_index}: not reported: ${_path}: ${_include}")
    endif()
    math(EXPR _index "${_index} + 1")
  endforeach()
  file(REMOVE_RECURSE ${WORK_DIR})
else()
  message(FATAL_ERROR "Give SOURCE_DIR or WORK_DIR")
endif()
