#pragma once
// Printing the current block, on paper or into a PDF file: its source with line numbers, or
// its listing from the last compile, as the user chooses. Every page has a header (the program
// file's name, the block, the date) and a footer (the page's number and how many there are).
// A line too long for the page goes on in the rows below it, indented, so nothing is cut off.

namespace q41::ui {

class Application;

enum class PrintTarget { Printer, Pdf };

// The command: asks what to print, then the printer or the file, then prints. Nothing happens
// when the user cancels a question; a file that cannot be written, or a printer that cannot
// be started, is told in an error box.
void PrintCurrentBlock(Application& program, PrintTarget target);

}  // namespace q41::ui
