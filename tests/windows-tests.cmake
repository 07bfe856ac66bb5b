# The core's tests and the Win32 host's, cross-built and run under Wine.
add_executable(daynote_tests ${core_tests} win32_host_test.cpp)
target_link_libraries(daynote_tests PRIVATE daynote GTest::gtest_main)
add_test(NAME daynote_tests COMMAND daynote_tests)
# The same on a FAT disk through FUSE, which has no links (notes are saved by renaming) and removes at once.
add_test(NAME daynote_tests_on_fat COMMAND sh -c [[d=$(mktemp -d) && truncate -s 8M $d/i && mkfs.vfat $d/i &&
  mkdir $d/m && fusefat -o rw+,hard_remove $d/i $d/m || exit 77; QUORVIN_FAT_FOLDER=$(winepath -w $d/m)\\ wine "$0" \
  --gtest_filter='Win32HostFolder.*-*Finds*'; s=$?; fusermount -uz $d/m; rm -r $d; exit $s]]
  $<TARGET_FILE:daynote_tests>)
set_tests_properties(daynote_tests_on_fat PROPERTIES SKIP_RETURN_CODE 77)

add_executable(recorder recorder.c)
target_link_libraries(recorder PRIVATE shell32)
add_executable(window_tool window_tool.c)
add_library(planted_dll SHARED planted_dll.c)
set_target_properties(planted_dll PROPERTIES PREFIX "" OUTPUT_NAME planted)
add_test(NAME quorvin_under_wine
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_program_test.sh $<TARGET_FILE:Quorvin>
                 $<TARGET_FILE:recorder> $<TARGET_FILE:window_tool> ${PROJECT_SOURCE_DIR}/artifacts
                 $<TARGET_FILE:planted_dll>)

add_executable(resources_test resources_test.cpp)
target_link_libraries(resources_test PRIVATE GTest::gtest version)
add_test(NAME resources_test COMMAND resources_test $<TARGET_FILE:Quorvin>)

# The framework with real windows, on the program's own resources.
add_executable(framework_test framework_test.cpp ${PROJECT_SOURCE_DIR}/app/AboutBox.cpp
                              ${PROJECT_SOURCE_DIR}/res/quorvin.rc)
target_link_libraries(framework_test PRIVATE afx GTest::gtest_main)
add_test(NAME framework_test COMMAND framework_test)

# Built by the test command (target "package") before the tests run.
add_test(NAME windows_zip COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/zip_test.sh
         ${PROJECT_BINARY_DIR}/quorvin-${PROJECT_VERSION}-win32.zip $<TARGET_FILE:recorder> $<TARGET_FILE:window_tool>)
