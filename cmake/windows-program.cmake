# Quorvin.exe: the GUI program, its framework layer and its resources.
enable_language(RC)
# Quoted: the checkout's path may hold blanks.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} \"-I${PROJECT_SOURCE_DIR}/res\"")

add_executable(Quorvin WIN32
  ${PROJECT_SOURCE_DIR}/app/AboutBox.cpp
  ${PROJECT_SOURCE_DIR}/app/DayNoteApp.cpp
  ${PROJECT_SOURCE_DIR}/app/DayNoteDlg.cpp
  ${PROJECT_SOURCE_DIR}/app/terminate.cpp
  ${PROJECT_SOURCE_DIR}/app/user32_imports.cpp
  ${PROJECT_SOURCE_DIR}/res/quorvin.rc)
target_link_libraries(Quorvin PRIVATE afx daynote)
# wWinMain: the C runtime splits the command line as UTF-16, so that any
# folder name arrives whole.
target_link_options(Quorvin PRIVATE -municode)
target_compile_definitions(Quorvin PRIVATE QUORVIN_VERSION="${PROJECT_VERSION}")
# Small over fast: a run is a few calls to Windows, and the program is one
# file people download.
foreach(target Quorvin afx daynote)
  target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
endforeach()
# No link time in the header: the same commit links to the same bytes.
target_link_options(Quorvin PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
# Terminal-server aware, as Windows linkers mark programs by default: no
# compatibility shims on a terminal server.
target_link_options(Quorvin PRIVATE -Wl,--tsaware)
set_source_files_properties(${PROJECT_SOURCE_DIR}/res/quorvin.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/res/quorvin.ico;${PROJECT_SOURCE_DIR}/res/quorvin.manifest;${PROJECT_SOURCE_DIR}/res/visual_styles.manifest;${PROJECT_SOURCE_DIR}/res/resource.h")
