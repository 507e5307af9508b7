// Text at the GTK boundary: Latin-1 to UTF-8 and back, the toolkit's font
// names mapped to Pango fonts, and GDK keys translated to toolkit key codes.
#include <cstdlib>
#include <cstring>

#include "gtk/gtkint.h"
#include "iupkey.h"

namespace iup::gtk {

std::string ToUtf8(const char* latin1) {
  std::string out;
  if (latin1 == nullptr) return out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(latin1); *p; ++p) {
    if (*p < 0x80) {
      out.push_back(static_cast<char>(*p));
    } else {
      out.push_back(static_cast<char>(0xC0 | (*p >> 6)));
      out.push_back(static_cast<char>(0x80 | (*p & 0x3F)));
    }
  }
  return out;
}

std::string ToLatin1(const char* utf8) {
  std::string out;
  if (utf8 == nullptr) return out;
  for (const char* p = utf8; *p;) {
    const gunichar c = g_utf8_get_char_validated(p, -1);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
      out.push_back('?');  // not UTF-8: one byte at a time
      ++p;
      continue;
    }
    out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    p = g_utf8_next_char(p);
  }
  return out;
}

namespace {

// "FONT" portable names: HELVETICA/COURIER/TIMES _ NORMAL/ITALIC/BOLD _ size.
std::string FromPortable(const char* font) {
  std::string name = font;
  const size_t a = name.find('_'), b = name.rfind('_');
  if (a == std::string::npos || b == a) return "";
  const std::string face = name.substr(0, a), style = name.substr(a + 1, b - a - 1);
  std::string family = face == "COURIER" ? "Courier"
                       : face == "TIMES" ? "Times New Roman"
                                         : "Helvetica";
  return family + ":" + (style == "NORMAL" ? "" : style) + ":" + name.substr(b + 1);
}

// "face:STYLE,STYLE:size" (size in points, 9 when missing).
PangoFontDescription* FromWinFont(const std::string& font) {
  PangoFontDescription* d = pango_font_description_new();
  const size_t a = font.find(':');
  const size_t b = a == std::string::npos ? std::string::npos : font.find(':', a + 1);
  std::string face = font.substr(0, a);
  // faces the platform does not have get their nearest free equivalents
  if (face == "MS Sans Serif" || face.empty() || face == "Helvetica" || face == "Arial")
    face = "Sans";
  if (face == "Times New Roman" || face == "Times") face = "Serif";
  if (face == "Courier" || face == "Courier New") face = "Monospace";
  pango_font_description_set_family(d, face.c_str());
  const std::string styles = a == std::string::npos ? "" : font.substr(a + 1, b - a - 1);
  if (styles.find("BOLD") != std::string::npos)
    pango_font_description_set_weight(d, PANGO_WEIGHT_BOLD);
  if (styles.find("ITALIC") != std::string::npos)
    pango_font_description_set_style(d, PANGO_STYLE_ITALIC);
  int size = b == std::string::npos ? 0 : std::atoi(font.c_str() + b + 1);
  if (size <= 0 || size > 200) size = 9;
  pango_font_description_set_size(d, size * PANGO_SCALE);
  return d;
}

}  // namespace

PangoFontDescription* FontOf(IupElement* e) {
  // fonts are made once per distinct name and kept until the process ends
  static auto* cache = new std::map<std::string, PangoFontDescription*>;
  std::string name;
  if (const char* win = IupGetAttribute(e, "WINFONT")) {
    name = win;
  } else if (const char* font = IupGetAttribute(e, "FONT")) {
    name = FromPortable(font);
  }
  if (name.empty()) {
    const char* def = IupGetGlobal("WIN_DEFAULTFONT");
    name = def != nullptr ? def : "MS Sans Serif::8";
  }
  auto& slot = (*cache)[name];
  if (slot == nullptr) slot = FromWinFont(name);
  return slot;
}

void ApplyFont(GtkWidget* widget, IupElement* e) {
  if (widget == nullptr) return;
  const PangoFontDescription* d = FontOf(e);
  char css[256];
  std::snprintf(css, sizeof css,
                "* { font-family: \"%s\"; font-size: %dpt; font-weight: %s; font-style: %s; }",
                pango_font_description_get_family(d),
                pango_font_description_get_size(d) / PANGO_SCALE,
                pango_font_description_get_weight(d) >= PANGO_WEIGHT_BOLD ? "bold" : "normal",
                pango_font_description_get_style(d) == PANGO_STYLE_ITALIC ? "italic" : "normal");
  // one provider per widget, reloaded when the font changes
  auto* provider = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(widget), "varko-font"));
  if (provider == nullptr) {
    provider = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(widget), "varko-font", provider, g_object_unref);
  }
  gtk_css_provider_load_from_data(provider, css, -1, nullptr);
}

namespace {

struct SpecialKey {
  guint keyval;
  int plain, shift, ctrl, alt;
};

// Keys that are not characters; 0 where the toolkit has no code.
constexpr SpecialKey kSpecial[] = {
    {GDK_KEY_Home, K_HOME, K_sHOME, K_cHOME, K_mHOME},
    {GDK_KEY_Up, K_UP, K_sUP, K_cUP, K_mUP},
    {GDK_KEY_Page_Up, K_PGUP, K_sPGUP, K_cPGUP, K_mPGUP},
    {GDK_KEY_Left, K_LEFT, K_sLEFT, K_cLEFT, K_mLEFT},
    {GDK_KEY_Right, K_RIGHT, K_sRIGHT, K_cRIGHT, K_mRIGHT},
    {GDK_KEY_End, K_END, K_sEND, K_cEND, K_mEND},
    {GDK_KEY_Down, K_DOWN, K_sDOWN, K_cDOWN, K_mDOWN},
    {GDK_KEY_Page_Down, K_PGDN, K_sPGDN, K_cPGDN, K_mPGDN},
    {GDK_KEY_Insert, K_INS, K_INS, K_cINS, K_mINS},
    {GDK_KEY_Delete, K_DEL, K_DEL, K_cDEL, K_mDEL},
    {GDK_KEY_Tab, K_TAB, K_sTAB, K_cTAB, K_mTAB},
    {GDK_KEY_ISO_Left_Tab, K_sTAB, K_sTAB, K_cTAB, K_mTAB},
    {GDK_KEY_Return, K_CR, K_sCR, K_CR, K_CR},
    {GDK_KEY_KP_Enter, K_CR, K_sCR, K_CR, K_CR},
    {GDK_KEY_Escape, K_ESC, K_ESC, K_ESC, K_ESC},
    {GDK_KEY_BackSpace, K_BS, K_BS, K_BS, K_BS},
    {GDK_KEY_F1, K_F1, K_sF1, K_cF1, K_mF1},
    {GDK_KEY_F2, K_F2, K_sF2, K_cF2, K_mF2},
    {GDK_KEY_F3, K_F3, K_sF3, K_cF3, K_mF3},
    {GDK_KEY_F4, K_F4, K_sF4, K_cF4, K_mF4},
    {GDK_KEY_F5, K_F5, K_sF5, K_cF5, K_mF5},
    {GDK_KEY_F6, K_F6, K_sF6, K_cF6, K_mF6},
    {GDK_KEY_F7, K_F7, K_sF7, K_cF7, K_mF7},
    {GDK_KEY_F8, K_F8, K_sF8, K_cF8, K_mF8},
    {GDK_KEY_F9, K_F9, K_sF9, K_cF9, K_mF9},
    {GDK_KEY_F10, K_F10, K_sF10, K_cF10, K_mF10},
    {GDK_KEY_F11, K_F11, K_sF11, K_cF11, K_mF11},
    {GDK_KEY_F12, K_F12, K_sF12, K_cF12, K_mF12},
};

// Alt with a letter: the PC scan-code based codes.
constexpr int kAltLetter[26] = {K_mA, K_mB, K_mC, K_mD, K_mE, K_mF, K_mG, K_mH, K_mI,
                                K_mJ, K_mK, K_mL, K_mM, K_mN, K_mO, K_mP, K_mQ, K_mR,
                                K_mS, K_mT, K_mU, K_mV, K_mW, K_mX, K_mY, K_mZ};
constexpr int kAltDigit[10] = {K_m0, K_m1, K_m2, K_m3, K_m4, K_m5, K_m6, K_m7, K_m8, K_m9};

}  // namespace

int KeyCode(const GdkEventKey* event) {
  const bool shift = (event->state & GDK_SHIFT_MASK) != 0;
  const bool ctrl = (event->state & GDK_CONTROL_MASK) != 0;
  const bool alt = (event->state & GDK_MOD1_MASK) != 0;
  for (const SpecialKey& k : kSpecial)
    if (k.keyval == event->keyval) return alt ? k.alt : ctrl ? k.ctrl : shift ? k.shift : k.plain;
  const guint32 c = gdk_keyval_to_unicode(event->keyval);
  if (c == 0 || c > 255) return 0;
  if (alt) {
    if (c >= 'a' && c <= 'z') return kAltLetter[c - 'a'];
    if (c >= 'A' && c <= 'Z') return kAltLetter[c - 'A'];
    if (c >= '0' && c <= '9') return kAltDigit[c - '0'];
    return 0;
  }
  if (ctrl) {
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 1);
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A' + 1);
    return 0;
  }
  return c >= 32 ? static_cast<int>(c) : 0;
}

}  // namespace iup::gtk
