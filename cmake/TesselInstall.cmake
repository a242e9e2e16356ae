# What `cmake --install` installs, the files that let other projects find the installation
# (CMake package configuration, pkg-config), and the Debian package CPack makes of it.
#
# Included by the top-level CMakeLists.txt after every target exists, so the install rules
# name the targets here instead of living in each directory's CMakeLists.txt.
#
#   bin/                              tessel, tessel-formula, tessel-media-picker, tessel-studio
#   lib/libtessel_*.a                 the static libraries
#   include/tessel/<dir>/<header>     the editor's public headers and all they include
#   lib/cmake/Tessel/                 TesselConfig.cmake, TesselConfigVersion.cmake, targets
#   lib/pkgconfig/tessel.pc
#   share/applications, share/icons, share/mime   the studio's desktop entry, icon, page type

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TESSEL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TESSEL_INCLUDE_SUBDIR ${CMAKE_INSTALL_INCLUDEDIR}/tessel)
set(TESSEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessel)

# --- The libraries ---------------------------------------------------------------------------
# The libraries a host links, and every library of the project they link in turn (the picture
# decoders, the metafile reader, ...), found by walking the link graph. Static libraries carry
# their private dependencies along, so Qt and GraphicsMagick are dependencies of the
# installation too; they are collected from the same walk.
set(tessel_install_roots
    tessel_embed tessel_editor tessel_widgets tessel_resources tessel_imaging tessel_formula
    tessel_markup tessel_document tessel_platform)

set(tessel_libraries "")     # project libraries, each after every library it links
set(tessel_external "")      # imported targets and plain library names they link
set(tessel_visited "")

# The link items of a target, public and private, with $<LINK_ONLY:...> unwrapped.
function(tessel_link_items target out)
  get_target_property(direct ${target} LINK_LIBRARIES)
  get_target_property(iface ${target} INTERFACE_LINK_LIBRARIES)
  set(items "")
  foreach(item IN LISTS direct iface)
    if(NOT item OR item MATCHES "-NOTFOUND$")
      continue()
    endif()
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(item MATCHES "^\\$<")
      message(WARNING "TesselInstall: ${target} links \"${item}\"; not carried into the "
                      "installed package files")
      continue()
    endif()
    list(APPEND items ${item})
  endforeach()
  list(REMOVE_DUPLICATES items)
  set(${out} ${items} PARENT_SCOPE)
endfunction()

# Depth first: a library is appended after everything it links.
function(tessel_walk target)
  list(FIND tessel_visited ${target} seen)
  if(NOT seen EQUAL -1)
    return()
  endif()
  list(APPEND tessel_visited ${target})
  set(tessel_visited ${tessel_visited} PARENT_SCOPE)
  tessel_link_items(${target} items)
  foreach(item IN LISTS items)
    set(project_target FALSE)
    if(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      get_target_property(aliased ${item} ALIASED_TARGET)
      if(aliased)
        set(item ${aliased})
      endif()
      if(NOT imported)
        set(project_target TRUE)
      endif()
    endif()
    if(project_target)
      tessel_walk(${item})
    else()
      list(APPEND tessel_external ${item})
    endif()
  endforeach()
  list(APPEND tessel_libraries ${target})
  list(REMOVE_DUPLICATES tessel_external)
  set(tessel_visited ${tessel_visited} PARENT_SCOPE)
  set(tessel_libraries ${tessel_libraries} PARENT_SCOPE)
  set(tessel_external ${tessel_external} PARENT_SCOPE)
endfunction()

foreach(root IN LISTS tessel_install_roots)
  if(TARGET ${root})
    tessel_walk(${root})
  endif()
endforeach()

# Include directories of the source tree hold for the build only; an installation has its
# headers under include/tessel. C++20 is part of the interface: the headers need it.
foreach(lib IN LISTS tessel_libraries)
  get_target_property(dirs ${lib} INTERFACE_INCLUDE_DIRECTORIES)
  set(fixed "")
  set(has_install_dir FALSE)
  foreach(dir IN LISTS dirs)
    if(NOT dir OR dir MATCHES "-NOTFOUND$")
      continue()
    elseif(dir MATCHES "^\\$<")
      list(APPEND fixed "${dir}")
      if(dir MATCHES "^\\$<INSTALL_INTERFACE:")
        set(has_install_dir TRUE)
      endif()
    else()
      list(APPEND fixed "$<BUILD_INTERFACE:${dir}>")
    endif()
  endforeach()
  if(NOT has_install_dir)
    list(APPEND fixed "$<INSTALL_INTERFACE:${TESSEL_INCLUDE_SUBDIR}>")
  endif()
  set_property(TARGET ${lib} PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${fixed}")
  set_property(TARGET ${lib} APPEND PROPERTY INTERFACE_COMPILE_FEATURES cxx_std_20)
endforeach()

install(TARGETS ${tessel_libraries}
  EXPORT TesselTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT TesselTargets
  NAMESPACE Tessel::
  DESTINATION ${TESSEL_CMAKE_DIR})

# --- What the libraries need, for find_package and for pkg-config ---------------------------
set(tessel_qt_components "")
set(tessel_pc_modules "")
set(tessel_pc_extra_libs "")
set(tessel_config_extra "")
foreach(item IN LISTS tessel_external)
  if(item MATCHES "^Qt6::(.+)$")
    list(APPEND tessel_qt_components ${CMAKE_MATCH_1})
    list(APPEND tessel_pc_modules Qt6${CMAKE_MATCH_1})
  elseif(item MATCHES "^PkgConfig::(.+)$")
    # pkg_check_modules(<prefix> IMPORTED_TARGET <module>) with the module as its prefix.
    set(module ${CMAKE_MATCH_1})
    list(APPEND tessel_pc_modules ${module})
    string(APPEND tessel_config_extra "
find_dependency(PkgConfig)
if(NOT TARGET PkgConfig::${module})
  pkg_check_modules(${module} QUIET IMPORTED_TARGET ${module})
  if(NOT ${module}_FOUND)
    set(Tessel_FOUND FALSE)
    set(Tessel_NOT_FOUND_MESSAGE \"Tessel needs ${module} (pkg-config module ${module})\")
    return()
  endif()
endif()
")
  elseif(item STREQUAL "Threads::Threads")
    string(APPEND tessel_config_extra "find_dependency(Threads)\n")
    list(APPEND tessel_pc_extra_libs -pthread)
  elseif(item MATCHES "::")
    # The installed package would name a target its users cannot find: say so, but let the
    # build go on (scripts/package.sh fails on it).
    message(WARNING "TesselInstall: the libraries link ${item}; tell "
                    "cmake/TesselInstall.cmake how an installation finds it")
  elseif(item MATCHES "^-")
    list(APPEND tessel_pc_extra_libs ${item})
  else()
    list(APPEND tessel_pc_extra_libs -l${item})
  endif()
endforeach()
list(REMOVE_DUPLICATES tessel_qt_components)
list(REMOVE_DUPLICATES tessel_pc_modules)

set(TESSEL_CONFIG_DEPENDENCIES "")
if(tessel_qt_components)
  list(JOIN tessel_qt_components " " components)
  string(APPEND TESSEL_CONFIG_DEPENDENCIES "find_dependency(Qt6 COMPONENTS ${components})\n")
endif()
string(APPEND TESSEL_CONFIG_DEPENDENCIES "${tessel_config_extra}")

set(TESSEL_CONFIG_LIBRARIES "")
foreach(lib IN LISTS tessel_libraries)
  list(PREPEND TESSEL_CONFIG_LIBRARIES Tessel::${lib})
endforeach()
list(JOIN TESSEL_CONFIG_LIBRARIES " " TESSEL_CONFIG_LIBRARIES)

configure_package_config_file(${TESSEL_PACKAGING_DIR}/TesselConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/packaging/TesselConfig.cmake
  INSTALL_DESTINATION ${TESSEL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/packaging/TesselConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/packaging/TesselConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/packaging/TesselConfigVersion.cmake
  DESTINATION ${TESSEL_CMAKE_DIR})

# pkg-config: the libraries in link order (each before what it links), then what they need.
# The prefix is found from the .pc file's own place, so a staged installation works as is.
set(TESSEL_PC_LIBS "")
foreach(lib IN LISTS tessel_libraries)
  get_target_property(name ${lib} OUTPUT_NAME)
  if(NOT name)
    set(name ${lib})
  endif()
  list(PREPEND TESSEL_PC_LIBS -l${name})
endforeach()
list(APPEND TESSEL_PC_LIBS ${tessel_pc_extra_libs})
list(JOIN TESSEL_PC_LIBS " " TESSEL_PC_LIBS)
list(JOIN tessel_pc_modules " " TESSEL_PC_REQUIRES)
file(RELATIVE_PATH TESSEL_PC_PREFIX_FROM_PCDIR
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" TESSEL_PC_PREFIX_FROM_PCDIR "${TESSEL_PC_PREFIX_FROM_PCDIR}")
configure_file(${TESSEL_PACKAGING_DIR}/tessel.pc.in
  ${CMAKE_CURRENT_BINARY_DIR}/packaging/tessel.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tessel.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# --- The public headers ----------------------------------------------------------------------
# The editor's header, the application helper a host calls first, the Qt widget's header, and
# every header of the project they include, found by the compiler when installing (so a new
# include is never forgotten). Each keeps its path below src/ (or below the source root for
# resources/), so `#include "editor/tessel_edit.h"` works with -I<prefix>/include/tessel.
set(tessel_public_headers
    ${PROJECT_SOURCE_DIR}/src/editor/tessel_edit.h
    ${PROJECT_SOURCE_DIR}/src/platform/application.h)
if(TARGET tessel_embed AND EXISTS ${PROJECT_SOURCE_DIR}/src/embed/tessel_editor.h)
  list(APPEND tessel_public_headers ${PROJECT_SOURCE_DIR}/src/embed/tessel_editor.h)
endif()
install(CODE "
  set(roots \"${tessel_public_headers}\")
  set(src \"${PROJECT_SOURCE_DIR}/src\")
  set(top \"${PROJECT_SOURCE_DIR}\")
  execute_process(
    COMMAND \"${CMAKE_CXX_COMPILER}\" -std=c++20 -x c++ -MM -MG -I\${src} -I\${top} \${roots}
    OUTPUT_VARIABLE deps ERROR_VARIABLE errors RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR \"Finding the headers to install failed: \${errors}\")
  endif()
  string(REGEX REPLACE \"[^ \\n\\\\\\\\]+:\" \" \" deps \"\${deps}\")
  string(REGEX REPLACE \"[ \\n\\\\\\\\]+\" \";\" deps \"\${deps}\")
  set(headers \"\")
  foreach(file IN LISTS deps)
    if(NOT file)
      continue()
    endif()
    get_filename_component(file \"\${file}\" ABSOLUTE)
    string(FIND \"\${file}\" \"\${top}/\" at)
    if(NOT at EQUAL 0 OR NOT EXISTS \"\${file}\")
      continue()
    endif()
    list(APPEND headers \"\${file}\")
  endforeach()
  list(REMOVE_DUPLICATES headers)
  list(SORT headers)
  foreach(file IN LISTS headers)
    string(FIND \"\${file}\" \"\${src}/\" in_src)
    if(in_src EQUAL 0)
      file(RELATIVE_PATH rel \"\${src}\" \"\${file}\")
    else()
      file(RELATIVE_PATH rel \"\${top}\" \"\${file}\")
    endif()
    get_filename_component(dir \"\${rel}\" DIRECTORY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${TESSEL_INCLUDE_SUBDIR}/\${dir}\"
         TYPE FILE FILES \"\${file}\")
  endforeach()
")

# --- The programs ----------------------------------------------------------------------------
# tessel-formula and tessel-media-picker go beside the page editor's programs: the editor
# looks for them beside the running program first.
set(tessel_programs tessel tessel_formula_editor tessel_media_picker)
if(TARGET tessel_studio)
  list(APPEND tessel_programs tessel_studio)
endif()
foreach(program IN LISTS tessel_programs)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The page type, and the studio's place on the desktop.
install(FILES ${TESSEL_PACKAGING_DIR}/tessel.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
if(TARGET tessel_studio)
  install(FILES ${TESSEL_PACKAGING_DIR}/tessel-studio.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TESSEL_PACKAGING_DIR}/tessel-studio.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# --- The Debian package ----------------------------------------------------------------------
set(TESSEL_PACKAGE_MAINTAINER "Tessel developers <tessel@localhost>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR Tessel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TESSEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "In-place editor for rich courseware page text, with its tools")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs lose their debugging information; static libraries are never stripped.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The body of the description: CPack puts the summary above it and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Tessel gives a host authoring program an editor for courseware pages and exam
questions: it reads the page markup, lays it out, draws it, lets the user edit
it and writes the markup (or an HTML fragment) back.

This package holds the programs tessel, tessel-formula, tessel-media-picker and
tessel-studio, and the static libraries, headers, CMake package files and
pkg-config file a host program builds against.")
# The programs' shared libraries are found by dpkg-shlibdeps; the fonts are read at run time
# (metric-compatible with Arial and Times New Roman, and fonts covering GBK). Qt's offscreen
# platform plugin, which lets the tools run without a display, is part of libqt6gui6.
if(EXISTS /usr/bin/dpkg-shlibdeps)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-noto-cjk")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6, libqt6gui6, libqt6widgets6, libqt6multimedia6, libqt6multimediawidgets6, \
libgraphicsmagick-q16-3, libstdc++6, libc6, fonts-liberation, fonts-noto-cjk")
endif()
# Building a host against the libraries needs the development files of what they link.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-base-dev, libgraphicsmagick1-dev, pkg-config")
include(CPack)
