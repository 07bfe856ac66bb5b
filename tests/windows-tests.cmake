# The core's tests and the Win32 host's, cross-built and run under Wine.
add_executable(daynote_tests ${core_tests} win32_host_test.cpp)
target_link_libraries(daynote_tests PRIVATE daynote GTest::gtest_main)
add_test(NAME daynote_tests COMMAND daynote_tests)

add_executable(recorder recorder.c)
add_test(NAME quorvin_under_wine
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_program_test.sh $<TARGET_FILE:Quorvin>
                 $<TARGET_FILE:recorder> ${PROJECT_SOURCE_DIR}/artifacts)
