cmake_minimum_required(VERSION 3.25)
# Fails when a file includes a floor it may not use. Floors, bottom up:
#   link <- model <- core <- wizard, dialogs, scope, cli <- app
# A window folder (wizard, dialogs, scope) includes no other window folder and never
# app/; link, model and core include no widgets. Run with -DROOT=<source dir>.
set(_allowed_link "link")
set(_allowed_model "link;model")
set(_allowed_core "link;model;core")
set(_allowed_wizard "link;model;core;wizard")
set(_allowed_dialogs "link;model;core;dialogs")
set(_allowed_scope "link;model;core;scope")
set(_allowed_cli "link;model;core;cli")
set(_allowed_app "link;model;core;wizard;dialogs;scope;app")
set(_floors link model core wizard dialogs scope cli app)
set(_widgetFree link model core cli)
# Folders of windows that must not reach each other (the wizard's pages open one another).
set(_windowFolders dialogs scope)

set(_errors "")
foreach(_floor ${_floors})
  file(GLOB_RECURSE _files "${ROOT}/${_floor}/*.h" "${ROOT}/${_floor}/*.cpp")
  foreach(_file ${_files})
    file(STRINGS "${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(_line ${_includes})
      if(_line MATCHES "#[ \t]*include[ \t]*[\"<]([a-z]+)/")
        set(_target "${CMAKE_MATCH_1}")
        if(_target IN_LIST _floors AND NOT _target IN_LIST _allowed_${_floor})
          string(APPEND _errors "  ${_file}: ${_floor}/ may not include ${_target}/\n")
        endif()
      endif()
      # Inside a window folder, one window never includes another window's header.
      if(_floor IN_LIST _windowFolders AND _line MATCHES "#[ \t]*include[ \t]*\"${_floor}/([A-Za-z0-9_]+)\\.h\"")
        set(_header "${CMAKE_MATCH_1}")
        get_filename_component(_own "${_file}" NAME_WE)
        if(NOT _header STREQUAL _own AND EXISTS "${ROOT}/${_floor}/${_header}.h")
          file(STRINGS "${ROOT}/${_floor}/${_header}.h" _windows
               REGEX "(class|struct)[^;]*:[^;{]*public[ \t]+(Q(Widget|Dialog|MainWindow|Frame)|DriveWindow)[ \t{]")
          # A helper widget the folder's windows share (a lamp, a base class) says so in a
          # line of its own and is no window.
          file(STRINGS "${ROOT}/${_floor}/${_header}.h" _shared REGEX "^// Shared by the windows of this folder")
          if(_windows AND NOT _shared)
            string(APPEND _errors "  ${_file}: includes the window ${_floor}/${_header}.h\n")
          endif()
        endif()
      endif()
      if(_floor IN_LIST _widgetFree AND _line MATCHES "<Q(Widget|Dialog|MainWindow|Label|PushButton|Application)[>a-zA-Z]")
        string(APPEND _errors "  ${_file}: ${_floor}/ has no widgets\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(_errors)
  message(FATAL_ERROR "Layering broken:\n${_errors}")
endif()
