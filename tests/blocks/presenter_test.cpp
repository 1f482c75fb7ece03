// Where the current block's truth is, under any order of typing, activations and commands:
// whatever the user typed last, in whichever window, is what the program file would hold.

#include "blocks/presenter.hpp"

#include <gtest/gtest.h>

#include <random>

#include "started.hpp"

namespace q41 {
namespace {

struct FakeAllBlocks : AllBlocksWindow {
  bool active = false;
  int activations = 0;
  bool IsActive() const override { return active; }
  void FormActivate() override { ++activations; }
};

struct Session {
  test::Started s;
  FakeAllBlocks window;
  Presenter presenter{s.model};
  std::array<Lines, 2> typed;  // what each block's text is, as the user last made it
  int edits = 0;

  Session() {
    presenter.SetAllBlocksWindow(&window);
    presenter.RunCommand([this] { s.model.AddBlock(); });
    presenter.RunCommand([this] { s.model.SwitchToBlock(0); });
    typed = {s.view.source, Lines{}};
    typed[1] = s.model.Stored(1).source;
  }
  void SetActive(bool active) {
    window.active = active;
    presenter.AllBlocksActivationChanged();
  }
  // Typing in the all-blocks window edits the store; anywhere else, the working copy.
  void Type() {
    Lines text{"nop ; edit " + std::to_string(++edits)};
    const int block = s.model.CurrentBlock();
    if (window.active) {
      s.model.SetStoredSource(block, text);
    } else {
      s.view.source = text;
    }
    typed[static_cast<std::size_t>(block)] = text;
  }
  // A command that edits the working copy in a window of its own (a replace in the find
  // dialog): the activation leaves the all-blocks window first.
  void CommandTypes() {
    SetActive(false);
    Type();
  }
  // Each block's text in the program file as it would be written now.
  std::array<Lines, 2> Written() {
    const Program now = ReadProgramFile(presenter.ProgramFileNow(), Program()).program;
    std::array<Lines, 2> bodies;
    for (int n = 0; n < 2; ++n) {
      const Lines& source = now.Block(n).source;
      bodies[static_cast<std::size_t>(n)].assign(
          source.begin() + static_cast<std::ptrdiff_t>(BlockBodyStart(now, n)), source.end());
    }
    return bodies;
  }
};

TEST(Presenter, TheLastTypedTextIsTheProgramsWhateverTheActivationsAndCommands) {
  std::mt19937 rng(41);
  for (int round = 0; round < 100; ++round) {
    Session session;
    std::string trail;
    for (int step = 0; step < 60; ++step) {
      const int event = std::uniform_int_distribution<int>(0, 5)(rng);
      trail += std::to_string(event);
      if (event == 0) session.SetActive(!session.window.active);
      if (event <= 2) session.Type();
      if (event == 3 || event == 4) {
        // A command from either window: its boxes take the activation and give it back
        // somewhere, and it may switch blocks or run another command inside.
        session.presenter.RunCommand([&] {
          EXPECT_FALSE(session.presenter.StoreIsCurrent());
          const bool replaces = rng() % 3 == 0;
          if (rng() % 2 == 0) session.SetActive(rng() % 2 == 0);
          if (event == 4) session.s.model.SwitchToBlock(1 - session.s.model.CurrentBlock());
          if (!replaces && rng() % 3 == 0) {
            session.presenter.RunCommand([&] { session.SetActive(rng() % 2 == 0); });
          }
          // Its window keeps the activation to the end.
          if (replaces) session.CommandTypes();
        });
      }
      if (event == 5) session.SetActive(session.window.active);  // told twice: nothing moves
      ASSERT_EQ(session.Written(), session.typed) << "round " << round << " events " << trail;
      if (!session.window.active) {
        // The main window shows the truth whenever the user can type in it.
        ASSERT_EQ(session.s.view.source,
                  session.typed[static_cast<std::size_t>(session.s.model.CurrentBlock())])
            << "round " << round << " events " << trail;
      }
      ASSERT_EQ(session.presenter.StoreIsCurrent(), session.window.active) << trail;
    }
  }
}

TEST(Presenter, CommandsRunInsideTheOutermostOnceAndClosingComesFirst) {
  test::Started s;
  Presenter presenter(s.model);
  int closed = 0;
  presenter.SetBeforeCommand([&closed] { ++closed; });
  bool nestedRan = false;
  presenter.RunCommand([&] {
    EXPECT_TRUE(presenter.CommandRunning());
    presenter.RunCommand([&] { nestedRan = presenter.CommandRunning(); });
  });
  EXPECT_TRUE(nestedRan);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(presenter.CommandRunning());
  // Without an all-blocks window, the working copy is always the truth.
  EXPECT_FALSE(presenter.StoreIsCurrent());
}

}  // namespace
}  // namespace q41
