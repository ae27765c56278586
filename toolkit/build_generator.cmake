# A build-time generator made of one source file that uses one library (FreeType, libpng).
# When cross-compiling it is built with the build machine's compiler and its pkg-config
# library, since it runs there. Sets <var> to what a custom command runs.
#   kestro_build_generator(<var> <name> <source> <pkg-config module> <find_package name>
#                          <imported target> [extra dependencies...])
function(kestro_build_generator var name source module package imported)
  if(CMAKE_CROSSCOMPILING)
    find_program(KESTRO_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    find_program(KESTRO_HOST_PKG_CONFIG NAMES pkg-config REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(program ${CMAKE_CURRENT_BINARY_DIR}/${name}${CMAKE_HOST_EXECUTABLE_SUFFIX})
    add_custom_command(
      OUTPUT ${program}
      COMMAND sh -c "${KESTRO_HOST_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR} ${source} -o ${program} $(${KESTRO_HOST_PKG_CONFIG} --cflags --libs ${module})"
      DEPENDS ${source} ${ARGN}
      COMMENT "Building ${name} for the build machine"
      VERBATIM)
    set(${var} ${program} PARENT_SCOPE)
  else()
    find_package(${package} REQUIRED)
    add_executable(${name} ${source})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${imported})
    kestro_warnings(${name})
    set(${var} ${name} PARENT_SCOPE)
  endif()
endfunction()
