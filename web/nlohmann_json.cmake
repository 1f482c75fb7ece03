# The JSON library's headers for the WebAssembly build, from the system's copy: a folder of
# the build holds only a link to them, since the whole system include folder would bring the
# host's C library headers in.
find_path(Q41_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
set(q41_json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${q41_json_include})
file(CREATE_LINK ${Q41_NLOHMANN_DIR}/nlohmann ${q41_json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${q41_json_include})
