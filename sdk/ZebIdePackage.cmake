# zeb_add_package(NAME SOURCES file... [DESCRIPTION text] [REQUIRES package...] [UNITS unit...]
#                 [VERSION major[.minor[.release[.build]]]])
#
# Builds the add-in package NAME, the file NAME.so, as the IDE loads it: a loadable module that
# exports only what its sources mark ZEB_EXPORT (Register, and Initialize and Finalize when it
# has them), resolves every symbol at link time, holds no symbol that would keep it loaded after
# the IDE unloads it, links the runtime library, and carries no RUNPATH (the IDE that loads it
# has loaded the runtime library already; a path into the build machine would mean nothing on
# another). Its identity (the ZebGetPackageInfo entry point the IDE reads) is generated from the
# arguments: the name NAME, the DESCRIPTION, the packages it REQUIRES (file names such as
# rtl100.bpl; the IDE refuses a package that requires one it does not provide), the UNITS it
# contains (NAME and the base names of its source files unless given) and the VERSION (1.0.0.0
# unless given), with the interface version of this SDK and the tag of the C++ ABI and standard
# library the package is compiled with (api/StdlibTag.h): the IDE refuses a package whose tag is
# not its own, since the two share std::string and exceptions.
#
# zeb_add_script_test(NAME PACKAGE target SCRIPT file EXPECTED file [TRACES file]
#                     [FILES file...] [HOST_ENVIRONMENT VAR=value...] [LENIENT])
#
# Adds the test NAME: zeb-host runs SCRIPT with only the package `target` loaded, in a fresh
# folder holding copies of the FILES; what it prints must equal EXPECTED (the run's folder shows
# as <DIR>), and it must exit with status 0 and print nothing on standard error. It runs with
# --strict unless LENIENT is given: a fault, a key another package holds or references kept at
# unload fail the test. With TRACES, a trace viewer of the test's own runs meanwhile, and the
# texts of the trace messages it receives (one a line, without time and sender) must equal that
# file. HOST_ENVIRONMENT (by default the list in ZEB_SCRIPT_TEST_HOST_ENVIRONMENT) is set for
# zeb-host alone, not for the test's own tools: a package built with -fsanitize=address runs in
# the installed zeb-host with "LD_PRELOAD=<libasan.so>;ASAN_OPTIONS=detect_leaks=0". A zeb-host
# that dies of a signal ends the test at once, naming the signal.

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
    kZebStdlibTag,         // of this build's compiler and flags
};
}  // namespace

extern "C" ZEB_EXPORT const ZebPackageInfo* ZebGetPackageInfo() {
  return &kInfo;
}
]])

  add_library(${name} MODULE ${arg_SOURCES} "${identity}")
  target_link_libraries(${name} PRIVATE ZebIde::rtl)
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    SKIP_BUILD_RPATH ON INSTALL_RPATH "")
  # GCC makes some inline statics unique (STB_GNU_UNIQUE) symbols, which pin a library in
  # memory: dlclose would leave the package's code behind.
  target_compile_options(${name} PRIVATE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-fno-gnu-unique> $<$<COMPILE_LANG_AND_ID:C,GNU>:-fno-gnu-unique>)
  target_link_options(${name} PRIVATE LINKER:--no-undefined)
endfunction()

function(zeb_add_script_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "LENIENT" "PACKAGE;SCRIPT;EXPECTED;TRACES"
    "FILES;HOST_ENVIRONMENT")
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
  if(NOT DEFINED arg_HOST_ENVIRONMENT)
    set(arg_HOST_ENVIRONMENT ${ZEB_SCRIPT_TEST_HOST_ENVIRONMENT})
  endif()
  set(host_environment "")
  foreach(assignment IN LISTS arg_HOST_ENVIRONMENT)
    if(NOT assignment MATCHES "^[A-Za-z_][A-Za-z0-9_]*=")
      message(FATAL_ERROR "zeb_add_script_test(${name}): HOST_ENVIRONMENT \"${assignment}\" is "
        "not of the form VAR=value")
    endif()
    list(APPEND host_environment --host-env "${assignment}")
  endforeach()
  set(strict --strict)
  if(arg_LENIENT)
    set(strict "")
  endif()
  add_test(NAME ${name} COMMAND "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/zeb-script-test"
    --host $<TARGET_FILE:ZebIde::zeb-host> --package $<TARGET_FILE:${arg_PACKAGE}>
    --script "${arg_SCRIPT}" --expected "${arg_EXPECTED}" ${strict} ${host_environment}
    ${traces} -- ${files})
endfunction()
