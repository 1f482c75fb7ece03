#include "generate.hpp"

namespace q41::bench {
namespace {

// Six code words per variant; the variants between them use every operand form.
const char* const Variants[4][5] = {
    {"        mov r1%, r2%        ; bytes", "        add #C{}, (r3)      ; constant by name",
     "        bne L{}", "M{}:    ds ab", "        rw 1"},
    {"        mov #5, r0          ; short constant", "        out #'A', p.3", "        in p.2, r1",
     "        jmp #L{}", "        ; no code here"},
    {"        push #-1", "        not (r2)%", "        sub L{}, r0         ; memory at a label",
     "        hlt", "        ; no code here"},
    {"        cmp @P{}, r3", "        call #L{}", "        dw 1234H", "        mov #-3, r1",
     "        ; no code here"},
};

std::string Fill(const char* pattern, int k) {
  std::string out;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '{' && p[1] == '}') {
      out += std::to_string(k);
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

Lines GenerateQ41Block(int lines) {
  Lines out;
  out.reserve(static_cast<std::size_t>(lines));
  for (int k = 0; k < lines / LinesPerGroup; ++k) {
    const auto& v = Variants[k % 4];
    const std::string n = std::to_string(k);
    out.push_back("; group " + n + ": what the next lines do, in a few words");
    out.push_back("L" + n + ":                       ; where the group starts");
    out.push_back("C" + n + " = " + std::to_string(k % 1000));
    out.push_back("");
    out.push_back(Fill(v[0], k));
    out.push_back("; ----------------------------------------------");
    out.push_back("H" + n + " = 0" + std::to_string(k % 10) + "ABH   ; hexadecimal");
    out.push_back(Fill(v[1], k));
    out.push_back(Fill(v[2], k));
    out.push_back("        ; an indented comment");
    out.push_back("");
    out.push_back("@P" + n + " = " + std::to_string(k % 30000));
    out.push_back(Fill(v[3], k));
    out.push_back(Fill(v[4], k));
    out.push_back("; a closing comment for the group");
    out.push_back("T" + n + ":");
    out.push_back("");
    out.push_back("N" + n + "=-" + std::to_string(k % 100) + " ; negative");
    out.push_back("");
    out.push_back("        ;");
  }
  return out;
}

std::string GenerateGasText(int lines) {
  std::string out;
  for (int k = 0; k < lines / LinesPerGroup; ++k) {
    const std::string n = std::to_string(k);
    out += "# group " + n + ": what the next lines do, in a few words\n";
    out += "L" + n + ":                       # where the group starts\n";
    out += ".set C" + n + ", " + std::to_string(k % 1000) + "\n";
    out += "\n";
    out += "        addl $C" + n + ", (%rdx)    # constant by name\n";
    out += "# ----------------------------------------------\n";
    out += ".set H" + n + ", 0x" + std::to_string(k % 10) + "AB\n";
    out += "        jne L" + n + "\n";
    out += "M" + n + ":    .ascii \"ab\"\n";
    out += "        # an indented comment\n";
    out += "\n";
    out += ".set P" + n + ", " + std::to_string(k % 30000) + "\n";
    out += "        cmpl P" + n + ", %ebx\n";
    out += "        .skip 2\n";
    out += "# a closing comment for the group\n";
    out += "T" + n + ":\n";
    out += "\n";
    out += ".set N" + n + ", -" + std::to_string(k % 100) + "\n";
    out += "\n";
    out += "        #\n";
  }
  return out;
}

namespace {

// Joined by appending: g++ 12 at -O3 takes some chains of "text" + string for overlapping
// copies and fails the build with a false -Wrestrict.
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out.append(part);
  return out;
}

}  // namespace

Lines GenerateCommentedQ41Block(int lines) {
  Lines out;
  const int groups = lines / LinesPerCommentedGroup;
  out.reserve(static_cast<std::size_t>(lines));
  for (int k = 0; k < groups; ++k) {
    const std::string n = std::to_string(k);
    out.push_back(Cat({"F", n, ":                 ; the group starts here"}));
    out.push_back("        ; what the group is for, in a few words");
    out.push_back(Cat({"K", n, " = ", std::to_string(k % 1000), "          ; a constant"}));
    out.push_back("        ; the branch goes to the next group");
    out.push_back(Cat({"        bne F", std::to_string(k + 1), "          ; forward"}));
    out.push_back("        ; and one more instruction");
    out.push_back("        mov r1, r2          ; copy");
    // The last group's branch has somewhere to go.
    out.push_back(k + 1 < groups ? Cat({"        ; end of group ", n})
                                 : Cat({"F", std::to_string(groups), ":"}));
  }
  return out;
}

std::string GenerateCommentedGasText(int lines) {
  std::string out;
  const int groups = lines / LinesPerCommentedGroup;
  for (int k = 0; k < groups; ++k) {
    const std::string n = std::to_string(k);
    out += Cat({"F", n, ":                 # the group starts here\n"});
    out += "        # what the group is for, in a few words\n";
    out += Cat({".set K", n, ", ", std::to_string(k % 1000), "          # a constant\n"});
    out += "        # the branch goes to the next group\n";
    out += Cat({"        jne F", std::to_string(k + 1), "          # forward\n"});
    out += "        # and one more instruction\n";
    out += "        movl %ecx, %edx          # copy\n";
    out += k + 1 < groups ? Cat({"        # end of group ", n, "\n"})
                          : Cat({"F", std::to_string(groups), ":\n"});
  }
  return out;
}

}  // namespace q41::bench
