# zettora_add_test(NAME name SOURCES ... LIBS ...)
# One Qt Test executable per source folder, run by CTest offscreen with its own HOME and XDG_RUNTIME_DIR,
# so that a test never touches the user's files.
function(zettora_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE zettora_options zettora_test_support Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${PROJECT_SOURCE_DIR}/cmake/run-test.sh $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTEST_DISABLE_STACK_DUMP=1;ZETTORA_SAMPLES=${PROJECT_SOURCE_DIR}/tests/data/legacy-samples"
        TIMEOUT 300)
endfunction()
