# The web preset's tree (build/wasm, and the page in build/web), built and tested from here.
set(QUILLON_WASM_DIR ${PROJECT_SOURCE_DIR}/build/wasm)
set(QUILLON_WEB_DIR ${PROJECT_SOURCE_DIR}/build/web)

# emscripten's compiler and node are not this build's: a test builds that tree, as `make web`
# does but with warnings as errors, once, before the tests that run what it made.
find_program(QUILLON_NODE node)
add_test(NAME web.build
    COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR} -D BINARY_DIR=${QUILLON_WASM_DIR}
        -D PRESET=web -D COMPILER=emcc -D PACKAGE=emscripten
        -P ${PROJECT_SOURCE_DIR}/tools/tests/BuildPreset.cmake)
# It builds at a lower priority beside the tests that time nothing, one build tree at a time,
# so that tests go on beside it.
set_tests_properties(web.build PROPERTIES FIXTURES_SETUP web_build TIMEOUT 900 LABELS web
    RESOURCE_LOCK test_build)

# The core's unit tests as the page's compiler built them: 32-bit, the in-memory file system.
foreach(suite editor melody tunes platform session)
    set(programs ${QUILLON_WASM_DIR}/composer/${suite}/tests/quillon_${suite}_tests.js)
    if(suite STREQUAL "melody")
        list(APPEND programs ${QUILLON_WASM_DIR}/composer/melody/tests/quillon_melody_streaming_test.js)
    endif()
    add_test(NAME ${suite}.web
        COMMAND bash ${PROJECT_SOURCE_DIR}/tools/tests/run-node-tests.sh "${QUILLON_NODE}" ${programs})
    set_tests_properties(${suite}.web PROPERTIES
        FIXTURES_REQUIRED web_build TIMEOUT 300 LABELS web)
endforeach()
# Alone, as natively: some hold the reader to linear time, and the streaming test measures memory.
set_tests_properties(melody.web PROPERTIES RUN_SERIAL TRUE)
