# The web preset's tree (build/wasm, and the page in build/web), built and tested from here.
set(QUILLON_WASM_DIR ${PROJECT_SOURCE_DIR}/build/wasm)
set(QUILLON_WEB_DIR ${PROJECT_SOURCE_DIR}/build/web)
