// Chart texts: the string and its attributes, and the box tests.
#include "xytext.h"

#include <cstdlib>
#include <cstring>

#include "cd.h"
#include "xymath.h"

namespace {
char* Copy(const char* text) {
  if (text == nullptr) return nullptr;
  const std::size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}
}  // namespace

XYText::XYText(const char* text, XYCoord x, XYCoord y, int colour, int typeface, int style,
               int alignment, int orientation, bool underline, bool visible)
    : XYObject(x, y, visible),
      text_(Copy(text)),
      colour_(colour),
      typeface_(typeface),
      style_(style),
      alignment_(alignment),
      orientation_(orientation),
      underline_(underline) {}

XYText::XYText(const char* text, XYCoord x, XYCoord y, bool visible)
    : XYText(text, x, y, 0, 1, 0, CD_CENTER, 0, false, visible) {}

XYText::XYText(const char* text, int colour, int typeface, int style, int alignment,
               int orientation, bool underline, bool visible)
    : XYText(text, XYCoord(0), XYCoord(0), colour, typeface, style, alignment, orientation,
             underline, visible) {}

XYText::XYText(int colour, int typeface, int style, int alignment, int orientation, bool underline,
               bool visible)
    : XYText(nullptr, XYCoord(0.0), XYCoord(0.0), colour, typeface, style, alignment, orientation,
             underline, visible) {}

XYText::~XYText() {
  std::free(text_);
}

int XYText::getColour() {
  return colour_;
}
void XYText::setColour(int colour) {
  colour_ = colour;
}
int XYText::getTypeface() {
  return typeface_;
}
void XYText::setTypeface(int typeface) {
  typeface_ = typeface;
}
int XYText::getStyle() {
  return style_;
}
void XYText::setStyle(int style) {
  style_ = style;
}
int XYText::getAlignment() {
  return alignment_;
}
void XYText::setAlignment(int alignment) {
  alignment_ = alignment;
}
int XYText::getOrientation() {
  return orientation_;
}
void XYText::setOrientation(int orientation) {
  orientation_ = orientation;
}
const char* XYText::getText() {
  return text_;
}
void XYText::setText(const char* text) {
  char* copy = Copy(text);
  std::free(text_);
  text_ = copy;
}
bool XYText::getUnderline() {
  return underline_;
}
void XYText::setUnderline(bool underline) {
  underline_ = underline;
}
void XYText::assign(XYText* other) {
  setText(other ? other->getText() : nullptr);
}
void XYText::attach(XYGraph*) {}
void XYText::detach(XYGraph*) {}

bool XYText::pick(int x, int y) {
  if (!isVisible()) return false;
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  boundingBox(&x0, &y0, &x1, &y1);
  return xymath::pointInRect(x, y, x0, y0, x1, y1);
}

bool XYText::insideRect(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return false;
  int a0 = 0, b0 = 0, a1 = -1, b1 = -1;
  boundingBox(&a0, &b0, &a1, &b1);
  if (a1 < a0) return false;  // nothing to box
  return xymath::rectStrictlyInside(a0, b0, a1, b1, x0, y0, x1, y1);
}
