# The window layer (platform/classlib/ui with wxWidgets, the program's
# resources in res/ and the dialogs in uploader/) sits on top: the libraries
# below it must not include or link it, so that they build, run and are
# tested without a window.
#
# PM_WINDOW_FREE lists those libraries. pm_check_window_free() fails the
# configuration when one of them links the window layer, directly or through
# another library; the test "WindowFreeLayers" fails when a source of one of
# them includes a header of that layer.
set(PM_WINDOW_FREE platform_win32 classlib icutil icxml trackdb lapgear sport webclient appcore export export_drivers)
set(PM_WINDOW_LAYER classlib_ui classlib_ui_testing res uploader_lib)
# The include prefixes of the window layer.
set(PM_WINDOW_INCLUDES "platform/classlib/ui/" "res/" "uploader/" "wx/")

# Every target that `target` links, directly or through another target.
function(pm_linked_targets target out)
  set(seen "")
  set(todo "${target}")
  while(todo)
    list(POP_FRONT todo current)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${property})
      if(NOT libs)
        continue()
      endif()
      foreach(lib IN LISTS libs)
        # $<LINK_ONLY:x>, which static libraries put in their interface, links x.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(TARGET ${lib} AND NOT lib IN_LIST seen)
          list(APPEND seen ${lib})
          list(APPEND todo ${lib})
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} "${seen}" PARENT_SCOPE)
endfunction()

function(pm_check_window_free)
  set(sources "")
  foreach(target IN LISTS PM_WINDOW_FREE)
    if(NOT TARGET ${target})
      continue()
    endif()
    pm_linked_targets(${target} linked)
    foreach(window IN LISTS PM_WINDOW_LAYER)
      if(window IN_LIST linked)
        message(FATAL_ERROR "${target} links ${window}: it must build without the window layer")
      endif()
    endforeach()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(files ${target} SOURCES)
    foreach(file IN LISTS files)
      if(NOT IS_ABSOLUTE "${file}")
        set(file "${dir}/${file}")
      endif()
      # Generated sources are not ours to check.
      if(file MATCHES "^${PROJECT_SOURCE_DIR}/" AND NOT file MATCHES "^${PROJECT_BINARY_DIR}/")
        list(APPEND sources "${file}")
      endif()
    endforeach()
    # The headers beside them, which their users include.
    file(GLOB headers "${dir}/*.h")
    list(APPEND sources ${headers})
  endforeach()
  list(REMOVE_DUPLICATES sources)
  if(PM_TESTS)
    list(JOIN sources "|" source_text)
    list(JOIN PM_WINDOW_INCLUDES "|" include_text)
    add_test(NAME WindowFreeLayers
             COMMAND ${CMAKE_COMMAND} "-DSOURCES=${source_text}" "-DFORBIDDEN=${include_text}"
                     -P "${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake")
  endif()
endfunction()
