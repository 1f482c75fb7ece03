#pragma once
// What the system's error numbers mean, in the interface language. The system's own texts
// follow the locale of the process, not the program's language: a Russian program on a
// system set to English (or without the Russian locale installed) would name the cause of a
// failed save in English, and an English program on a Russian system in Russian. So the
// Russian texts are the program's own, one for every error number the system defines (a file
// on a network or removable disk can fail with nearly any of them), and the English ones are
// the system's English descriptions, whatever the locale.

#include <string>

#include "common/err_diag.hpp"

namespace q41::files {

// The cause an error number names, as UTF-8 text; a number the system does not define is
// named as an unknown error with its number.
std::string ErrorText(int error, Language language);

}  // namespace q41::files
