# The program's own code: every .cpp of app/, capture/, media/, dialogs/ and resources/ goes into
# the library orbivane_program (which the tests link); app/Main.cpp alone makes the executable.

set(_program_dirs app capture media dialogs resources)
set(_program_sources "")
foreach(dir ${_program_dirs})
  file(GLOB _found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND _program_sources ${_found})
endforeach()
list(FILTER _program_sources EXCLUDE REGEX "/app/Main\\.cpp$")

# Every platform area that exists so far.
set(ORBIVANE_PLATFORM_LIBS "")
foreach(area base registry user gdi present com dshow mm wmenc shell owl sim)
  if(TARGET platform_${area})
    list(APPEND ORBIVANE_PLATFORM_LIBS platform_${area})
  endif()
endforeach()

if(_program_sources)
  add_library(orbivane_program STATIC ${_program_sources})
  target_include_directories(orbivane_program PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(orbivane_program PUBLIC ${ORBIVANE_PLATFORM_LIBS})
  if(EXISTS ${CMAKE_SOURCE_DIR}/resources/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/resources)
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/app/Main.cpp)
    add_executable(orbivane ${CMAKE_SOURCE_DIR}/app/Main.cpp)
    set_target_properties(orbivane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
    target_link_libraries(orbivane PRIVATE orbivane_program)
  endif()
endif()
