// The causes of failed file operations in the interface language.

#include "files/error_text.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace q41::files {
namespace {

bool HasCyrillic(const std::string& text) {
  // Cyrillic letters begin with 0xD0 or 0xD1 in UTF-8.
  for (const char c : text) {
    if (static_cast<unsigned char>(c) == 0xD0 || static_cast<unsigned char>(c) == 0xD1) {
      return true;
    }
  }
  return false;
}

// Every number the system describes (a file on a network or removable disk can fail with
// nearly any of them) has a Russian text of the program's own, and no two share one.
TEST(ErrorText, EveryNumberTheSystemDescribesHasItsOwnRussianText) {
  std::set<std::string> seen;
  int described = 0;
  for (int error = 1; error < 1024; ++error) {
    const char* english = strerrordesc_np(error);
    if (english == nullptr) continue;
    ++described;
    const std::string russian = ErrorText(error, Language::Russian);
    EXPECT_TRUE(HasCyrillic(russian)) << error << " " << english;
    EXPECT_EQ(russian.find("Неизвестная"), std::string::npos) << error << " " << english;
    EXPECT_TRUE(seen.insert(russian).second) << error << " " << russian;
  }
  EXPECT_GE(described, 131);
  // One the system does not know is named by its number.
  EXPECT_EQ(ErrorText(4242, Language::Russian), "Неизвестная ошибка системы 4242");
  EXPECT_EQ(ErrorText(4242, Language::English), "Unknown error 4242");
}

}  // namespace
}  // namespace q41::files
