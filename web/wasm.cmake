# The WebAssembly outputs, all into the site's folder (Q41_WEB_OUT):
#  - q41.mjs and q41.wasm, the page's module: the language server and the program core,
#    loaded by the page's worker;
#  - q41asm.mjs, the command-line tool for node: it starts q41asm.cjs, which holds the
#    tool's code inside the one file and reads and writes the host's files directly (the
#    way it does so is CommonJS, hence two files).
set(Q41_WEB_OUT ${PROJECT_SOURCE_DIR}/build-web CACHE PATH "Where make web puts the site")

set_target_properties(q41asm PROPERTIES SUFFIX ".cjs" RUNTIME_OUTPUT_DIRECTORY ${Q41_WEB_OUT})
target_link_options(q41asm PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sSINGLE_FILE=1
  --pre-js ${PROJECT_SOURCE_DIR}/web/node_env.js)
set_property(TARGET q41asm APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/node_env.js)
configure_file(web/q41asm.mjs ${Q41_WEB_OUT}/q41asm.mjs COPYONLY)

add_executable(q41web tools/web/web_core.cpp tools/web/core_requests.cpp)
target_link_libraries(q41web PRIVATE q41_lsp q41_blocks)
target_include_directories(q41web PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(q41web PROPERTIES OUTPUT_NAME q41 SUFFIX ".mjs"
  RUNTIME_OUTPUT_DIRECTORY ${Q41_WEB_OUT})
# The language server answers a malformed message with the protocol's error, which it
# learns of by an exception: the server's code and the module catch them (the core's own
# code throws none and is built without).
target_compile_options(q41_lsp PRIVATE -fexceptions)
target_compile_options(q41web PRIVATE -fexceptions)
target_link_options(q41web PRIVATE -fexceptions -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=createQ41
  -sENVIRONMENT=web,worker -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB
  -sEXPORTED_FUNCTIONS=_q41_start,_q41_lsp,_q41_core -sEXPORTED_RUNTIME_METHODS=ccall,cwrap
  -sFILESYSTEM=0 -sINVOKE_RUN=0)
q41_setup(q41web)
set_target_properties(q41-lsp PROPERTIES EXCLUDE_FROM_ALL ON)
