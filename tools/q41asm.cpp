// q41asm: the headless assembler, for scripts and for testing the translator end to end.
//
//   q41asm [--lang ru|en] [--no-short-const] [--preprocess | --labels | --listing] INPUT
//          [-o OUT]
//
// INPUT is a program file, read as Windows-1251 bytes exactly as Open .ASM reads it (a file
// without block markers is one block), and compiled as compile all (F9) does it. On success the
// code file goes to OUT (else to standard output), exit 0. On a fault nothing is written (but
// for --listing, the listings of the blocks before the failing one); the fault goes to standard
// error as compilers report one (FILE:LINE:COLUMN: error: MESSAGE, the line and a caret under
// the offending text), or as the windows' two status captions with --status-lines, exit 1.
// Usage and file errors give one line naming the file and the reason, exit 2. Standard output
// and standard error are UTF-8; files are Windows-1251 bytes.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
// The heap and file-mapping tuning is Linux's; the WebAssembly build reads and allocates
// plainly.
#ifndef __EMSCRIPTEN__
#include <malloc.h>
#include <sys/mman.h>
#define Q41_LINUX_MEMORY 1
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "blocks/block_marker.hpp"
#include "blocks/code_file.hpp"
#include "blocks/compile.hpp"
#include "blocks/listing.hpp"
#include "blocks/program_file.hpp"
#include "common/cp1251.hpp"
#include "common/err_diag.hpp"
#include "common/line_count.hpp"
#include "common/text.hpp"
#include "files/file_io.hpp"
#include "preprocessor/preproc.hpp"

#ifndef Q41_VERSION
#define Q41_VERSION "unknown"
#endif

namespace {

using q41::Lines;

constexpr const char* Usage =
    "usage: q41asm [--lang ru|en] [--no-short-const] [--status-lines] "
    "[--preprocess | --labels | --listing] INPUT [-o OUT]";

constexpr const char* Help =
    "       q41asm --help | --version\n"
    "\n"
    "Assembles a Q41 program file (.ASM, Windows-1251) as the windows' Compile all blocks\n"
    "does, and writes its code file (.Q41) to OUT or to standard output.\n"
    "\n"
    "  --lang ru|en       language of the messages (default: Russian when LC_ALL,\n"
    "                     LC_MESSAGES or LANG begins with ru, else English)\n"
    "  --status-lines     a fault as the windows' two status lines, not FILE:LINE:COL\n"
    "  --no-short-const   every constant in its long form\n"
    "  --preprocess       print each block's text for compilation instead\n"
    "  --labels           print each block's label table instead\n"
    "  --listing          print each block's listing instead: line number, address, up to\n"
    "                     four code words, the source line\n"
    "  -o OUT             the file to write (replaced only once it is complete)\n"
    "\n"
    "Exit status: 0 done, 1 a fault in the program (where and what on standard error),\n"
    "2 a usage or file error.\n";

enum class Mode { Code, Preprocess, Labels, Listing, Help, Version };

struct Arguments {
  q41::AssemblerOptions options;
  Mode mode = Mode::Code;
  bool statusLines = false;
  std::string input;
  std::optional<std::string> output;
};

// Each warning box of the windows is a line "FILE:LINE: warning: TEXT" on standard error (or
// "warning: TEXT" with --status-lines, or without a line), in the order the boxes would show;
// the box's lines are joined by blanks, since an editor reads a warning as one line.
void PrintWarning(std::string_view text, const std::string& where = {}) {
  std::string shown(text);
  std::replace(shown.begin(), shown.end(), '\n', ' ');
  std::cerr << where << "warning: " << q41::Cp1251ToUtf8(shown) << '\n';
}

std::optional<Arguments> ParseArguments(int argc, char** argv) {
  Arguments args;
  args.options.language = q41::LanguageOfEnvironment();
  bool modeSet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value == "ru")
        args.options.language = q41::Language::Russian;
      else if (value == "en")
        args.options.language = q41::Language::English;
      else
        return std::nullopt;
    } else if ((arg == "--help" || arg == "--version") && argc == 2) {
      args.mode = arg == "--help" ? Mode::Help : Mode::Version;
      return args;
    } else if (arg == "--status-lines") {
      args.statusLines = true;
    } else if (arg == "--no-short-const") {
      args.options.useShortConst = false;
    } else if (arg == "--preprocess" || arg == "--labels" || arg == "--listing") {
      if (modeSet) return std::nullopt;
      modeSet = true;
      args.mode = arg == "--labels"    ? Mode::Labels
                  : arg == "--listing" ? Mode::Listing
                                       : Mode::Preprocess;
    } else if (arg == "-o" && i + 1 < argc) {
      if (args.output) return std::nullopt;
      args.output = argv[++i];
    } else if (arg.size() > 1 && arg.front() == '-') {
      return std::nullopt;
    } else {
      if (!args.input.empty()) return std::nullopt;
      args.input = arg;
    }
  }
  if (args.input.empty()) return std::nullopt;
  return args;
}

std::string Reason() {
  return std::strerror(errno);
}

// Reads the whole input. A regular file is mapped and its pages brought in at once, which
// spares a copy of a large source; anything else (a pipe, a device) is read.
bool ReadInput(const std::string& path, std::string_view& bytes, std::string& storage) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (ok && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    ok = false;
  }
#ifdef Q41_LINUX_MEMORY
  if (ok && S_ISREG(info.st_mode) && info.st_size > 0) {
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map != MAP_FAILED) {
      ::close(fd);
      bytes = std::string_view(static_cast<const char*>(map), size);
      return true;
    }
  }
#endif
  char buffer[1 << 16];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      ok = false;
    else
      storage.append(buffer, static_cast<std::size_t>(n));
  }
  const int saved = errno;
  ::close(fd);
  errno = saved;
  bytes = storage;
  return ok;
}

// Gives back the input read by ReadInput.
void ReleaseInput(std::string_view& bytes, std::string& storage) {
#ifdef Q41_LINUX_MEMORY
  if (bytes.data() != storage.data() && !bytes.empty()) {
    ::munmap(const_cast<char*>(bytes.data()), bytes.size());
  }
#endif
  std::string().swap(storage);
  bytes = {};
}

// Takes the memory a run will need from the kernel in one call: a large input's run would
// otherwise take it one page fault at a time. (Large pages were tried: where the kernel must
// first compact memory for them, a run took many times longer.) Large blocks stay in the
// heap, so that the memory taken here is what they reuse. Asking for more than the run uses
// would only raise the peak memory.
void ReserveHeap([[maybe_unused]] std::size_t bytes) {
#ifdef Q41_LINUX_MEMORY
  constexpr std::size_t Page = 4096;
  if (bytes < 64 * Page) return;
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  char* block = static_cast<char*>(std::malloc(bytes));
  if (block == nullptr) return;
  const auto first = (reinterpret_cast<std::uintptr_t>(block) + Page - 1) & ~(Page - 1);
  ::madvise(reinterpret_cast<void*>(first), bytes - 2 * Page, MADV_POPULATE_WRITE);
  std::free(block);
#endif
}

// Writes the text: to the file as its Windows-1251 bytes, or to standard output in UTF-8.
// Returns false (errno set) when the file cannot be written.
bool WriteText(const std::optional<std::string>& path, const std::string& text) {
  if (!path) {
    std::cout << q41::Cp1251ToUtf8(text);
    std::cout.flush();
    return true;
  }
  const int reason = q41::files::WriteReplacing(*path, text, {});
  errno = reason;
  return reason == 0;
}

// Ends the process without destroying the run's objects: freeing a large block's many small
// strings one by one is wasted work when the process is about to end.
[[noreturn]] void Finish(int status) {
  std::cout.flush();
  std::exit(status);
}

// Writes the text as WriteText does; when it cannot, says so with the file and the reason.
bool WriteOrFail(const std::optional<std::string>& path, const std::string& text) {
  if (WriteText(path, text)) return true;
  std::cerr << "q41asm: cannot write " << *path << ": " << Reason() << '\n';
  return false;
}

// The printed texts (not the code file) end their lines in CR LF in a file, in LF on
// standard output.
std::string_view PrintedEol(const std::optional<std::string>& path) {
  return path ? "\r\n" : "\n";
}

void PrintStatusLines(const q41::StatusReport& status) {
  std::cerr << q41::Cp1251ToUtf8(status.lineCaption) << '\n'
            << q41::Cp1251ToUtf8(status.errCaption) << '\n';
}

// The input's bytes (see ReadInput), the program read from them and, for a file without
// block markers, the views of its lines, which are compiled where they stand: they must
// outlive the compiling.
struct Input {
  std::string_view bytes;
  std::string storage;
  q41::LineViews unmarkedLines;
  bool inPlace = false;
  q41::ProgramRead read;

  const q41::Program& Program() const { return read.program; }
  q41::SourceText Source(int block) const {
    if (block == 0 && inPlace) return unmarkedLines;
    return read.program.Block(block).source;
  }
  // Where block `block`'s line `line` (1-based) stands in the file, 1-based.
  std::size_t FileLine(int block, std::int32_t line) const {
    return read.layout.blockStart[static_cast<std::size_t>(block)] +
           static_cast<std::size_t>(std::max(line, 1));
  }
};

// The column of byte `at` of `line` (1-based) as GCC reports it, which Emacs and the problem
// matchers count in: a tab advances to the next multiple of eight, any other character counts
// one (a line's byte is one character of its code page).
std::size_t DisplayColumn(std::string_view line, std::size_t at) {
  std::size_t column = 0;
  for (std::size_t c = 0; c < at && c < line.size(); ++c) {
    column = line[c] == '\t' ? (column / 8 + 1) * 8 : column + 1;
  }
  return column + 1;
}

// Block `block`'s fault as compilers report one, which editors jump to: where in the file,
// what, the line and a caret under the offending text, as the compile placed it. A fault of
// no line gives the file and the message alone.
void PrintFault(const Arguments& args, const Input& input, int block,
                const q41::StatusReport& status) {
  if (args.statusLines) return PrintStatusLines(status);
  const q41::SourceText source = input.Source(block);
  const q41::FileLayout& layout = input.read.layout;
  const Lines& glob = input.Program().Global();
  const q41::SourcePlace& place = status.place;
  const std::size_t lines =
      place.inGlobal ? std::min(layout.globalLines.size(), glob.size()) : source.size();
  if (place.line < 1 || static_cast<std::size_t>(place.line) > lines) {
    std::cerr << args.input << ": error: " << q41::Cp1251ToUtf8(status.errCaption) << '\n';
    return;
  }
  const auto k = static_cast<std::size_t>(place.line - 1);
  const std::string_view line = place.inGlobal ? std::string_view(glob[k]) : source[k];
  const std::size_t fileLine =
      place.inGlobal ? layout.globalLines[k] + 1 : input.FileLine(block, place.line);
  std::string caret;
  for (std::size_t c = 0; c < static_cast<std::size_t>(place.start) && c < line.size(); ++c) {
    caret += line[c] == '\t' ? '\t' : ' ';
  }
  caret += '^' + std::string(static_cast<std::size_t>(std::max(place.length, 1) - 1), '~');
  std::cerr << args.input << ':' << fileLine << ':'
            << DisplayColumn(line, static_cast<std::size_t>(place.start))
            << ": error: " << q41::Cp1251ToUtf8(status.errCaption) << '\n'
            << q41::Cp1251ToUtf8(line) << '\n'
            << caret << '\n';
}

// Each block's warnings, in the order the windows' boxes would show them, at their lines in
// the file; a warning about the whole block (no HLT) at the block's first line.
void PrintWarnings(const Arguments& args, const Input& input, const q41::CompileAllOutcome& all) {
  for (std::size_t b = 0; b < all.blocks.size(); ++b) {
    for (const q41::CompileWarning& warning : all.blocks[b].warnings) {
      if (args.statusLines) {
        PrintWarning(warning.text);
        continue;
      }
      const std::size_t line = input.FileLine(static_cast<int>(b), warning.line);
      PrintWarning(warning.text, args.input + ":" + std::to_string(line) + ": ");
    }
  }
}

// The program as Open .ASM reads it. A file without block markers (one block) is compiled
// straight from the input's bytes; a program file's blocks get their own lines, and the
// input's pages can go before the compiling needs memory of its own.
void LoadProgram(Input& input, const Arguments& args) {
  // What a run takes grows with its lines: the list of lines (a view each), then, on
  // generated programs, 70 to 90 bytes a line, and the bytes again when the lines are copied
  // out of the input. A fresh page taken in one call costs about half of what the fault
  // costs that takes it when first touched; reserving some 56 bytes a line spares most of
  // the faults, for a peak memory a tenth higher (the pages reserved stay even where the
  // run leaves gaps). The lines are counted as SplitLineViews counts them, which then takes
  // the first of that memory for its list.
  ReserveHeap(q41::ExpectedLineCount(input.bytes) * (sizeof(std::string_view) + 56));
  input.unmarkedLines = q41::SplitLineViews(input.bytes);
  if (std::optional<q41::ProgramRead> read =
          q41::ReadUnmarkedFile(input.unmarkedLines, q41::Program())) {
    input.read = std::move(*read);
    input.inPlace = true;
  } else {
    q41::LineViews().swap(input.unmarkedLines);
    ReserveHeap(input.bytes.size());
    input.read = q41::ReadProgramFile(q41::SplitLines(input.bytes), q41::Program());
    ReleaseInput(input.bytes, input.storage);
  }
  if (input.read.memoryRefused) {
    PrintWarning(q41::Message(args.options.language, q41::MsgBadMemoryType) +
                 *input.read.memoryRefused);
  }
}

// The runs below end the process once their output is written (see Finish); they return
// the exit status of a run that stops before.

// --preprocess: each block's text for compilation after its marker line.
int PrintPreprocessed(const Input& input, const Arguments& args) {
  const std::string_view eol = PrintedEol(args.output);
  Lines out;
  for (int n = 0; n <= input.Program().LastBlock(); ++n) {
    Lines compText;
    q41::SourceLineMap lineMap;
    q41::PreprocessResult pre =
        q41::Preprocess(input.Source(n), compText, lineMap, args.options.language);
    out.push_back(q41::BlockMarker(n));
    out.insert(out.end(), compText.begin(), compText.end());
    if (!pre.Succeeded()) {
      // What the preprocessor left is shown, then where it stopped.
      if (!WriteOrFail(args.output, q41::JoinLines(out, eol))) return 2;
      pre.status.lineCaption = q41::FailedBlockCaption(n, pre.status.lineCaption);
      PrintFault(args, input, n, pre.status);
      return 1;
    }
  }
  Finish(WriteOrFail(args.output, q41::JoinLines(out, eol)) ? 0 : 2);
}

// The sections --labels and --listing print: one for each block that compiled.
Lines PrintedSections(const Input& input, const q41::CompileAllOutcome& all, Mode mode) {
  Lines printed;
  for (int n = 0; n < static_cast<int>(all.blocks.size()); ++n) {
    const q41::CompileOutcome& outcome = all.blocks[static_cast<std::size_t>(n)];
    if (!outcome.succeeded) break;
    printed.push_back(q41::BlockMarker(n));
    if (mode == Mode::Listing) {
      Lines listing =
          q41::Listing(input.Source(n), input.Program().Block(n).code, outcome.wordSourceLine);
      printed.insert(printed.end(), std::make_move_iterator(listing.begin()),
                     std::make_move_iterator(listing.end()));
      continue;
    }
    for (const q41::LabelText& row : outcome.labels) {
      printed.push_back(row.name + "\t" + row.kind + "\t" + row.value);
    }
  }
  return printed;
}

// Compiles all blocks as F9 does, then writes the code file as Save .Q41 does, or the label
// tables or listings of the blocks compiled.
int CompileAll(Input& input, const Arguments& args) {
  q41::CompileWorkspace workspace;
  q41::CompileAllRequest request;
  request.options = args.options;
  request.keepLabels = args.mode == Mode::Labels;
  request.block0 = input.inPlace ? &input.unmarkedLines : nullptr;
  const q41::CompileAllOutcome all = q41::CompileAll(input.read.program, workspace, request);
  PrintWarnings(args, input, all);
  // The listings of the blocks before a failing one are printed too.
  if ((all.succeeded && args.mode == Mode::Labels) || args.mode == Mode::Listing) {
    const Lines printed = PrintedSections(input, all, args.mode);
    if (!WriteOrFail(args.output, q41::JoinLines(printed, PrintedEol(args.output)))) return 2;
  }
  if (!all.succeeded) {
    PrintFault(args, input, all.failedBlock, all.Status());
    return 1;
  }
  if (args.mode == Mode::Labels || args.mode == Mode::Listing) Finish(0);
  Finish(WriteOrFail(args.output, q41::CodeFileText(input.Program(), "\r\n")) ? 0 : 2);
}

// Reads the input and runs what the mode asks for.
int AssembleFile(const Arguments& args) {
  Input input;
  if (!ReadInput(args.input, input.bytes, input.storage)) {
    std::cerr << "q41asm: cannot read " << args.input << ": " << Reason() << '\n';
    return 2;
  }
  LoadProgram(input, args);
  if (args.mode == Mode::Preprocess) return PrintPreprocessed(input, args);
  return CompileAll(input, args);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Past a file size limit a write then fails with a message, instead of the signal ending
  // the tool with a part-written file left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  const auto args = ParseArguments(argc, argv);
  if (!args) {
    std::cerr << "q41asm: " << Usage << '\n';
    return 2;
  }
  if (args->mode == Mode::Help) {
    std::cout << Usage << '\n' << Help;
    return 0;
  }
  if (args->mode == Mode::Version) {
    std::cout << "q41asm " << Q41_VERSION << '\n';
    return 0;
  }
  return AssembleFile(*args);
}
