#pragma once
// The pictures of the windows' picture buttons, drawn by the program itself.

#include <QIcon>

namespace q41::icons {

QIcon CompileAll();    // a box of index cards: every block
QIcon CompileBlock();  // a funnel: ADD goes in, ones and zeros come out
QIcon AddBlock();      // an arrow to a dashed line, with a red plus
QIcon DeleteBlock();   // an arrow away from a dashed line, with a red minus
QIcon ReturnToMain();  // an arrow back to a window

}  // namespace q41::icons
