# The window as a library loaded at run time.
#
# The executable links only the layers without widgets; the window, its pages
# and dialogs become libnetsonde_window.so, which app/WindowModule.cpp loads
# with dlopen when a window is wanted. Report mode, --help and --version so
# never map libQt6Gui or libQt6Widgets.
#
# How the two halves meet: every object of the widget-free layers lives in the
# executable exactly once (linked whole-archive, since the executable itself
# may not need all of them) and is exported from it (ENABLE_EXPORTS). The
# window library is built from the window layers' objects only and leaves its
# references to the core undefined; the loader binds them to the executable.
# A core object linked into the library as well would give that library its
# own copy of every static of the object: file-scope statics and anonymous-
# namespace objects are never shared across the two, so for example the
# message-box handler or the resolver's handle counter would exist twice.
#
# Include this file from the top-level list after every add_subdirectory()
# of the source folders and in place of the executable's link line in
# app/CMakeLists.txt. The install rule of the library is in
# packaging/Packaging.cmake.
#
# When the libraries are split per folder, switch:
#  - NETSONDE_CORE_LIBRARIES to the static libraries of the levels below the
#    window (platform, settings, export, phonebook, run, dns, icmp, query,
#    each without widgets), and drop Qt6::Widgets/Qt6::PrintSupport from
#    every one of them;
#  - NETSONDE_WINDOW_OBJECT_LIBRARIES to the OBJECT libraries of pages,
#    resources, mainwindow and the widget parts of phonebook, query and
#    platform (MessageBox, ControlIds, DialogUnits). They may link the core
#    libraries for their headers: only their objects go into the window
#    library. Whatever other Qt library they use that the executable does
#    not map goes into NETSONDE_WINDOW_QT_LIBRARIES (else dlopen fails on an
#    undefined symbol);
#  - the executable's own sources to app/ without MainApp.cpp's window case
#    (which becomes RunWindowModule) once report mode runs over run/ and
#    no longer needs the window's controller.
# Today netsonde_gui still holds app/MainApp.cpp, app/ReportMode.cpp and
# app/InterruptNotifier.cpp, which need the window: they must leave it before
# this file is included.

include(GNUInstallDirs)

# Static libraries without widgets: linked whole into the executable.
set(NETSONDE_CORE_LIBRARIES
  netsonde_core netsonde_text netsonde_resolver netsonde_echo
  netsonde_dns netsonde_query netsonde_export netsonde_phonebook)
# OBJECT libraries of the window layers: their objects make the window library.
set(NETSONDE_WINDOW_OBJECT_LIBRARIES netsonde_gui)
# Libraries the window library needs beyond the executable's.
set(NETSONDE_WINDOW_QT_LIBRARIES Qt6::Widgets Qt6::PrintSupport)

add_library(netsonde_window MODULE ${PROJECT_SOURCE_DIR}/mainwindow/WindowEntry.cpp)
foreach(layer IN LISTS NETSONDE_WINDOW_OBJECT_LIBRARIES)
  get_target_property(layer_type ${layer} TYPE)
  if(NOT layer_type STREQUAL "OBJECT_LIBRARY")
    message(FATAL_ERROR "${layer} must be an OBJECT library to go into the window library")
  endif()
  set_target_properties(${layer} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  # The objects only: linking the target would bring its link interface,
  # the core libraries, into the window library too.
  target_sources(netsonde_window PRIVATE $<TARGET_OBJECTS:${layer}>)
  target_include_directories(netsonde_window PRIVATE $<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>)
endforeach()
target_link_libraries(netsonde_window PRIVATE ${NETSONDE_WINDOW_QT_LIBRARIES})
# Beside the executable in the build tree, where app/WindowModule.cpp looks first.
set_target_properties(netsonde_window PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  CXX_VISIBILITY_PRESET hidden)

# The executable: the core whole and exported, the window loaded at run time.
target_sources(netsonde PRIVATE ${PROJECT_SOURCE_DIR}/app/WindowModule.cpp)
# The private folder as seen from the executable's folder: cpack installs
# under CPACK_PACKAGING_INSTALL_PREFIX and "cmake --install --prefix" under
# another prefix than the one configured, so an absolute path fixed here
# would miss the library there.
file(RELATIVE_PATH NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/netsonde)
target_compile_definitions(netsonde PRIVATE
  NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR="${NETSONDE_PRIVATE_LIBDIR_FROM_BINDIR}")
# Whole-archive for every mention of a core library in the executable's link,
# the direct ones and those another core library brings (netsonde_dns and
# netsonde_query bring netsonde_text): $<LINK_LIBRARY:WHOLE_ARCHIVE,...> alone
# is refused when the same library also comes in without the feature.
foreach(library IN LISTS NETSONDE_CORE_LIBRARIES)
  set_target_properties(netsonde PROPERTIES LINK_LIBRARY_OVERRIDE_${library} WHOLE_ARCHIVE)
endforeach()
# Each archive may appear only once on the link line, or its objects are
# defined twice: link directly only the core libraries no other one brings.
set(NETSONDE_CORE_DIRECT_LIBRARIES ${NETSONDE_CORE_LIBRARIES})
foreach(library IN LISTS NETSONDE_CORE_LIBRARIES)
  get_target_property(brought ${library} INTERFACE_LINK_LIBRARIES)
  if(brought)
    string(REGEX REPLACE "\\$<LINK_ONLY:([^>]*)>" "\\1" brought "${brought}")
    list(REMOVE_ITEM NETSONDE_CORE_DIRECT_LIBRARIES ${brought})
  endif()
endforeach()
target_link_libraries(netsonde PRIVATE ${NETSONDE_CORE_DIRECT_LIBRARIES} ${CMAKE_DL_LIBS})
set_target_properties(netsonde PROPERTIES ENABLE_EXPORTS ON)
# Building the program builds its window, so that the build tree runs.
add_dependencies(netsonde netsonde_window)
