# Build-time generators (tables, glyph atlases, embedded images) must run on the build
# machine. In a native build they are ordinary targets; in a cross build (the Windows DLLs)
# they are compiled with the build machine's own compiler and libraries instead.
#
#   kestro_host_executable(<out-var> NAME <name> SOURCES <files...>
#                          [DEPENDS <headers...>] [PKG_CONFIG <modules...>])
#
# <out-var> receives what to put into add_custom_command's COMMAND and DEPENDS (used from
# the same directory). PKG_CONFIG names build-machine libraries found through pkg-config.

function(kestro_host_executable out_var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "NAME" "SOURCES;DEPENDS;PKG_CONFIG")
  if(NOT CMAKE_CROSSCOMPILING)
    add_executable(${arg_NAME} ${arg_SOURCES})
    target_include_directories(${arg_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
    kestro_warnings(${arg_NAME})
    if(arg_PKG_CONFIG)
      find_package(PkgConfig REQUIRED)
      pkg_check_modules(${arg_NAME}_deps REQUIRED IMPORTED_TARGET ${arg_PKG_CONFIG})
      target_link_libraries(${arg_NAME} PRIVATE PkgConfig::${arg_NAME}_deps)
    endif()
    set(${out_var} ${arg_NAME} PARENT_SCOPE)
    return()
  endif()

  find_program(KESTRO_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  set(flags)
  if(arg_PKG_CONFIG)
    find_program(KESTRO_HOST_PKG_CONFIG pkg-config REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    # The build machine's own .pc files, whatever a cross environment points at.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env --unset=PKG_CONFIG_LIBDIR --unset=PKG_CONFIG_SYSROOT_DIR
              ${KESTRO_HOST_PKG_CONFIG} --cflags --libs ${arg_PKG_CONFIG}
      OUTPUT_VARIABLE pkg_flags OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE pkg_result)
    if(NOT pkg_result EQUAL 0)
      message(FATAL_ERROR "${arg_NAME}: the build machine lacks ${arg_PKG_CONFIG}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${pkg_flags}")
  endif()
  set(sources)
  foreach(source ${arg_SOURCES})
    get_filename_component(source ${source} ABSOLUTE)
    list(APPEND sources ${source})
  endforeach()
  set(program ${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}${CMAKE_HOST_EXECUTABLE_SUFFIX})
  add_custom_command(
    OUTPUT ${program}
    COMMAND ${KESTRO_HOST_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} ${sources} -o ${program} ${flags}
    DEPENDS ${sources} ${arg_DEPENDS}
    COMMENT "Building ${arg_NAME} for the build machine"
    VERBATIM)
  set(${out_var} ${program} PARENT_SCOPE)
endfunction()
