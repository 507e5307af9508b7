// "FONT" and "WINFONT" on the GTK driver: every element kind that shows
// text draws it in the Pango font the names give, the layout measures with
// that same font (a label's native size is the layout's), and a bigger
// font gives bigger natural sizes.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gtkfixture.h"
#include "iup.h"

namespace {

struct Size {
  int w = 0, h = 0;
};

Size RasterSize(IupElement* e) {
  Size s;
  const char* value = IupGetAttribute(e, "RASTERSIZE");
  if (value != nullptr) std::sscanf(value, "%dx%d", &s.w, &s.h);
  return s;
}

// The widget that draws the element's text.
GtkWidget* TextWidget(IupElement* e) {
  auto* w = static_cast<GtkWidget*>(IupGetAttributePointer(e, "WID"));
  if (w == nullptr) return nullptr;
  if (GTK_IS_FRAME(w)) return gtk_frame_get_label_widget(GTK_FRAME(w));
  if (GTK_IS_BUTTON(w)) return gtk_bin_get_child(GTK_BIN(w));  // button and toggle: their label
  return w;
}

std::string FontShown(IupElement* e) {
  GtkWidget* w = TextWidget(e);
  if (w == nullptr) return "(no widget)";
  char* text = pango_font_description_to_string(
      pango_context_get_font_description(gtk_widget_get_pango_context(w)));
  std::string out = text;
  g_free(text);
  return out;
}

// Styles are worked out again at the next frames; the theme's buttons
// ease into a new style over a fifth of a second.
void Settle() {
  const gint64 end = g_get_monotonic_time() + G_USEC_PER_SEC / 2;
  while (g_get_monotonic_time() < end) IupLoopStep();
}

class Fonts : public gtkprobe::ToolkitTest {
 protected:
  // Every text-showing kind, in one dialog per font.
  std::vector<IupElement*> Shown(const char* attribute, const char* font) {
    IupElement* list = IupCreateList(nullptr);
    IupSetAttribute(list, "1", "first item");
    IupSetAttribute(list, "2", "second item");
    IupElement* dropdown = IupCreateList(nullptr);
    IupSetAttribute(dropdown, "DROPDOWN", "YES");
    IupSetAttribute(dropdown, "1", "dropped item");
    IupElement* text = IupCreateText(nullptr);
    IupSetAttribute(text, "VALUE", "typed text");
    IupElement* multiline = IupCreateMultiLine(nullptr);
    IupSetAttribute(multiline, "VALUE", "two\nlines");
    IupElement* frame = IupCreateFrame(IupCreateFill());
    IupSetAttribute(frame, "TITLE", "Framed");
    std::vector<IupElement*> elements{IupCreateLabel("Route cost: 12.5 km"),
                                      IupCreateButton("Press here", nullptr),
                                      IupCreateToggle("Tick this", nullptr),
                                      text,
                                      multiline,
                                      list,
                                      dropdown,
                                      frame};
    IupElement* column = IupCreateVbox(nullptr);
    for (IupElement* e : elements) IupAppend(column, IupCreateHbox(e, nullptr));
    IupElement* dialog = IupCreateDialog(column);
    if (attribute != nullptr)
      IupSetAttribute(dialog, attribute, font);  // inherited by every element
    IupShowXY(dialog, 10, 10);
    Settle();
    return elements;
  }
};

TEST_F(Fonts, EveryKindShowsTheFontItsNamesGive) {
  struct Case {
    const char* attribute;
    const char* value;
    const char* pango;  // what the widgets draw with
  };
  const Case cases[] = {
      {nullptr, nullptr, "Sans 8"},  // "WIN_DEFAULTFONT": MS Sans Serif 8
      {"FONT", "HELVETICA_BOLD_14", "Sans Bold 14"},
      {"FONT", "TIMES_ITALIC_18", "Serif Italic 18"},
      {"FONT", "COURIER_NORMAL_12", "Monospace 12"},
      {"WINFONT", "Courier New:BOLD,ITALIC:10", "Monospace Bold Italic 10"},
      {"WINFONT", "DejaVu Serif::16", "DejaVu Serif 16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value != nullptr ? c.value : "default");
    for (IupElement* e : Shown(c.attribute, c.value))
      EXPECT_EQ(FontShown(e), c.pango) << IupGetAttribute(e, "TITLE");
  }
}

TEST_F(Fonts, ALabelIsAsBigAsTheLayoutMeasuresIt) {
  for (const char* font :
       {"HELVETICA_NORMAL_8", "HELVETICA_BOLD_12", "TIMES_NORMAL_20", "COURIER_ITALIC_28"}) {
    SCOPED_TRACE(font);
    IupElement* label = Shown("FONT", font)[0];
    GtkRequisition natural;
    gtk_widget_get_preferred_size(TextWidget(label), nullptr, &natural);
    const Size layout = RasterSize(label);
    // the label gets the room it asks for, no more
    EXPECT_EQ(layout.w, natural.width);
    EXPECT_EQ(layout.h, natural.height);
    int cw = 0, ch = 0;
    IupGetCharSize(label, &cw, &ch);
    EXPECT_EQ(ch, natural.height) << "a character is as high as a line of the label";
  }
}

TEST_F(Fonts, ABiggerFontGivesBiggerNaturalSizes) {
  const std::vector<IupElement*> small = Shown("FONT", "HELVETICA_NORMAL_8");
  const std::vector<IupElement*> big = Shown("FONT", "HELVETICA_NORMAL_20");
  for (size_t i = 0; i < small.size(); ++i) {
    SCOPED_TRACE(i);
    const Size a = RasterSize(small[i]), b = RasterSize(big[i]);
    // the frame, last, is as wide as its contents, whatever its title
    if (i + 1 < small.size()) {
      EXPECT_GT(b.w, a.w);
    }
    EXPECT_GT(b.h, a.h);
  }
}

TEST_F(Fonts, ChangingTheDialogFontReachesItsElements) {
  const std::vector<IupElement*> elements = Shown("FONT", "HELVETICA_NORMAL_8");
  IupSetAttribute(IupGetDialog(elements[0]), "FONT", "TIMES_BOLD_16");
  Settle();
  for (IupElement* e : elements) EXPECT_EQ(FontShown(e), "Serif Bold 16");
  IupSetAttribute(elements[1], "WINFONT", "Monospace::9");
  Settle();
  EXPECT_EQ(FontShown(elements[1]), "Monospace 9") << "an element's own font goes first";
  IupSetAttribute(IupGetDialog(elements[0]), "FONT", "HELVETICA_NORMAL_10");
  Settle();
  EXPECT_EQ(FontShown(elements[0]), "Sans 10");
  EXPECT_EQ(FontShown(elements[1]), "Monospace 9");
}

}  // namespace
