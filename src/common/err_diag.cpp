#include "common/err_diag.hpp"

#include <array>
#include <cstdlib>

#include "common/cp1251.hpp"

namespace q41 {
namespace {

// Written here in UTF-8 for readability; converted once to the system's code page.
constexpr std::array<std::array<std::string_view, MessageCount>, 2> MessageSource = {{
    {
        "Недопустимый символ в числе",
        "Недопустимый символ в идентификаторе",
        "Слишком большая константа",
        "Повторное имя метки",
        "Метка не найдена в списке",
        "Не найдена \",\"",
        "Недопустимый порт",
        "Константа здесь запрещена",
        "Неизвестное имя операции",
        "Лишний операнд",
        "Пропущен операнд",
        "Байтовая адресация здесь запрещена",
        "Слишком большое смещение",
        "Недопустимое значение",
        "Смешение byte and word",
        "Идентификатор начинается с цифры или \"-\"",
        "Успешная компиляция",
        "Неправильный тип памяти: ",
        "Нет значения после \"#\"",
        "Не найдено \"=\"",
    },
    {
        "Incorrect symbol in number",
        "Incorrect symbol in identifier",
        "Too large const",
        "Duplicate label name",
        "Label not found in the list",
        "\",\" not found",
        "Incorrect port",
        "Const is forbidden here",
        "Unknown operation name",
        "Extra operand",
        "Missed operand",
        "Byte addressing is forbidden here",
        "Too long displacement",
        "Invalid value",
        "Mixing byte and word",
        "Identifier begins from figure or \"-\"",
        "Successful compilation",
        "Invalid memory type: ",
        "No value after \"#\"",
        "\"=\" not found",
    },
}};

using Table = std::array<std::array<std::string, MessageCount>, 2>;

const Table& Messages() {
  static const Table table = [] {
    Table t;
    for (std::size_t row = 0; row < 2; ++row) {
      for (std::size_t n = 0; n < MessageCount; ++n)
        t[row][n] = Utf8ToCp1251(MessageSource[row][n]);
    }
    return t;
  }();
  return table;
}

}  // namespace

const std::string& Message(Language language, int n) {
  const auto row = language == Language::English ? 1 : 0;
  const auto index = (n >= 0 && n < MessageCount) ? n : 0;
  return Messages()[row][index];
}

std::string Compose(Language language, int n) {
  return Message(language, n);
}

std::string Compose(Language language, int n, std::string_view text) {
  std::string out = Message(language, n);
  out += ": ";
  out += text;
  return out;
}

std::string ComposePair(Language language, int n, std::string_view first, std::string_view second) {
  std::string out = Compose(language, n, first);
  out += "<=>";
  out += second;
  return out;
}

Language LanguageOfEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).substr(0, 2) == "ru" ? Language::Russian : Language::English;
  }
  return Language::English;
}

}  // namespace q41
