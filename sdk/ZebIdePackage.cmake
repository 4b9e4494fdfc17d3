# zeb_add_package(NAME SOURCES file... [DESCRIPTION text] [REQUIRES package...] [UNITS unit...]
#                 [VERSION major[.minor[.release[.build]]]])
#
# Builds the add-in package NAME, the file NAME.so, as the IDE loads it: a loadable module that
# exports only what its sources mark ZEB_EXPORT (Register, and Initialize and Finalize when it
# has them), resolves every symbol at link time, holds no symbol that would keep it loaded after
# the IDE unloads it, and links the runtime library. Its identity (the ZebGetPackageInfo entry
# point the IDE reads) is generated from the arguments: the name NAME, the DESCRIPTION, the
# packages it REQUIRES (file names such as rtl100.bpl; the IDE refuses a package that requires
# one it does not provide), the UNITS it contains (NAME and the base names of its source files
# unless given) and the VERSION (1.0.0.0 unless given).
#
# zeb_add_script_test(NAME PACKAGE target SCRIPT file EXPECTED file [TRACES file]
#                     [FILES file...])
#
# Adds the test NAME: zeb-host runs SCRIPT with only the package `target` loaded, in a fresh
# folder holding copies of the FILES; what it prints must equal EXPECTED (the run's folder shows
# as <DIR>), and it must exit with status 0 and print nothing on standard error. With TRACES, a
# trace viewer of the test's own runs meanwhile, and the texts of the trace messages it receives
# (one a line, without time and sender) must equal that file.

# A C++ string literal holding `text`.
function(_zeb_cxx_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# A braced list of C++ string literals, null-terminated so that it is never empty.
function(_zeb_cxx_strings out)
  set(list "")
  foreach(item IN LISTS ARGN)
    _zeb_cxx_string(literal "${item}")
    string(APPEND list "${literal}, ")
  endforeach()
  set(${out} "{${list}nullptr}" PARENT_SCOPE)
endfunction()

function(zeb_add_package name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;VERSION" "SOURCES;REQUIRES;UNITS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zeb_add_package(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9_][A-Za-z0-9_.-]*$")
    message(FATAL_ERROR "zeb_add_package: \"${name}\" is no package name (letters, digits, "
      "'_', '.' and '-')")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "zeb_add_package(${name}): SOURCES is required")
  endif()

  if(NOT DEFINED arg_VERSION)
    set(arg_VERSION 1.0.0.0)
  endif()
  if(NOT arg_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    message(FATAL_ERROR "zeb_add_package(${name}): VERSION \"${arg_VERSION}\" is not of the "
      "form 1.2.3.4")
  endif()
  string(REPLACE "." ";" version "${arg_VERSION}")
  list(LENGTH version parts)
  while(parts LESS 4)
    list(APPEND version 0)
    math(EXPR parts "${parts} + 1")
  endwhile()
  foreach(part IN LISTS version)
    if(part GREATER 65535)
      message(FATAL_ERROR "zeb_add_package(${name}): VERSION parts are at most 65535")
    endif()
  endforeach()
  list(JOIN version ", " version)

  if(NOT arg_UNITS)
    set(arg_UNITS ${name})
    foreach(source IN LISTS arg_SOURCES)
      if(source MATCHES "\\.(c|cc|cpp|cxx)$")
        get_filename_component(unit "${source}" NAME_WE)
        list(APPEND arg_UNITS ${unit})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES arg_UNITS)
  endif()
  list(LENGTH arg_REQUIRES required_count)
  list(LENGTH arg_UNITS unit_count)
  _zeb_cxx_string(name_literal "${name}")
  _zeb_cxx_string(description_literal "${arg_DESCRIPTION}")
  _zeb_cxx_strings(required_list ${arg_REQUIRES})
  _zeb_cxx_strings(unit_list ${arg_UNITS})

  set(identity "${CMAKE_CURRENT_BINARY_DIR}/${name}_identity.cpp")
  file(CONFIGURE OUTPUT "${identity}" @ONLY CONTENT [[
// The identity of the package @name@, made by zeb_add_package.
#include "api/Export.h"
#include "api/PackageInfo.h"

namespace {
constexpr const char* kRequired[] = @required_list@;
constexpr const char* kUnits[] = @unit_list@;
constexpr ZebPackageInfo kInfo = {
    sizeof(ZebPackageInfo),
    @name_literal@,
    @description_literal@,
    true,  // design-only: loaded by the IDE
    kRequired,
    @required_count@,
    kUnits,
    @unit_count@,
    {{@version@}, {@version@}, 0x0000, 65001, nullptr, nullptr, 0},  // neutral, UTF-8
    kZebInterfaceVersion,  // of the SDK it is built with
};
}  // namespace

extern "C" ZEB_EXPORT const ZebPackageInfo* ZebGetPackageInfo() {
  return &kInfo;
}
]])

  add_library(${name} MODULE ${arg_SOURCES} "${identity}")
  target_link_libraries(${name} PRIVATE ZebIde::rtl)
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # GCC makes some inline statics unique (STB_GNU_UNIQUE) symbols, which pin a library in
  # memory: dlclose would leave the package's code behind.
  target_compile_options(${name} PRIVATE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-fno-gnu-unique> $<$<COMPILE_LANG_AND_ID:C,GNU>:-fno-gnu-unique>)
  target_link_options(${name} PRIVATE LINKER:--no-undefined)
endfunction()

function(zeb_add_script_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PACKAGE;SCRIPT;EXPECTED;TRACES" "FILES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zeb_add_script_test(${name}): unknown arguments "
      "${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required PACKAGE SCRIPT EXPECTED)
    if(NOT arg_${required})
      message(FATAL_ERROR "zeb_add_script_test(${name}): ${required} is required")
    endif()
  endforeach()
  set(files "")
  foreach(item IN ITEMS SCRIPT EXPECTED TRACES)
    if(arg_${item})
      get_filename_component(arg_${item} "${arg_${item}}" ABSOLUTE)
    endif()
  endforeach()
  foreach(file IN LISTS arg_FILES)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND files "${file}")
  endforeach()
  set(traces "")
  if(arg_TRACES)
    set(traces --viewer $<TARGET_FILE:ZebIde::zeb-trace> --traces "${arg_TRACES}")
  endif()
  add_test(NAME ${name} COMMAND "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/zeb-script-test"
    --host $<TARGET_FILE:ZebIde::zeb-host> --package $<TARGET_FILE:${arg_PACKAGE}>
    --script "${arg_SCRIPT}" --expected "${arg_EXPECTED}" ${traces} -- ${files})
endfunction()
