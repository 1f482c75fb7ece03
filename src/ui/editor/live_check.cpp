#include "ui/editor/live_check.hpp"

#include <cstdlib>

#include "ui/editor/editor_lines.hpp"

namespace q41::ui {

LiveCheck::LiveCheck(const EditorLines& source, std::function<Lines()> glob,
                     AssemblerOptions options)
    : source_(source), glob_(std::move(glob)), options_(options) {
  worker_.setMaxThreadCount(1);
  delay_.setSingleShot(true);
  delay_.setInterval(Delay());
  connect(&delay_, &QTimer::timeout, this, &LiveCheck::Start);
}

LiveCheck::~LiveCheck() {
  worker_.waitForDone();
}

int LiveCheck::Delay() {
  const char* text = std::getenv("Q41_CHECK_DELAY_MS");
  return text != nullptr ? std::atoi(text) : 300;
}

void LiveCheck::TextChanged() {
  ++revision_;
  delay_.start();
}

void LiveCheck::Start() {
  if (running_) {
    waiting_ = true;
    return;
  }
  running_ = true;
  const int revision = revision_;
  // The copies are taken here, on the window's thread; the worker owns them.
  worker_.start([this, revision, source = source_.Get(), glob = glob_(), options = options_] {
    auto facts = std::make_shared<BlockFacts>(ReadBlock(source, glob, options));
    QMetaObject::invokeMethod(
        this, [this, revision, facts] { Finished(revision, facts); }, Qt::QueuedConnection);
  });
}

void LiveCheck::Finished(int revision, std::shared_ptr<BlockFacts> facts) {
  running_ = false;
  if (waiting_) {
    waiting_ = false;
    Start();
  }
  if (revision != revision_) return;  // the text changed meanwhile: a newer check follows
  facts_ = std::move(*facts);
  checkedRevision_ = revision;
  emit Checked();
}

}  // namespace q41::ui
