#include "common/err_diag.hpp"

#include <array>
#include <cstdlib>

#include "common/cp1251.hpp"
#include "common/keyed_table.hpp"

namespace q41 {
namespace {

// Written here in UTF-8 for readability; converted once to the system's code page.
constexpr auto MessageSource = std::to_array<KeyedText<Msg>>({
    {MsgBadNumberSymbol, {"Недопустимый символ в числе", "Incorrect symbol in number"}},
    {MsgBadIdentifierSymbol,
     {"Недопустимый символ в идентификаторе", "Incorrect symbol in identifier"}},
    {MsgConstTooLarge, {"Слишком большая константа", "Too large const"}},
    {MsgDuplicateLabel, {"Повторное имя метки", "Duplicate label name"}},
    {MsgLabelNotFound, {"Метка не найдена в списке", "Label not found in the list"}},
    {MsgCommaNotFound, {"Не найдена \",\"", "\",\" not found"}},
    {MsgBadPort, {"Недопустимый порт", "Incorrect port"}},
    {MsgConstForbidden, {"Константа здесь запрещена", "Const is forbidden here"}},
    {MsgUnknownOperation, {"Неизвестное имя операции", "Unknown operation name"}},
    {MsgExtraOperand, {"Лишний операнд", "Extra operand"}},
    {MsgMissedOperand, {"Пропущен операнд", "Missed operand"}},
    {MsgByteForbidden, {"Байтовая адресация здесь запрещена", "Byte addressing is forbidden here"}},
    {MsgDisplacementTooLong, {"Слишком большое смещение", "Too long displacement"}},
    {MsgInvalidValue, {"Недопустимое значение", "Invalid value"}},
    {MsgMixingByteWord, {"Смешение byte and word", "Mixing byte and word"}},
    {MsgIdentifierStartsBadly,
     {"Идентификатор начинается с цифры или \"-\"", "Identifier begins from figure or \"-\""}},
    {MsgSuccess, {"Успешная компиляция", "Successful compilation"}},
    {MsgBadMemoryType, {"Неправильный тип памяти: ", "Invalid memory type: "}},
    {MsgNoValueAfterHash, {"Нет значения после \"#\"", "No value after \"#\""}},
    {MsgEqualsNotFound, {"Не найдено \"=\"", "\"=\" not found"}},
});
static_assert(KeyedInOrder<MessageCount>(MessageSource));

using Table = std::array<std::array<std::string, MessageCount>, 2>;

const Table& Messages() {
  static const Table table = [] {
    Table t;
    for (std::size_t row = 0; row < 2; ++row) {
      for (std::size_t n = 0; n < MessageCount; ++n)
        t[row][n] = Utf8ToCp1251(
            MessageSource[n].text.In(row == 0 ? Language::Russian : Language::English));
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
