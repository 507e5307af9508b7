// The event loop: one step with its idle call, the main loop, nested loops
// of popups, quit requests, and callback lookup by action name.
#include <cstring>

#include "iupcore.h"

namespace iup {
namespace {

struct LoopFrame {
  bool quit = false;
};

std::vector<LoopFrame*> frames;  // innermost last
bool pending_quit = false;       // a quit posted while no loop runs
bool loop_running = false;

}  // namespace

void PostQuit() {
  if (!frames.empty())
    frames.back()->quit = true;
  else
    pending_quit = true;
}

StepReport Step(bool blocking) {
  if (!frames.empty() ? frames.back()->quit : pending_quit) {
    if (frames.empty()) pending_quit = false;
    return StepReport::End;
  }
  if (Drv().DeliverOne()) return StepReport::Event;
  if (!PopupActive() && VisibleDialogs() <= 0) return StepReport::End;
  auto idle = As<IupIdleCallback>(Actions().Get("iup-idle"));
  if (idle != nullptr) {
    if (!Drv().IdleAllowed()) return StepReport::End;
    if (idle() == IUP_CLOSE) {
      Drv().ReleaseBrushes();
      PostQuit();
    }
    return StepReport::Idle;
  }
  if (!blocking) return StepReport::Nothing;
  if (!Drv().WaitEvent()) return StepReport::End;
  return Drv().DeliverOne() ? StepReport::Event : StepReport::Nothing;
}

void RunLoop(IupElement* const* watch) {
  LoopFrame frame;
  frames.push_back(&frame);
  while (watch == nullptr || *watch != nullptr) {
    if (Step(true) == StepReport::End) break;
  }
  frames.pop_back();
}

IupCallback FindCallback(IupElement* e, const char* name) {
  const char* action = IupGetAttribute(e, name);
  if (action == nullptr) return nullptr;
  return IupFindAction(action);
}

}  // namespace iup

int IupMainLoop(void) {
  const bool outer = !iup::loop_running;
  iup::loop_running = true;
  iup::RunLoop(nullptr);
  if (outer) iup::loop_running = false;
  return 0;
}

int IupLoopStep(void) {
  return iup::Step(false) == iup::StepReport::End ? IUP_CLOSE : IUP_DEFAULT;
}

int IupFlush(void) {
  iup::StepReport r;
  do {
    r = iup::Step(false);
  } while (r == iup::StepReport::Event);
  return r == iup::StepReport::End ? IUP_CLOSE : IUP_DEFAULT;
}

void IupExitLoop(void) {
  iup::PostQuit();
}
