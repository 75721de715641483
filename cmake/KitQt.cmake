# The two programs' windows: Qt 6 Widgets and the QScintilla editor control,
# both from Debian. Only ide/ window files and simulator/ui/ use them.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
find_library(KIT_QSCINTILLA_LIBRARY qscintilla2_qt6 REQUIRED)
add_library(kit_qscintilla INTERFACE)
target_link_libraries(kit_qscintilla INTERFACE ${KIT_QSCINTILLA_LIBRARY} Qt6::Widgets)

# kit_qt_library(NAME DIRS dir... DEPS target...): kit_library with moc.
function(kit_qt_library name)
  kit_library(${name} ${ARGN})
  get_target_property(type ${name} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# kit_qt_test(NAME SOURCES file... DEPS target...)
# One Qt Test executable, run by ctest on the offscreen platform.
function(kit_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE
    KIT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KIT_BINARY_DIR="${PROJECT_BINARY_DIR}"
    KIT_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
                                          LABELS windows)
endfunction()
