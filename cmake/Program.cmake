# The program's own code: one static library per folder, each folder's .cpp files found by glob,
# linked to the folders and platform areas it builds on. A folder sees the headers of those
# folders only (through a private include root holding a link to each), so a lower folder can
# neither include nor call a higher one. app/Main.cpp alone makes the executable.
#
#   resources, settings, media  <  capture  <  dialogs  <  app

set(ORBIVANE_PROGRAM_FOLDERS settings resources media capture dialogs app)

# orbivane_program_library(FOLDER [DEPENDS folder...] [PLATFORM area...])
# The library orbivane_<FOLDER>, whose headers are included as <FOLDER/Name.h>.
function(orbivane_program_library folder)
  cmake_parse_arguments(L "" "" "DEPENDS;PLATFORM" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/app/Main\\.cpp$")
  set(root ${CMAKE_BINARY_DIR}/program_include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  add_library(orbivane_${folder} STATIC ${sources})
  target_include_directories(orbivane_${folder} PUBLIC ${root})
  foreach(dep ${L_DEPENDS})
    target_link_libraries(orbivane_${folder} PUBLIC orbivane_${dep})
  endforeach()
  foreach(area ${L_PLATFORM})
    target_link_libraries(orbivane_${folder} PUBLIC platform_${area})
  endforeach()
endfunction()

orbivane_program_library(settings PLATFORM base registry)
orbivane_program_library(resources PLATFORM base gdi shell user)
# The version resource's texts, built into the program.
target_compile_definitions(orbivane_resources PRIVATE ORBIVANE_VERSION="${PROJECT_VERSION}")
orbivane_program_library(media PLATFORM base com dshow mm user wmenc)
orbivane_program_library(capture DEPENDS media PLATFORM base com dshow owl user)
orbivane_program_library(dialogs DEPENDS settings resources media capture PLATFORM base com comdlg dshow mm owl registry shell user wmenc)
orbivane_program_library(app DEPENDS settings resources media capture dialogs
  PLATFORM base com dshow mm owl present registry shell sim user wmenc)

add_executable(orbivane ${CMAKE_SOURCE_DIR}/app/Main.cpp)
set_target_properties(orbivane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
target_link_libraries(orbivane PRIVATE orbivane_app platform_owl_main)
