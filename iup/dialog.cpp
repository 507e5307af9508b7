// Mapping and unmapping element trees, showing and hiding dialogs, and
// modal popups with the popup stack and the shown-dialog list.
#include <algorithm>
#include <cstring>

#include "iupcore.h"

namespace iup {
namespace {

struct PopupLevel {
  IupElement* dialog = nullptr;           // null once destroyed
  IupElement* previous_active = nullptr;  // outermost level only
  bool left = false;                      // its disabled dialogs are enabled again
};

// Both lists grow as needed; destroyed dialogs are taken out of them.
std::vector<IupElement*> shown_list;
std::vector<std::unique_ptr<PopupLevel>> popup_stack;
int visible_count = 0;

void MapNative(IupElement* e, IupElement* dialog) {
  if (IsBoxKind(e->kind)) {
    e->native = dialog != nullptr ? dialog->native : nullptr;
    return;
  }
  if (!HasNativeObject(e->kind)) return;
  if (e->kind == IUP_DIALOG) {
    IupElement* owner = IupGetHandle(IupGetAttribute(e, "PARENTDIALOG"));
    if (owner != nullptr && owner != e && owner->kind == IUP_DIALOG && !IsMapped(owner))
      IupMap(owner);
  }
  e->native = Drv().Create(e, dialog);
  e->driver_object = e->native != nullptr;
}

void InitialChoice(IupElement* e) {
  if (e->kind == IUP_ZBOX) {
    IupElement* chosen = IupGetHandle(IupGetAttribute(e, "VALUE"));
    if (chosen == nullptr || chosen->parent != e) chosen = e->first_child;
    for (IupElement* c = e->first_child; c != nullptr; c = c->brother)
      if (c != chosen) IupSetAttribute(c, "VISIBLE", "NO");
  } else if (e->kind == IUP_RADIO) {
    std::vector<IupElement*> toggles;
    std::vector<IupElement*> stack{e->first_child};
    while (!stack.empty()) {
      IupElement* t = stack.back();
      stack.pop_back();
      if (t == nullptr) continue;
      if (t->kind == IUP_TOGGLE) toggles.push_back(t);
      stack.push_back(t->brother);
      stack.push_back(t->first_child);
    }
    std::sort(toggles.begin(), toggles.end(),
              [](IupElement* a, IupElement* b) { return a->serial < b->serial; });
    IupElement* chosen = IupGetHandle(IupGetAttribute(e, "VALUE"));
    if (std::find(toggles.begin(), toggles.end(), chosen) == toggles.end())
      chosen = toggles.empty() ? nullptr : toggles.front();
    for (IupElement* t : toggles) Drv().SetAttribute(t, "VALUE", t == chosen ? "ON" : "OFF");
  }
}

void CreateTree(IupElement* e, IupElement* dialog) {
  if (!IsMapped(e)) {
    if (e->control_class != nullptr && e->control_class->map != nullptr)
      e->control_class->map(e, dialog);
    else
      MapNative(e, dialog);
    if (!IsMapped(e)) return;
  }
  if (e->kind == IUP_DIALOG) {
    IupElement* menu = IupGetHandle(IupGetAttribute(e, "MENU"));
    if (menu != nullptr && menu->kind == IUP_MENU && !IsMapped(menu)) CreateTree(menu, e);
  }
  for (IupElement* c = e->first_child; c != nullptr; c = c->brother) CreateTree(c, dialog);
  InitialChoice(e);
}

void MapSubtree(IupElement* e) {
  IupElement* dialog = IupGetDialog(e);
  if (e->kind == IUP_DIALOG) dialog = e;
  const int serial = e->serial;
  if (dialog != nullptr) StoreOwn(dialog, IupInternName("IUPWIN_IS_MAPPING"), "YES", false);
  CreateTree(e, dialog);
  if (IsMapped(e) && e->kind != IUP_MENU) {
    Layout(e);
    MovePass(e, true);
  }
  if (!IsAlive(serial, e)) return;
  if (dialog != nullptr) StoreOwn(dialog, IupInternName("IUPWIN_IS_MAPPING"), nullptr, false);
  if (e->kind == IUP_DIALOG && IsMapped(e)) {
    if (IupCallback cb = FindCallback(e, "MAP_CB")) cb(e);
  }
}

int PlacePosition(int requested, int screen, int window) {
  switch (requested) {
    case IUP_CENTER:
      return (screen - window) / 2;
    case IUP_LEFT:
      return 0;
    case IUP_RIGHT:
      return screen - window;
    default:
      return requested;
  }
}

PopupLevel* Innermost() {
  for (auto it = popup_stack.rbegin(); it != popup_stack.rend(); ++it)
    if (!(*it)->left) return it->get();
  return nullptr;
}

bool OwnInactive(IupElement* e) {
  return ReadBool(IupGetOwnAttribute(e, "ACTIVE")) == 0;
}

void LeaveLevel(PopupLevel* level) {
  if (level == nullptr || level->left) return;
  level->left = true;
  size_t index = 0;
  while (index < popup_stack.size() && popup_stack[index].get() != level) ++index;
  if (index == 0) {
    for (IupElement* d : shown_list)
      if (IsMapped(d) && !OwnInactive(d)) Drv().SetEnabled(d, true);
  } else if (IupElement* previous = popup_stack[index - 1]->dialog) {
    if (IsMapped(previous)) Drv().SetEnabled(previous, true);
  }
}

}  // namespace

bool PopupActive() {
  return Innermost() != nullptr;
}

bool IsPopupDialog(IupElement* dialog) {
  for (auto& level : popup_stack)
    if (level->dialog == dialog && !level->left) return true;
  return false;
}
int VisibleDialogs() {
  return visible_count;
}

void Unmap(IupElement* e) {
  for (IupElement* c = e->first_child; c != nullptr; c = c->brother)
    if (IsMapped(c)) Unmap(c);
  if (!IsMapped(e)) return;
  if (e->kind == IUP_DIALOG) {
    IupElement* menu = IupGetHandle(IupGetAttribute(e, "MENU"));
    if (menu != nullptr && menu->kind == IUP_MENU && IsMapped(menu)) Unmap(menu);
  }
  if (e->control_class != nullptr && e->control_class->unmap != nullptr) e->control_class->unmap(e);
  if (IupElement* dialog = IupGetDialog(e)) {
    if (dialog->attributes != nullptr &&
        IupGetAttributePointer(dialog, "LASTFOCUS_IUPWIN") == static_cast<void*>(e))
      dialog->attributes->Remove("LASTFOCUS_IUPWIN");
  }
  if (e->driver_object) Drv().Destroy(e);
  e->driver_object = false;
  e->native = nullptr;
}

void ForgetDialog(IupElement* dialog) {
  if (dialog->shown) {
    dialog->shown = false;
    --visible_count;
  }
  std::erase(shown_list, dialog);
  PopupLevel* innermost = Innermost();
  for (auto& level : popup_stack) {
    if (level->previous_active == dialog) level->previous_active = nullptr;
    if (level->dialog != dialog) continue;
    level->dialog = nullptr;
    if (level.get() == innermost) PostQuit();
  }
}

void PlaceAndShow(IupElement* dialog, int x, int y) {
  int dw = 0, dh = 0;
  DialogDecorations(dialog, &dw, &dh);
  const int w = dialog->current_width + dw, h = dialog->current_height + dh;
  const ScreenMetrics screen = Drv().Screen();
  Drv().PlaceDialog(dialog, PlacePosition(x, screen.work_width, w),
                    PlacePosition(y, screen.work_height, h), w, h);
  if (!dialog->shown) {
    const char* showing = IupInternName("IUPWIN_SHOWING");
    StoreOwn(dialog, showing, "YES", false);
    IupSetAttribute(dialog, "VISIBLE", "YES");
    StoreOwn(dialog, showing, nullptr, false);
  }
  Drv().SetVisible(dialog, true);
  Drv().Repaint(dialog);
  Drv().Activate(dialog);
}

void ApplyVisible(IupElement* dialog, const char* value) {
  const int b = ReadBool(value);
  if (b == 0) {
    IupHide(dialog);
    return;
  }
  if (b != 1) return;
  IupElement* start = IupGetHandle(IupGetAttribute(dialog, "STARTFOCUS"));
  if (start == nullptr || IupGetDialog(start) != dialog || !IsFocusable(start)) {
    start = nullptr;
    std::vector<IupElement*> stack{dialog->first_child};
    while (!stack.empty() && start == nullptr) {
      IupElement* e = stack.back();
      stack.pop_back();
      if (e == nullptr) continue;
      if (IsFocusable(e)) start = e;
      stack.push_back(e->brother);
      stack.push_back(e->first_child);
    }
  }
  if (start != nullptr && IupGetDialog(Drv().GetFocus()) != dialog) IupSetFocus(start);
  if (IupGetOwnAttribute(dialog, "IUPWIN_SHOWING") == nullptr && !dialog->shown) IupShow(dialog);
}

}  // namespace iup

using namespace iup;

int IupMap(IupElement* e) {
  if (e == nullptr) return 1;
  if (IsMapped(e)) {
    for (IupElement* c = e->first_child; c != nullptr; c = c->brother)
      if (!IsMapped(c)) MapSubtree(c);
    return 0;
  }
  if (e->kind != IUP_DIALOG && e->kind != IUP_MENU) {
    IupElement* dialog = IupGetDialog(e);
    if (dialog == nullptr) return 0;  // nothing to show it in
    if (!IsMapped(dialog)) return IupMap(dialog);
    if (e->parent != nullptr && !IsMapped(e->parent)) return IupMap(e->parent);
  }
  MapSubtree(e);
  return 0;
}

void IupMapDefault(IupElement* e, IupElement* dialog) {
  if (e != nullptr && !IsMapped(e)) MapNative(e, dialog);
}

int IupShowXY(IupElement* e, int x, int y) {
  if (e == nullptr) return 1;
  const int serial = e->serial;
  if (!IsMapped(e)) IupMap(e);
  if (!IsAlive(serial, e) || !IsMapped(e)) return 1;
  if (e->kind != IUP_DIALOG) {
    IupSetAttribute(e, "VISIBLE", "YES");
    return 0;
  }
  PlaceAndShow(e, x, y);
  if (!IsAlive(serial, e)) return 0;
  if (std::find(shown_list.begin(), shown_list.end(), e) == shown_list.end())
    shown_list.push_back(e);
  if (!e->shown) {
    e->shown = true;
    ++visible_count;
  }
  if (IupCallback cb = FindCallback(e, "SHOW_CB")) As<IupCallbackI>(cb)(e, IUP_SHOW);
  return 0;
}

int IupShow(IupElement* e) {
  if (e == nullptr) return 1;
  if (!IsMapped(e) || e->kind != IUP_DIALOG) return IupShowXY(e, IUP_CENTER, IUP_CENTER);
  int x = 0, y = 0;
  Drv().DialogPosition(e, &x, &y);
  return IupShowXY(e, x, y);
}

int IupHide(IupElement* e) {
  if (e == nullptr || !IsMapped(e)) return 1;
  if (e->kind != IUP_DIALOG) {
    IupSetAttribute(e, "VISIBLE", "NO");
    return 0;
  }
  if (!e->shown) return 1;
  e->shown = false;
  --visible_count;
  Drv().SetVisible(e, false);
  if (PopupActive()) PostQuit();  // the innermost popup loop ends
  return 0;
}

int IupPopup(IupElement* e, int x, int y) {
  if (e == nullptr) return 1;
  if (e->control_class != nullptr)
    return e->control_class->popup != nullptr ? e->control_class->popup(e, x, y) : 0;
  if (e->kind == IUP_MENU) {
    if (!IsMapped(e)) IupMap(e);
    if (!IsMapped(e)) return 1;
    IupElement* item = Drv().TrackMenu(e, x, y);
    if (item != nullptr) event::ItemChosen(item);
    return 0;
  }
  if (e->kind != IUP_DIALOG) return IupShowXY(e, x, y);

  const int serial = e->serial;
  auto owned = std::make_unique<PopupLevel>();
  PopupLevel* level = owned.get();
  level->dialog = e;
  if (!PopupActive()) {
    level->previous_active = Drv().ActiveDialog();
    for (IupElement* d : shown_list)
      if (d != e && IsMapped(d)) Drv().SetEnabled(d, false);
  } else if (IupElement* previous = Innermost()->dialog) {
    if (previous != e && IsMapped(previous)) Drv().SetEnabled(previous, false);
  }
  popup_stack.push_back(std::move(owned));

  if (!IsMapped(e)) IupMap(e);
  if (IsAlive(serial, e) && IsMapped(e)) {
    Drv().SetEnabled(e, true);
    PlaceAndShow(e, x, y);
    if (IsAlive(serial, e) && !e->shown) {
      e->shown = true;
      ++visible_count;
    }
    if (IsAlive(serial, e))
      if (IupCallback cb = FindCallback(e, "SHOW_CB")) As<IupCallbackI>(cb)(e, IUP_SHOW);
    RunLoop(&level->dialog);
  }
  if (level->dialog != nullptr && IsAlive(serial, e) && e->shown) {
    e->shown = false;
    --visible_count;
    if (IsMapped(e)) Drv().SetVisible(e, false);
  }
  LeaveLevel(level);
  // the level is the last one: nested popups have returned before this one
  IupElement* reactivate = nullptr;
  if (popup_stack.size() >= 2)
    reactivate = popup_stack[popup_stack.size() - 2]->dialog;
  else
    reactivate = level->previous_active;
  popup_stack.pop_back();
  if (reactivate != nullptr && IsMapped(reactivate)) Drv().Activate(reactivate);
  return 0;
}

namespace iup {

void CloseProcedure(IupElement* source) {
  const int serial = source != nullptr ? source->serial : 0;
  if (PopupLevel* level = Innermost())
    LeaveLevel(level);
  else
    Drv().ReleaseBrushes();
  PostQuit();
  if (source != nullptr && IsAlive(serial, source)) IupHide(IupGetDialog(source));
}

}  // namespace iup
