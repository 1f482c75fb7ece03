// Writes the syntax definition of Q41 source for the KDE frameworks' editors, made from the
// instruction table, to the file given.
//   gen_ksyntax OUTPUT.xml

#include <fstream>
#include <iostream>

#include "ksyntax/definition.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: gen_ksyntax OUTPUT.xml\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << q41::ksyntax::SyntaxDefinition();
  out.close();
  if (!out) {
    std::cerr << "gen_ksyntax: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
