# Helpers shared by every folder's CMakeLists.txt.

# The platform areas, lower areas first (each builds only on areas before it). The platform's
# folders, the program's link and the platform tests all follow this one list; an area whose
# folder is not there yet is skipped.
set(ORBIVANE_PLATFORM_AREAS base registry gdi user comdlg com shell present dshow mm wmenc owl sim testing)

# orbivane_platform_area(NAME SOURCES... [DEPENDS area...] [LIBS lib...])
# One static library per platform area, named platform_<NAME>, with its headers in include/.
function(orbivane_platform_area name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS;LIBS" ${ARGN})
  add_library(platform_${name} STATIC ${A_SOURCES})
  target_include_directories(platform_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                              PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  foreach(dep ${A_DEPENDS})
    target_link_libraries(platform_${name} PUBLIC platform_${dep})
  endforeach()
  target_link_libraries(platform_${name} PUBLIC ${A_LIBS} Threads::Threads)
endfunction()

# orbivane_test(NAME [SERIAL] SOURCES... LIBS lib...)
# A GoogleTest executable; every test runs with a fresh platform home and headless. SERIAL tests
# (real input on a display) run one at a time, with nothing else competing for the machine.
function(orbivane_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} orbivane_test_main GTest::gtest GTest::gmock)
  if(T_SERIAL)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
