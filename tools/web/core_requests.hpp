#pragma once
// The page's requests to the program core, JSON in and JSON out: read and write the program
// and code files, compile a block or all of them, a block's listing, the reference and the
// interface texts. The page keeps the program as JSON (texts in UTF-8) and passes it whole
// with each request; every answer is worked out here, by the same core as the windows'.

#include <string>

#include "common/err_diag.hpp"

namespace q41::web {

// The answer to one request; `{"error": text}` for a request the core cannot read.
std::string HandleCoreRequest(const std::string& request, Language language);

}  // namespace q41::web
