# Dependencies point down: platform, then the track library, the lap engine
# and the sport model (the exporters beside them), the web client, appcore,
# and on top the window layer (platform/classlib/ui with wxWidgets, the
# program's resources in res/ and the dialogs in uploader/). What is below
# the window builds, runs and is tested without it.
#
# pm_check_layers(), called once every target is defined, holds the rules:
# - at configure time, no library outside the window layer links it, and no
#   core program links it: the programs of tools/ and fuzz/ and the test
#   programs of the folders below tests/ other than PM_WINDOW_TESTS;
# - the test "WindowFreeLayers" (cmake/check_includes.cmake) fails when a
#   file of a library includes a header of a library it does not link
#   (its own folder, the folders of what it links directly or through
#   another library, and system headers are allowed), when a file outside
#   platform/classlib/ui/ includes the toolkit, when a core program includes
#   a header of the window layer, and when a program links the window layer
#   without including any of it;
# - the fuzz targets, which only the fuzz build makes, are declared in the
#   other builds (pm_declare_program) and held to the same rules there.
set(PM_WINDOW_LAYER classlib_ui classlib_ui_testing res uploader_lib)
# The folders below tests/ whose programs test the window and may link it;
# every other folder there tests a library below it.
set(PM_WINDOW_TESTS app res ui uploader)
# The toolkit's include prefixes, which only platform/classlib/ui/ uses.
set(PM_TOOLKIT_INCLUDES "wx/")
set(PM_TOOLKIT_FOLDER "platform/classlib/ui/")

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

# The targets defined in `dir` and the folders below it.
function(pm_targets_below dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    pm_targets_below("${sub}" below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

# The files of `target` in the source tree, as absolute paths.
function(pm_own_sources target out)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(files ${target} SOURCES)
  set(own "")
  foreach(file IN LISTS files)
    if(NOT IS_ABSOLUTE "${file}")
      set(file "${dir}/${file}")
    endif()
    # Generated sources are not ours to check.
    if(file MATCHES "^${PROJECT_SOURCE_DIR}/" AND NOT file MATCHES "^${PROJECT_BINARY_DIR}/")
      list(APPEND own "${file}")
    endif()
  endforeach()
  set(${out} "${own}" PARENT_SCOPE)
endfunction()

# pm_declare_program(<name> SOURCES ... DEPS ...): a program that this build
# does not make (the fuzz targets outside the fuzz build), declared with its
# sources and the libraries it links, so that pm_check_layers holds it to
# the rules as if it were built here.
function(pm_declare_program name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  set(sources "")
  foreach(file IN LISTS A_SOURCES)
    if(NOT IS_ABSOLUTE "${file}")
      set(file "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    endif()
    list(APPEND sources "${file}")
  endforeach()
  set_property(GLOBAL APPEND PROPERTY PM_DECLARED_PROGRAMS ${name})
  set_property(GLOBAL PROPERTY PM_DECLARED_${name}_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  set_property(GLOBAL PROPERTY PM_DECLARED_${name}_SOURCES "${sources}")
  set_property(GLOBAL PROPERTY PM_DECLARED_${name}_DEPS "${A_DEPS}")
endfunction()

# Whether a program defined in `dir` is a core one: a tool, a fuzz target or
# a test program of a library below the window.
function(pm_is_core_program dir out)
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${dir}")
  set(core FALSE)
  if(rel MATCHES "^(tools|fuzz)(/|$)")
    set(core TRUE)
  elseif(rel MATCHES "^tests/([^/]+)")
    if(NOT CMAKE_MATCH_1 IN_LIST PM_WINDOW_TESTS)
      set(core TRUE)
    endif()
  endif()
  set(${out} ${core} PARENT_SCOPE)
endfunction()

# Sorts the program `name`, defined in `dir`, linking `linked`, into the
# window programs or the core ones of pm_check_layers (whose variables it
# sets in the caller) with its `sources`; a core program that links the
# window layer stops the configuration.
macro(pm_add_program name dir linked sources)
  set(program_linked "${linked}")
  set(window "")
  foreach(layer IN LISTS PM_WINDOW_LAYER)
    if(layer IN_LIST program_linked)
      list(APPEND window ${layer})
    endif()
  endforeach()
  pm_is_core_program("${dir}" core)
  if(window AND core)
    file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${dir}")
    list(JOIN window ", " window)
    message(FATAL_ERROR "${name} (${rel}) links ${window}: a tool, fuzz target or test of a library "
                        "below the window links the libraries it uses, not the window layer")
  endif()
  if(window)
    list(APPEND window_programs ${name})
  elseif(core)
    list(APPEND core_programs ${name})
  endif()
  if(window OR core)
    string(APPEND manifest "set(PM_PROGRAM_${name}_SOURCES [==[${sources}]==])\n")
  endif()
endmacro()

function(pm_check_layers)
  pm_targets_below("${PROJECT_SOURCE_DIR}" targets)
  # What the include check reads: per library its folder, sources, the
  # folders of its generated headers and the targets it may include from;
  # the programs that link the window layer and the core programs, with
  # their sources.
  set(manifest "")
  string(APPEND manifest "set(PM_ROOT [==[${PROJECT_SOURCE_DIR}]==])\n"
         "set(PM_BINARY [==[${PROJECT_BINARY_DIR}]==])\n"
         "set(PM_WINDOW_LAYER [==[${PM_WINDOW_LAYER}]==])\n"
         "set(PM_TOOLKIT_INCLUDES [==[${PM_TOOLKIT_INCLUDES}]==])\n"
         "set(PM_TOOLKIT_FOLDER [==[${PM_TOOLKIT_FOLDER}]==])\n")
  set(libraries "")
  set(window_programs "")
  set(core_programs "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(dir ${target} SOURCE_DIR)
    if(type MATCHES "^(STATIC|SHARED|OBJECT|INTERFACE)_LIBRARY$")
      pm_linked_targets(${target} linked)
      if(NOT target IN_LIST PM_WINDOW_LAYER)
        foreach(window IN LISTS PM_WINDOW_LAYER)
          if(window IN_LIST linked)
            message(FATAL_ERROR "${target} links ${window}: it must build without the window layer")
          endif()
        endforeach()
      endif()
      set(generated "")
      foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
        get_target_property(include_dirs ${target} ${property})
        foreach(include_dir IN LISTS include_dirs)
          if(include_dir MATCHES "^${PROJECT_BINARY_DIR}/")
            list(APPEND generated "${include_dir}")
          endif()
        endforeach()
      endforeach()
      list(REMOVE_DUPLICATES generated)
      pm_own_sources(${target} sources)
      set(allowed ${target} ${linked})
      list(APPEND libraries ${target})
      string(APPEND manifest "set(PM_LIB_${target}_DIR [==[${dir}]==])\n"
             "set(PM_LIB_${target}_SOURCES [==[${sources}]==])\n"
             "set(PM_LIB_${target}_GENERATED [==[${generated}]==])\n"
             "set(PM_LIB_${target}_ALLOWED [==[${allowed}]==])\n")
    elseif(type STREQUAL "EXECUTABLE")
      pm_linked_targets(${target} linked)
      pm_own_sources(${target} sources)
      pm_add_program(${target} "${dir}" "${linked}" "${sources}")
    endif()
  endforeach()
  get_property(declared GLOBAL PROPERTY PM_DECLARED_PROGRAMS)
  foreach(program IN LISTS declared)
    get_property(dir GLOBAL PROPERTY PM_DECLARED_${program}_DIR)
    get_property(sources GLOBAL PROPERTY PM_DECLARED_${program}_SOURCES)
    get_property(deps GLOBAL PROPERTY PM_DECLARED_${program}_DEPS)
    set(linked "")
    foreach(dep IN LISTS deps)
      if(TARGET ${dep})
        pm_linked_targets(${dep} below)
        list(APPEND linked ${dep} ${below})
      endif()
    endforeach()
    pm_add_program(${program} "${dir}" "${linked}" "${sources}")
  endforeach()
  string(APPEND manifest "set(PM_LIBRARIES [==[${libraries}]==])\n"
         "set(PM_WINDOW_PROGRAMS [==[${window_programs}]==])\n"
         "set(PM_CORE_PROGRAMS [==[${core_programs}]==])\n")
  set(manifest_file "${PROJECT_BINARY_DIR}/layers/manifest.cmake")
  file(CONFIGURE OUTPUT "${manifest_file}" CONTENT "${manifest}" @ONLY)
  if(PM_TESTS)
    add_test(NAME WindowFreeLayers
             COMMAND ${CMAKE_COMMAND} "-DMANIFEST=${manifest_file}"
                     -P "${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake")
  endif()
endfunction()
