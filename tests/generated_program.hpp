#pragma once
// Program files of the kinds that reach the program: written by the windows, generated
// elsewhere, edited by hand; a few with faults, settings out of range and marker-like lines.

#include <initializer_list>
#include <random>
#include <string>

namespace q41::test {

inline std::string GenerateProgram(std::mt19937& rng) {
  auto chance = [&rng](int percent) {
    return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
  };
  auto any = [&rng](std::initializer_list<const char*> options) {
    const auto k = std::uniform_int_distribution<std::size_t>(0, options.size() - 1)(rng);
    return std::string(options.begin()[k]);
  };
  const std::string eol = chance(50) ? "\r\n" : "\n";
  std::string out;
  auto line = [&](const std::string& text) { out += text + eol; };
  const bool marked = chance(90);
  if (chance(80)) line(";memory=" + any({"COMM", "DIST", "DISTRIBUTED", "comm", ""}));
  if (marked) {
    if (chance(60)) line(any({"a header", ";note", "", "BLOCK 0 in a header"}));
    if (chance(60)) {
      line("GLOBAL");
      line(any({"X=1", "X=10h", ";g"}));
    }
    if (chance(80)) line("");
  }
  const int blocks = marked ? std::uniform_int_distribution<int>(1, 6)(rng) : 1;
  for (int n = 0; n < blocks; ++n) {
    if (marked) line(";BLOCK " + std::to_string(n) + (chance(20) ? " see notes" : ""));
    if (chance(50)) line(any({";CPU", ";PPU=0031", ";PPU=1", ";PPU=x2z", ";PPU=", ";PPU=43210"}));
    for (const char* setting : {";CPUaddr=", ";PPUaddr="}) {
      if (chance(60)) line(setting + any({"", "1", "12", "AbC", "0100", "12345", "FFFF"}));
    }
    if (chance(70)) line("");
    const int body = std::uniform_int_distribution<int>(0, 8)(rng);
    for (int k = 0; k < body; ++k) {
      line(any({"nop", "mov #1, r0", "add r1, r2", "; comment", "", "y: dw 5", "jmp y", "hlt",
                ";BLOCKED for now", ";BLOCK 9", "msg: ds ab"}));
    }
    if (chance(10)) line(any({"bad op", "jmp nowhere", "mov #1"}));
    if (chance(90)) line("hlt");
  }
  return out;
}

}  // namespace q41::test
