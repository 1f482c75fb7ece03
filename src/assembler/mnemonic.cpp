#include "assembler/mnemonic.hpp"

namespace q41 {
namespace {

// Character 3 of a group E template is the operation.
constexpr bool OperationIn(std::string_view templ, std::string_view operations) {
  return operations.find(templ[2]) != std::string_view::npos;
}

// The one place that reads the group from a template. A jump or a branch with condition 0
// (RET, BRET), and operations 0, 8 and 9 of group E (PAGE0, PUSHPS, POPPS), take no operand.
constexpr MnemonicEntry Describe(std::string_view name, std::string_view templ) {
  MnemonicEntry m{name, templ};
  switch (templ[1]) {
    case '0':
      m.form = OperandForm::None;
      break;
    case 'F':
      m.form = OperandForm::None;
      m.halts = true;
      break;
    case 'W':
      m.form = OperandForm::Value;
      break;
    case 'A':
      m.form = OperandForm::PortDestination;
      break;
    case 'B':
      m.form = OperandForm::SourcePort;
      break;
    case 'C':
      m.form = templ[0] == '0' ? OperandForm::None : OperandForm::Jump;
      break;
    case 'D':
      m.form = templ[0] == '0' ? OperandForm::None : OperandForm::Branch;
      break;
    case 'E':
      m.form = OperationIn(templ, "089") ? OperandForm::None : OperandForm::One;
      m.takesConstant = OperationIn(templ, "2456");
      m.takesByte = OperationIn(templ, "1ABC");
      break;
    default:
      m.form = OperandForm::SourceDestination;
      m.movesByteIntoWord = templ[1] == '1';
      break;
  }
  return m;
}

}  // namespace

// Sized by the rows written, so that a row more or less than MnemonicCount fails to build.
constexpr std::array<MnemonicEntry, MnemonicCount> Mnemonics = std::to_array<MnemonicEntry>({
    Describe("NOP", "0000"),   Describe("MOV", "0100"),   Describe("ADD", "0200"),
    Describe("SUB", "0300"),   Describe("CMP", "0400"),   Describe("MUL", "0500"),
    Describe("DIV", "0600"),   Describe("AND", "0700"),   Describe("OR", "0800"),
    Describe("XOR", "0900"),   Describe("IN", "0A00"),    Describe("OUT", "0B00"),
    Describe("HLT", "AF18"),   Describe("RET", "0C00"),   Describe("JMP", "1C00"),
    Describe("JGE", "2C00"),   Describe("JL", "3C00"),    Describe("JNE", "4C00"),
    Describe("JE", "5C00"),    Describe("JLE", "6C00"),   Describe("JG", "7C00"),
    Describe("CALL", "9C00"),  Describe("BRET", "0D00"),  Describe("BR", "1D00"),
    Describe("BGE", "2D00"),   Describe("BL", "3D00"),    Describe("BNE", "4D00"),
    Describe("BE", "5D00"),    Describe("BLE", "6D00"),   Describe("BG", "7D00"),
    Describe("BCALL", "9D00"), Describe("PAGE0", "0E00"), Describe("MYPAGE", "0E01"),
    Describe("DW", "0W"),      Describe("NOT", "0E10"),   Describe("PUSH", "0E20"),
    Describe("POP", "0E30"),   Describe("ADDSP", "0E40"), Describe("SUBSP", "0E50"),
    Describe("TOSP", "0E60"),  Describe("FRMSP", "0E70"), Describe("PUSHPS", "0E80"),
    Describe("POPPS", "0E90"), Describe("SL", "0EA0"),    Describe("SR", "0EB0"),
    Describe("ASR", "0EC0"),
});

constexpr std::array<RegisterEntry, 8> RegisterCodes = {{
    {"R0", '0'},
    {"R1", '1'},
    {"R2", '2'},
    {"R3", '3'},
    {"(R0)", '4'},
    {"(R1)", '5'},
    {"(R2)", '6'},
    {"(R3)", '7'},
}};

namespace {

// Names are a few letters: a name of up to eight bytes, packed into one number, finds its
// entry in a small open-addressed table at the first or second probe, where a walk through
// the tables would compare with every entry before it. Longer names are no entry's.
constexpr std::size_t MaxPacked = 8;

constexpr std::uint64_t Packed(std::string_view name) {
  std::uint64_t key = 0;
  for (std::size_t k = 0; k < name.size(); ++k) {
    key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[k])) << (8 * k);
  }
  return key;
}

// Slots: a power of two, at least twice the entries, so that probes stay short.
template <std::size_t Slots>
class NameIndex {
 public:
  static constexpr std::uint8_t Empty = 0xFF;

  template <typename Entries>
  constexpr explicit NameIndex(const Entries& entries) {
    for (std::size_t e = 0; e < entries.size(); ++e) {
      const std::string_view name = entries[e].name;
      std::size_t slot = Home(Packed(name));
      while (slots_[slot].entry != Empty) slot = (slot + 1) % Slots;
      slots_[slot] = {Packed(name), static_cast<std::uint8_t>(name.size()),
                      static_cast<std::uint8_t>(e)};
    }
  }

  // The entry named `name`, or Empty. A key's bytes past the name are zero, so the length
  // tells a name from one with zero bytes after it.
  std::uint8_t Find(std::string_view name) const {
    if (name.empty() || name.size() > MaxPacked) return Empty;
    const std::uint64_t key = Packed(name);
    for (std::size_t slot = Home(key);; slot = (slot + 1) % Slots) {
      const Slot& s = slots_[slot];
      if (s.entry == Empty || (s.key == key && s.size == name.size())) return s.entry;
    }
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint8_t size = 0;
    std::uint8_t entry = Empty;
  };
  static constexpr std::size_t Home(std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 40) % Slots;
  }
  std::array<Slot, Slots> slots_{};
};

constexpr NameIndex<128> MnemonicIndex(Mnemonics);
constexpr NameIndex<16> RegisterIndex(RegisterCodes);

}  // namespace

const MnemonicEntry* LookupMnemonic(std::string_view name) {
  const std::uint8_t entry = MnemonicIndex.Find(name);
  return entry == MnemonicIndex.Empty ? nullptr : &Mnemonics[entry];
}

std::optional<char> LookupRegister(std::string_view operand) {
  const std::uint8_t entry = RegisterIndex.Find(operand);
  if (entry == RegisterIndex.Empty) return std::nullopt;
  return RegisterCodes[entry].code;
}

}  // namespace q41
