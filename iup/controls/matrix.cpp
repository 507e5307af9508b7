// The matrix: a spreadsheet-like grid of text cells (class "MATRIX",
// registered as "matrix") drawn on a canvas element, with a title line and
// a title column, keyboard and mouse navigation, in-place editing, marking
// of cells, lines or columns, per-cell colours, resizable columns and
// scrolling.
//
// The editor is the matrix's own TEXT element (and its drop-down LIST),
// never mapped as a window of its own: the matrix keeps the focus, hands
// each key to the text-edit routine every driver shares, and draws the
// editor over the focus cell. So editing behaves the same on every driver.
//
// A redraw draws only the visible cells: line and column positions are kept
// as running sums, so finding the cells of a scrolled view costs a binary
// search, not a walk over the grid.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "iupcontrols.h"
#include "iupdriver.h"
#include "offscreen.h"

namespace {

constexpr const char* kData = "MATRIX_DATA";
// Bounds of the grid: beyond them a count is refused (the matrix keeps its
// size and says so on standard error) rather than exhausting memory.
constexpr long kMaxLines = 1000000;
constexpr long kMaxColumns = 10000;
constexpr long kMaxCells = 10000000;
constexpr int kScrollbarSize = 15;

typedef int (*ActionCb)(IupElement* self, int key, int line, int column, int editing, char* text);
typedef int (*CellCb)(IupElement* self, int line, int column);
typedef int (*EditionCb)(IupElement* self, int line, int column, int mode);
typedef int (*DropCb)(IupElement* self, IupElement* list, int line, int column);
typedef int (*DropSelectCb)(IupElement* self, int line, int column, IupElement* list, char* text,
                            int item, int state);
typedef int (*FieldCb)(IupElement* self, IupElement** slot, int line, int column);
typedef char* (*ValueCb)(IupElement* self, int line, int column);
typedef int (*ValueEditCb)(IupElement* self, int line, int column, char* text);

template <typename T>
T Cast(IupCallback cb) {
  return reinterpret_cast<T>(reinterpret_cast<void (*)(void)>(cb));
}

struct Line {
  std::vector<std::string> text;  // cols + 1 entries, or empty while the line holds none
  std::vector<char> mark;         // cols + 1 entries, or empty while none is marked
};

// Text: the matrix's own TEXT; List: its drop-down; Field: the element an
// application gave through "FIELD_CB".
enum class EditKind { None, Text, List, Field };

struct Matrix {
  IupElement* self = nullptr;
  controls::Offscreen canvas;
  int lines = 0, cols = 0;
  std::vector<Line> grid;  // lines + 1 entries; line 0 holds the column titles
  std::vector<char> line_mark, col_mark;
  std::vector<int> dragged_width;  // pixel widths set by dragging (0: none)
  int focus_line = 1, focus_col = 1;
  int first_line = 1, first_col = 1;
  bool callback_mode = false;
  bool mapped_once = false;
  // geometry, rebuilt when something it depends on changed
  bool dirty = true;
  int geometry_w = -1, geometry_h = -1;
  int title_w = 0, title_h = 0;
  std::vector<int> col_w, line_h;   // index 0 unused (titles are title_w/h)
  std::vector<long> col_x, line_y;  // running sums: start of c/l, from the first
  // editing
  EditKind editing = EditKind::None;
  iup::event::EditState edit;  // the editor's text, selection and caret
  int list_item = 0;           // the drop-down's chosen item (from 1)
  // the drop-down's items shown under (or over) the cell, to be clicked:
  // their box in top-down pixels, the item height and how many are shown
  bool list_open = false;
  int list_x0 = 0, list_x1 = 0, list_y0 = 0, list_item_h = 0, list_shown = 0;
  IupElement* edit_text = nullptr;
  IupElement* edit_list = nullptr;
  IupElement* field = nullptr;  // while editing with a "FIELD_CB" element
  int field_serial = 0;
  // mouse
  int mark_anchor_line = 0, mark_anchor_col = 0;
  bool marking = false;
  int resizing_col = 0, resize_x = 0, resize_start_w = 0;
  int right_line = -1, right_col = -1;
  int last_key = 0;
  char last_marked_form = 'C';  // LINCOL: the form of MARKED last used ('L' or 'C')
  long cells_drawn = 0;
  bool has_picture = false;  // the off-screen image holds a whole drawing
  std::string answer;
};

IupControlClass* matrix_class = nullptr;

Matrix* DataOf(IupElement* e) {
  return static_cast<Matrix*>(IupGetAttributePointer(e, kData));
}

// ---- attributes read as numbers -------------------------------------------
bool ReadInt(const char* text, long* value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text) return false;
  *value = v;
  return true;
}
bool ReadCell(const char* text, int* line, int* col) {
  return text != nullptr && std::sscanf(text, "%d:%d", line, col) == 2;
}
const char* Own(IupElement* e, const char* format, int a) {
  char name[48];
  std::snprintf(name, sizeof name, format, a);
  return IupGetOwnAttribute(e, name);
}
const char* Own2(IupElement* e, const char* format, int a, int b) {
  char name[64];
  std::snprintf(name, sizeof name, format, a, b);
  return IupGetOwnAttribute(e, name);
}
IupCallback Callback(IupElement* e, const char* name) {
  const char* action = IupGetAttribute(e, name);
  return action != nullptr ? IupFindAction(action) : nullptr;
}

// ---- cells -----------------------------------------------------------------
std::string TextOf(Matrix& m, int line, int col) {
  if (line < 0 || col < 0 || line > m.lines || col > m.cols) return "";
  if (m.callback_mode && line > 0 && col > 0) {
    if (IupCallback cb = Callback(m.self, "VALUE_CB")) {
      const char* text = Cast<ValueCb>(cb)(m.self, line, col);
      return text != nullptr ? text : "";
    }
    return "";
  }
  const Line& l = m.grid[static_cast<size_t>(line)];
  return l.text.empty() ? std::string() : l.text[static_cast<size_t>(col)];
}
void StoreText(Matrix& m, int line, int col, const std::string& text) {
  Line& l = m.grid[static_cast<size_t>(line)];
  if (l.text.empty()) {
    if (text.empty()) return;
    l.text.resize(static_cast<size_t>(m.cols) + 1);
  }
  l.text[static_cast<size_t>(col)] = text;
  if (line == 0 || col == 0) m.dirty = true;  // titles size the title line and column
}
bool Marked(const Matrix& m, int line, int col) {
  if (m.line_mark[static_cast<size_t>(line)] || m.col_mark[static_cast<size_t>(col)]) return true;
  const Line& l = m.grid[static_cast<size_t>(line)];
  return !l.mark.empty() && l.mark[static_cast<size_t>(col)];
}
void SetCellMark(Matrix& m, int line, int col, bool on) {
  Line& l = m.grid[static_cast<size_t>(line)];
  if (l.mark.empty()) {
    if (!on) return;
    l.mark.assign(static_cast<size_t>(m.cols) + 1, 0);
  }
  l.mark[static_cast<size_t>(col)] = on ? 1 : 0;
}
void ClearMarks(Matrix& m) {
  for (Line& l : m.grid) l.mark.clear();
  std::fill(m.line_mark.begin(), m.line_mark.end(), 0);
  std::fill(m.col_mark.begin(), m.col_mark.end(), 0);
}

// Takes the cell attributes set before the grid had room for them.
void AdoptOwnCells(Matrix& m, int from_line, int from_col) {
  for (int l = 0; l <= m.lines; l++)
    for (int c = (l >= from_line ? 0 : from_col); c <= m.cols; c++) {
      const char* v = Own2(m.self, "%d:%d", l, c);
      if (v == nullptr) continue;
      StoreText(m, l, c, v);
      char name[64];
      std::snprintf(name, sizeof name, "%d:%d", l, c);
      IupSetOwnAttribute(m.self, name, nullptr);
    }
}

bool Resize(Matrix& m, long lines, long cols) {
  lines = std::max(0L, lines), cols = std::max(0L, cols);
  if (lines > kMaxLines || cols > kMaxColumns || lines * cols > kMaxCells) return false;
  const int old_lines = m.lines, old_cols = m.cols;
  m.lines = static_cast<int>(lines), m.cols = static_cast<int>(cols);
  m.grid.resize(static_cast<size_t>(lines) + 1);
  for (Line& l : m.grid) {
    if (!l.text.empty()) l.text.resize(static_cast<size_t>(cols) + 1);
    if (!l.mark.empty()) l.mark.resize(static_cast<size_t>(cols) + 1, 0);
  }
  m.line_mark.resize(static_cast<size_t>(lines) + 1, 0);
  m.col_mark.resize(static_cast<size_t>(cols) + 1, 0);
  m.dragged_width.resize(static_cast<size_t>(cols) + 1, 0);
  if (m.lines > old_lines || m.cols > old_cols) AdoptOwnCells(m, old_lines + 1, old_cols + 1);
  m.focus_line = std::clamp(m.focus_line, 1, std::max(1, m.lines));
  m.focus_col = std::clamp(m.focus_col, 1, std::max(1, m.cols));
  m.first_line = std::clamp(m.first_line, 1, std::max(1, m.lines));
  m.first_col = std::clamp(m.first_col, 1, std::max(1, m.cols));
  m.dirty = true;
  return true;
}

// ---- geometry ----------------------------------------------------------------
void CharSize(Matrix& m, int* cw, int* ch) {
  IupGetCharSize(m.self, cw, ch);
  if (*cw <= 0) *cw = 6;
  if (*ch <= 0) *ch = 13;
}
// The width of the widest text line of a title: measured on the active
// canvas (the one the matrix draws on) when there is one, else counted in
// characters.
int TextWidth(const std::string& text, int cw) {
  const bool measured = cdActiveCanvas() != nullptr;
  int widest = 0;
  size_t from = 0;
  while (from <= text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(from, end - from);
    int w = static_cast<int>(line.size()) * cw;
    if (measured && !line.empty()) {
      int th = 0;
      cdTextSize(line.c_str(), &w, &th);
    }
    widest = std::max(widest, w);
    from = end + 1;
  }
  return widest;
}
int TextLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

int ColumnWidth(Matrix& m, int c, int cw, int visible_w) {
  if (m.dragged_width[static_cast<size_t>(c)] > 0) return m.dragged_width[static_cast<size_t>(c)];
  long n = 80;
  const char* own = Own(m.self, "WIDTH%d", c);
  if (!ReadInt(own, &n) && !ReadInt(IupGetAttribute(m.self, "WIDTHDEF"), &n)) n = 80;
  long w = n == 0 ? 0 : n < 0 ? 10L * cw + 8 : n / 4 * cw + 8;
  if (visible_w > 0) w = std::min<long>(w, visible_w);
  return static_cast<int>(std::min(w, 100000L));
}
int LineHeight(Matrix& m, int l, int ch, int visible_h) {
  long n = 8;
  long h;
  if (ReadInt(Own(m.self, "HEIGHT%d", l), &n)) {
    h = n == 0 ? 0 : n < 0 ? ch + 6 : n / 8 * ch + 6;
  } else {
    const std::string title = m.callback_mode ? std::string() : TextOf(m, l, 0);
    if (TextLines(title) > 1) {
      h = static_cast<long>(TextLines(title)) * ch + 6;
    } else {
      if (!ReadInt(IupGetAttribute(m.self, "HEIGHTDEF"), &n)) n = 8;
      h = n == 0 ? 0 : n < 0 ? ch + 6 : n / 8 * ch + 6;
    }
  }
  if (visible_h > 0) h = std::min<long>(h, visible_h);
  return static_cast<int>(std::min(h, 100000L));
}

void Measure(Matrix& m, int w, int h) {
  if (!m.dirty && w == m.geometry_w && h == m.geometry_h) return;
  // texts are measured on the matrix's own canvas once it has one
  controls::ActiveCanvasGuard keep;
  if (m.canvas.screen() != nullptr) cdActivate(m.canvas.screen());
  int cw = 0, ch = 0;
  CharSize(m, &cw, &ch);
  long n = 0;
  if (ReadInt(Own(m.self, "WIDTH%d", 0), &n)) {
    m.title_w = static_cast<int>(std::max(0L, n / 4 * cw + 8));
  } else {
    int widest = -1;
    if (!m.callback_mode)
      for (int l = 1; l <= m.lines; l++) {
        const Line& line = m.grid[static_cast<size_t>(l)];
        if (!line.text.empty() && !line.text[0].empty())
          widest = std::max(widest, TextWidth(line.text[0], cw));
      }
    m.title_w = widest < 0 ? 0 : widest + 8;
  }
  if (ReadInt(Own(m.self, "HEIGHT%d", 0), &n)) {
    m.title_h = static_cast<int>(std::max(0L, n / 8 * ch + 6));
  } else {
    int tallest = -1;
    for (int c = 0; c <= m.cols; c++) {
      const std::string t = TextOf(m, 0, c);
      if (!t.empty()) tallest = std::max(tallest, TextLines(t) * ch);
    }
    m.title_h = tallest < 0 ? 0 : tallest + 6;
  }
  const int visible_w = w > 0 ? std::max(1, w - m.title_w) : 0;
  const int visible_h = h > 0 ? std::max(1, h - m.title_h) : 0;
  m.col_w.assign(static_cast<size_t>(m.cols) + 1, 0);
  m.col_x.assign(static_cast<size_t>(m.cols) + 2, 0);
  for (int c = 1; c <= m.cols; c++) {
    m.col_w[static_cast<size_t>(c)] = ColumnWidth(m, c, cw, visible_w);
    m.col_x[static_cast<size_t>(c) + 1] =
        m.col_x[static_cast<size_t>(c)] + m.col_w[static_cast<size_t>(c)];
  }
  m.line_h.assign(static_cast<size_t>(m.lines) + 1, 0);
  m.line_y.assign(static_cast<size_t>(m.lines) + 2, 0);
  for (int l = 1; l <= m.lines; l++) {
    m.line_h[static_cast<size_t>(l)] = LineHeight(m, l, ch, visible_h);
    m.line_y[static_cast<size_t>(l) + 1] =
        m.line_y[static_cast<size_t>(l)] + m.line_h[static_cast<size_t>(l)];
  }
  m.geometry_w = w, m.geometry_h = h;
  m.dirty = false;
}

int ViewWidth(Matrix& m) {
  return m.canvas.width() > 0 ? m.canvas.width() : IupGetCurrentWidth(m.self);
}
int ViewHeight(Matrix& m) {
  return m.canvas.height() > 0 ? m.canvas.height() : IupGetCurrentHeight(m.self);
}
void MeasureView(Matrix& m) {
  Measure(m, ViewWidth(m), ViewHeight(m));
}

// The first index whose running sum passes offset (binary search).
int IndexAt(const std::vector<long>& starts, int count, long offset) {
  auto it = std::upper_bound(starts.begin() + 1, starts.begin() + count + 1, offset);
  return std::clamp(static_cast<int>(it - starts.begin()) - 1, 1, std::max(1, count));
}

// ---- scrolling -----------------------------------------------------------------
void PublishScroll(Matrix& m) {
  MeasureView(m);
  iup::Driver* driver = iup::CurrentDriver();
  const long total_h = m.line_y[static_cast<size_t>(m.lines) + 1];
  const long total_w = m.col_x[static_cast<size_t>(m.cols) + 1];
  const int view_h = std::max(0, ViewHeight(m) - m.title_h);
  const int view_w = std::max(0, ViewWidth(m) - m.title_w);
  auto put = [&](const char* name, double value) {
    // kept as the element's own values, where the core's scrollbar
    // arithmetic and the drivers read them
    char text[64];
    std::snprintf(text, sizeof text, "%.5f", value);
    IupSetOwnAttribute(m.self, name, text);
    if (driver != nullptr) driver->SetAttribute(m.self, name, IupGetOwnAttribute(m.self, name));
  };
  const double dy = total_h > 0 ? std::min(1.0, double(view_h) / double(total_h)) : 1.0;
  const double dx = total_w > 0 ? std::min(1.0, double(view_w) / double(total_w)) : 1.0;
  put("YMIN", 0), put("YMAX", 1), put("DY", dy);
  put("XMIN", 0), put("XMAX", 1), put("DX", dx);
  put("POSY",
      total_h > 0 ? double(m.line_y[static_cast<size_t>(m.first_line)]) / double(total_h) : 0);
  put("POSX",
      total_w > 0 ? double(m.col_x[static_cast<size_t>(m.first_col)]) / double(total_w) : 0);
}

// The last first line (column) that still fills the view.
int LastFirstLine(Matrix& m) {
  const long total = m.line_y[static_cast<size_t>(m.lines) + 1];
  const long view = std::max(1, ViewHeight(m) - m.title_h);
  if (total <= view) return 1;
  return std::min(m.lines, IndexAt(m.line_y, m.lines, total - view - 1) + 1);
}
int LastFirstCol(Matrix& m) {
  const long total = m.col_x[static_cast<size_t>(m.cols) + 1];
  const long view = std::max(1, ViewWidth(m) - m.title_w);
  if (total <= view) return 1;
  return std::min(m.cols, IndexAt(m.col_x, m.cols, total - view - 1) + 1);
}

// Lines wholly visible from first (at least one).
int PageLines(Matrix& m) {
  const long view = std::max(1, ViewHeight(m) - m.title_h);
  const long top = m.line_y[static_cast<size_t>(m.first_line)];
  int last = IndexAt(m.line_y, m.lines, top + view - 1);
  if (m.line_y[static_cast<size_t>(last) + 1] > top + view) last--;
  return std::max(1, last - m.first_line + 1);
}

// The first index from which the item at last ends within view.
int FirstShowing(const std::vector<long>& starts, int count, int last, long view) {
  const long target = starts[static_cast<size_t>(last) + 1] - view;
  int first = IndexAt(starts, count, std::max(0L, target));
  if (starts[static_cast<size_t>(first)] < target) first++;
  return std::min(first, last);
}

void ShowFocus(Matrix& m) {
  MeasureView(m);
  // nothing to scroll into before the matrix has a size
  if (m.lines < 1 || m.cols < 1 || ViewWidth(m) <= 0 || ViewHeight(m) <= 0) return;
  const long view_h = std::max(1, ViewHeight(m) - m.title_h);
  const long view_w = std::max(1, ViewWidth(m) - m.title_w);
  if (m.focus_line < m.first_line) m.first_line = m.focus_line;
  m.first_line = std::max(m.first_line, FirstShowing(m.line_y, m.lines, m.focus_line, view_h));
  if (m.focus_col < m.first_col) m.first_col = m.focus_col;
  m.first_col = std::max(m.first_col, FirstShowing(m.col_x, m.cols, m.focus_col, view_w));
}

// ---- the editor -------------------------------------------------------------
// The element that edits the focus cell as text: the "FIELD_CB" element
// while it exists, else the matrix's own TEXT.
IupElement* EditorElement(Matrix& m) {
  if (m.editing == EditKind::Field && IupFromSerial(m.field_serial) == m.field) return m.field;
  return m.edit_text;
}
bool FieldIsText(Matrix& m) {
  return m.editing == EditKind::Field && EditorElement(m) == m.field &&
         IupGetKind(m.field) == IUP_TEXT;
}
// Editing a text: in the matrix's own TEXT or in a field.
bool EditsText(Matrix& m) {
  return m.editing == EditKind::Text || m.editing == EditKind::Field;
}
// A field that is not a TEXT edits its own way: its "VALUE" is the text.
void ReadFieldValue(Matrix& m) {
  if (m.editing != EditKind::Field || FieldIsText(m) || EditorElement(m) != m.field) return;
  const char* v = IupGetAttribute(m.field, "VALUE");
  m.edit.text = v != nullptr ? v : "";
  m.edit.caret = m.edit.start = m.edit.end = static_cast<int>(m.edit.text.size());
}

// ---- drawing -------------------------------------------------------------------
long Colour(IupElement*, const char* value, long fallback) {
  long c = fallback;
  if (value != nullptr) controls::ColourOf(value, &c);
  return c;
}

const char* CellColourText(Matrix& m, const char* which, int line, int col) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%d:%d", which, line, col);
  if (const char* v = IupGetOwnAttribute(m.self, name)) return v;
  std::snprintf(name, sizeof name, "%s%d:*", which, line);
  if (const char* v = IupGetOwnAttribute(m.self, name)) return v;
  std::snprintf(name, sizeof name, "%s*:%d", which, col);
  if (const char* v = IupGetOwnAttribute(m.self, name)) return v;
  return IupGetAttribute(m.self, which);
}

long Darker(long colour, double f) {
  unsigned char r = 0, g = 0, b = 0;
  cdDecodeColor(colour, &r, &g, &b);
  return cdEncodeColor(static_cast<unsigned char>(r * f), static_cast<unsigned char>(g * f),
                       static_cast<unsigned char>(b * f));
}

int Alignment(Matrix& m, int col) {
  const char* a = Own(m.self, "ALIGNMENT%d", col);
  if (a == nullptr) return col == 0 ? CD_WEST : CD_CENTER;
  if (std::strcmp(a, "ALEFT") == 0) return CD_WEST;
  if (std::strcmp(a, "ACENTER") == 0) return CD_CENTER;
  return CD_EAST;
}

// Box from top-down pixel rows y0..y1 on a canvas of height h.
void BoxTd(int x0, int x1, int y0, int y1, int h) {
  cdBox(x0, x1, h - 1 - y1, h - 1 - y0);
}
void LineTd(int x0, int y0, int x1, int y1, int h) {
  cdLine(x0, h - 1 - y0, x1, h - 1 - y1);
}

void DrawText(const std::string& text, int align, int x0, int x1, int y0, int y1, int h) {
  if (text.empty() || x1 - x0 < 2 || y1 - y0 < 2) return;
  cdClipArea(x0 + 1, x1 - 1, h - 1 - y1 + 1, h - 1 - y0 - 1);
  cdClip(CD_CLIPAREA);
  const int y = h - 1 - (y0 + y1) / 2;
  const int x = align == CD_WEST ? x0 + 4 : align == CD_EAST ? x1 - 4 : (x0 + x1) / 2;
  cdTextAlignment(align);
  cdText(x, y, text.c_str());
  cdClip(CD_CLIPOFF);
}

void DrawTitle(Matrix& m, const std::string& text, int align, bool marked, long colour_bg,
               const char* own_bg, long fg, int x0, int x1, int y0, int y1, int h) {
  long bg = Colour(m.self, own_bg, colour_bg);
  if (marked) bg = Darker(bg, 0.8);
  cdForeground(bg);
  BoxTd(x0, x1, y0, y1, h);
  cdForeground(cdEncodeColor(255, 255, 255));
  LineTd(x0, y0, x1, y0, h);
  LineTd(x0, y0, x0, y1, h);
  cdForeground(cdEncodeColor(102, 102, 102));
  LineTd(x0, y1, x1, y1, h);
  LineTd(x1, y0, x1, y1, h);
  cdForeground(fg);
  DrawText(text, align, x0, x1, y0, y1, h);
}

void DrawEditor(Matrix& m, int x0, int x1, int y0, int y1, int h, long fg, long bg) {
  cdForeground(bg);
  BoxTd(x0, x1, y0, y1, h);
  cdForeground(cdEncodeColor(0, 0, 0));
  cdRect(x0, x1, h - 1 - y1, h - 1 - y0);
  int cw = 6, ch = 13;
  CharSize(m, &cw, &ch);
  cdForeground(fg);
  if (m.editing == EditKind::List) {
    const char* item = Own(m.edit_list, "%d", m.list_item);
    DrawText(item != nullptr ? item : "", CD_WEST, x0, x1 - 12, y0, y1, h);
    // the drop-down's arrow
    const int ax = x1 - 8, ay = h - 1 - (y0 + y1) / 2;
    for (int i = 0; i < 4; i++) cdLine(ax - i, ay + 2 - i, ax + i, ay + 2 - i);
    return;
  }
  DrawText(m.edit.text, CD_WEST, x0, x1, y0, y1, h);
  if (m.editing == EditKind::Field && !FieldIsText(m)) return;
  // the caret after the text drawn from the left edge (+4)
  const int cx = x0 + 4 + m.edit.caret * cw;
  if (cx < x1) LineTd(cx, y0 + 3, cx, y1 - 3, h);
}

// The lines and columns a redraw covers (from 1; a title is drawn with its
// line or column).
struct Region {
  int line_from = 1, line_to = INT_MAX, col_from = 1, col_to = INT_MAX;
  bool Whole() const {
    return line_from <= 1 && line_to == INT_MAX && col_from <= 1 && col_to == INT_MAX;
  }
};

// The drop-down's items, one per cell height, below the cell when they fit
// there, else on the side with more room (as many as the canvas holds); the
// chosen item is shown marked.
void DrawOpenList(Matrix& m, int x0, int x1, int cell_y0, int cell_y1, int h, long fg, long bg) {
  int count = 0;
  while (count < 10000 && Own(m.edit_list, "%d", count + 1) != nullptr) count++;
  const int ih = cell_y1 - cell_y0 + 1;
  if (count == 0 || ih <= 0) return;
  const int below = (h - 1 - cell_y1) / ih, above = cell_y0 / ih;
  const bool down = below >= count || below >= above;
  const int shown = std::min(count, down ? below : above);
  if (shown <= 0) return;
  const int y0 = down ? cell_y1 + 1 : cell_y0 - shown * ih;
  m.list_x0 = x0, m.list_x1 = x1, m.list_y0 = y0, m.list_item_h = ih, m.list_shown = shown;
  for (int i = 1; i <= shown; i++) {
    const int iy0 = y0 + (i - 1) * ih, iy1 = iy0 + ih - 1;
    const bool chosen = i == m.list_item;
    cdForeground(chosen ? cdEncodeColor(0, 0, 128) : bg);
    BoxTd(x0, x1, iy0, iy1, h);
    cdForeground(chosen ? cdEncodeColor(255, 255, 255) : fg);
    const char* item = Own(m.edit_list, "%d", i);
    DrawText(item != nullptr ? item : "", CD_WEST, x0, x1, iy0, iy1, h);
  }
  cdForeground(cdEncodeColor(0, 0, 0));
  cdRect(x0, x1, h - 1 - (y0 + shown * ih - 1), h - 1 - y0);
}

// Draws the visible part of the matrix on the active canvas, w x h pixels;
// a region short of the whole grid is drawn over the picture already there.
void Draw(Matrix& m, int w, int h, const Region& region = Region()) {
  Measure(m, w, h);
  m.cells_drawn = 0;
  const bool whole = region.Whole();
  const long dialog_bg = Colour(m.self, IupGetAttribute(IupGetDialog(m.self), "BGCOLOR"),
                                cdEncodeColor(192, 192, 192));
  const long default_bg =
      Colour(m.self, IupGetAttribute(m.self, "BGCOLOR"), cdEncodeColor(255, 255, 255));
  const long default_fg =
      Colour(m.self, IupGetAttribute(m.self, "FGCOLOR"), cdEncodeColor(0, 0, 0));
  const long grid_colour = cdEncodeColor(160, 160, 160);
  cdWriteMode(CD_REPLACE);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdInteriorStyle(CD_SOLID);
  cdBackOpacity(CD_TRANSPARENT);
  cdBackground(dialog_bg);
  if (whole) cdClear();
  const bool active = IupGetAttributeBool(m.self, "ACTIVE") != 0;
  // the visible columns and lines
  std::vector<int> cols, lines;
  for (int c = m.first_col, x = m.title_w; c <= m.cols && x < w; c++) {
    if (m.col_w[static_cast<size_t>(c)] == 0) continue;
    cols.push_back(c);
    x += m.col_w[static_cast<size_t>(c)];
  }
  for (int l = m.first_line, y = m.title_h; l <= m.lines && y < h; l++) {
    if (m.line_h[static_cast<size_t>(l)] == 0) continue;
    lines.push_back(l);
    y += m.line_h[static_cast<size_t>(l)];
  }
  int list_cell_x0 = -1, list_cell_x1 = -1, list_cell_y0 = -1, list_cell_y1 = -1;
  auto in_lines = [&](int l) { return l >= region.line_from && l <= region.line_to; };
  auto in_cols = [&](int c) { return c >= region.col_from && c <= region.col_to; };
  // cells
  int y = m.title_h;
  for (int l : lines) {
    const int lh = m.line_h[static_cast<size_t>(l)];
    int x = m.title_w;
    for (int c : cols) {
      const int cw = m.col_w[static_cast<size_t>(c)];
      if (!in_lines(l) || !in_cols(c)) {
        x += cw;
        continue;
      }
      long bg = Colour(m.self, CellColourText(m, "BGCOLOR", l, c), default_bg);
      long fg = Colour(m.self, CellColourText(m, "FGCOLOR", l, c), default_fg);
      if (Marked(m, l, c)) bg = Darker(bg, 0.7);
      if (!active) fg = cdEncodeColor(128, 128, 128);
      const int x1 = x + cw - 1, y1 = y + lh - 1;
      if (m.editing != EditKind::None && l == m.focus_line && c == m.focus_col) {
        DrawEditor(m, x, x1, y, y1, h, fg,
                   Colour(m.self, CellColourText(m, "BGCOLOR", l, c), default_bg));
        list_cell_x0 = x, list_cell_x1 = x1, list_cell_y0 = y, list_cell_y1 = y1;
      } else {
        cdForeground(bg);
        BoxTd(x, x1, y, y1, h);
        cdForeground(fg);
        DrawText(TextOf(m, l, c), Alignment(m, c), x, x1, y, y1, h);
        cdForeground(grid_colour);
        LineTd(x, y1, x1, y1, h);
        LineTd(x1, y, x1, y1, h);
        if (l == m.focus_line && c == m.focus_col) {
          cdForeground(cdEncodeColor(0, 0, 0));
          cdRect(x + 1, x1 - 1, h - 1 - (y1 - 1), h - 1 - (y + 1));
        }
      }
      m.cells_drawn++;
      x += cw;
    }
    y += lh;
  }
  // titles
  if (m.title_h > 0) {
    int x = m.title_w;
    for (int c : cols) {
      const int x1 = x + m.col_w[static_cast<size_t>(c)] - 1;
      if (!in_cols(c)) {
        x = x1 + 1;
        continue;
      }
      DrawTitle(m, TextOf(m, 0, c), CD_CENTER, m.col_mark[static_cast<size_t>(c)] != 0, dialog_bg,
                Own2(m.self, "BGCOLOR%d:%d", 0, c), default_fg, x, x1, 0, m.title_h - 1, h);
      x = x1 + 1;
    }
  }
  if (m.title_w > 0) {
    int yy = m.title_h;
    for (int l : lines) {
      const int y1 = yy + m.line_h[static_cast<size_t>(l)] - 1;
      if (!in_lines(l)) {
        yy = y1 + 1;
        continue;
      }
      DrawTitle(m, TextOf(m, l, 0), Alignment(m, 0), m.line_mark[static_cast<size_t>(l)] != 0,
                dialog_bg, Own2(m.self, "BGCOLOR%d:%d", l, 0), default_fg, 0, m.title_w - 1, yy, y1,
                h);
      yy = y1 + 1;
    }
  }
  if (m.title_w > 0 && m.title_h > 0 && whole)
    DrawTitle(m, TextOf(m, 0, 0), CD_CENTER, false, dialog_bg, Own2(m.self, "BGCOLOR%d:%d", 0, 0),
              default_fg, 0, m.title_w - 1, 0, m.title_h - 1, h);
  m.list_shown = 0;
  if (m.editing == EditKind::List && m.list_open && list_cell_x0 >= 0)
    DrawOpenList(m, list_cell_x0, list_cell_x1, list_cell_y0, list_cell_y1, h, default_fg,
                 default_bg);
}

void Redraw(Matrix& m, const Region& region = Region()) {
  if (!m.canvas.EnsureScreen(m.self)) return;
  cdCanvasHandle previous = nullptr;
  if (!m.canvas.Begin(&previous)) return;
  // a new image, or a picture whose geometry changed since, is drawn whole
  const bool stale = !m.has_picture || m.list_open || m.dirty || m.geometry_w != m.canvas.width() ||
                     m.geometry_h != m.canvas.height();
  Draw(m, m.canvas.width(), m.canvas.height(), stale ? Region() : region);
  m.has_picture = true;
  m.canvas.End(previous);
}

// "REDRAW": "L" and a line or a "%d:%d" range of lines, "C" likewise for
// columns; anything else is the whole matrix.
Region RegionOf(const char* value) {
  Region r;
  if (value == nullptr || (value[0] != 'L' && value[0] != 'C')) return r;
  int from = 0, to = 0;
  const int n = std::sscanf(value + 1, "%d:%d", &from, &to);
  if (n < 1) return r;
  if (n == 1) to = from;
  if (from > to) std::swap(from, to);
  if (value[0] == 'L')
    r.line_from = from, r.line_to = to;
  else
    r.col_from = from, r.col_to = to;
  return r;
}

// ---- focus and editing ----------------------------------------------------------
int CallCell(Matrix& m, const char* name, int line, int col) {
  if (IupCallback cb = Callback(m.self, name)) return Cast<CellCb>(cb)(m.self, line, col);
  return IUP_DEFAULT;
}
int CallEdition(Matrix& m, int mode) {
  if (IupCallback cb = Callback(m.self, "EDITION_CB"))
    return Cast<EditionCb>(cb)(m.self, m.focus_line, m.focus_col, mode);
  return IUP_DEFAULT;
}

// Moves the focus with the leave and enter callbacks; false when refused.
bool MoveTo(Matrix& m, int line, int col) {
  if (m.lines < 1 || m.cols < 1) return false;
  line = std::clamp(line, 1, m.lines), col = std::clamp(col, 1, m.cols);
  if (line == m.focus_line && col == m.focus_col) return true;
  const int serial = IupGetSerial(m.self);
  IupElement* self = m.self;
  if (CallCell(m, "LEAVEITEM_CB", m.focus_line, m.focus_col) == IUP_IGNORE) return false;
  if (IupFromSerial(serial) != self) return false;
  m.focus_line = line, m.focus_col = col;
  ShowFocus(m);
  PublishScroll(m);
  Redraw(m);
  CallCell(m, "ENTERITEM_CB", line, col);
  return true;
}

// Starts editing the focus cell; initial: the editor's text (null: the
// cell's own text). False when refused.
bool StartEdit(Matrix& m, const std::string* initial) {
  if (m.editing != EditKind::None) return true;
  if (m.lines < 1 || m.cols < 1) return false;
  const int serial = IupGetSerial(m.self);
  IupElement* self = m.self;
  if (CallEdition(m, 1) == IUP_IGNORE || IupFromSerial(serial) != self) return false;
  bool with_list = false;
  if (IupCallback cb = Callback(m.self, "DROP_CB")) {
    IupSetAttribute(m.edit_list, "1", nullptr);
    with_list = Cast<DropCb>(cb)(m.self, m.edit_list, m.focus_line, m.focus_col) == IUP_DEFAULT;
    if (IupFromSerial(serial) != self) return false;
  }
  IupElement* field = nullptr;
  if (!with_list) {
    if (IupCallback cb = Callback(m.self, "FIELD_CB")) {
      IupElement* slot = nullptr;
      const int r = Cast<FieldCb>(cb)(m.self, &slot, m.focus_line, m.focus_col);
      if (IupFromSerial(serial) != self) return false;
      // the matrix and its own editors cannot stand in for a field
      if (r == IUP_DEFAULT && slot != nullptr && slot != m.self && slot != m.edit_list &&
          slot != m.edit_text)
        field = slot;
    }
  }
  if (with_list) {
    m.editing = EditKind::List;
    m.list_open = false;
    m.list_item = 1;
    const std::string current = TextOf(m, m.focus_line, m.focus_col);
    for (int i = 1; i < 10000; i++) {
      const char* item = Own(m.edit_list, "%d", i);
      if (item == nullptr) break;
      if (current == item) m.list_item = i;
    }
  } else {
    m.editing = field != nullptr ? EditKind::Field : EditKind::Text;
    m.field = field;
    m.field_serial = IupGetSerial(field);
    m.edit.text = initial != nullptr ? *initial : TextOf(m, m.focus_line, m.focus_col);
    m.edit.caret = m.edit.start = m.edit.end = static_cast<int>(m.edit.text.size());
    IupSetAttributeCopy(EditorElement(m), "VALUE", m.edit.text.c_str());
  }
  ShowFocus(m);
  Redraw(m);
  return true;
}

void Store(Matrix& m, const std::string& text) {
  if (m.callback_mode) {
    if (IupCallback cb = Callback(m.self, "VALUE_EDIT_CB")) {
      std::string copy = text;
      Cast<ValueEditCb>(cb)(m.self, m.focus_line, m.focus_col, copy.data());
    }
    return;
  }
  StoreText(m, m.focus_line, m.focus_col, text);
}

// Ends editing keeping (or, cancelled, dropping) the edited text; false
// when "EDITION_CB" refuses.
bool EndEdit(Matrix& m, bool cancel) {
  if (m.editing == EditKind::None) return true;
  if (cancel) m.edit.text = TextOf(m, m.focus_line, m.focus_col);
  const int serial = IupGetSerial(m.self);
  IupElement* self = m.self;
  if (CallEdition(m, 0) == IUP_IGNORE && !cancel) return false;
  if (IupFromSerial(serial) != self) return false;
  if (!cancel) {
    if (m.editing == EditKind::List) {
      const char* item = Own(m.edit_list, "%d", m.list_item);
      if (item != nullptr) {
        const std::string text = item;
        if (IupCallback cb = Callback(m.self, "DROPSELECT_CB")) {
          std::string copy = text;
          Cast<DropSelectCb>(cb)(m.self, m.focus_line, m.focus_col, m.edit_list, copy.data(),
                                 m.list_item, 1);
          if (IupFromSerial(serial) != self) return false;
        }
        Store(m, text);
      }
    } else {
      ReadFieldValue(m);
      Store(m, m.edit.text);
    }
  }
  m.editing = EditKind::None;
  m.field = nullptr;
  m.list_open = false;
  Redraw(m);
  return true;
}

// ---- keys -------------------------------------------------------------------------
bool Printable(int key) {
  return key >= 32 && key <= 255 && key != 127;
}

// The application's action; returns the key to go on with, or a code to stop.
int AppAction(Matrix& m, int key, bool editing) {
  IupCallback cb = Callback(m.self, "iup_matrix_app_action");
  if (cb == nullptr) return key;
  std::string text;
  if (editing)
    text = m.editing == EditKind::List ? "" : m.edit.text;
  else if (Printable(key))
    text = std::string(1, static_cast<char>(key));
  else
    text = TextOf(m, m.focus_line, m.focus_col);
  const int r =
      Cast<ActionCb>(cb)(m.self, key, m.focus_line, m.focus_col, editing ? 1 : 0, text.data());
  if (r == IUP_DEFAULT) return key;
  if (r == IUP_IGNORE || r == IUP_CLOSE || r == IUP_CONTINUE) return r;
  return r > 0 ? r : IUP_IGNORE;
}

void NextCell(Matrix& m, bool forward) {
  int l = m.focus_line, c = m.focus_col + (forward ? 1 : -1);
  if (c > m.cols) c = 1, l++;
  if (c < 1) c = m.cols, l--;
  if (l < 1 || l > m.lines) return;
  MoveTo(m, l, c);
}

void NavigateKey(Matrix& m, int key) {
  const int previous = m.last_key;
  m.last_key = key;
  switch (key) {
    case K_TAB:
      NextCell(m, true);
      return;
    case K_sTAB:
      NextCell(m, false);
      return;
    case K_CR:
    case K_sCR:
    case K_SP:
      StartEdit(m, nullptr);
      return;
    case K_UP:
    case K_cUP:
      MoveTo(m, m.focus_line - 1, m.focus_col);
      return;
    case K_DOWN:
    case K_cDOWN:
      MoveTo(m, m.focus_line + 1, m.focus_col);
      return;
    case K_LEFT:
    case K_cLEFT:
      MoveTo(m, m.focus_line, m.focus_col - 1);
      return;
    case K_RIGHT:
    case K_cRIGHT:
      MoveTo(m, m.focus_line, m.focus_col + 1);
      return;
    case K_HOME:
      MoveTo(m, previous == K_HOME ? 1 : m.focus_line, 1);
      return;
    case K_END:
      MoveTo(m, previous == K_END ? m.lines : m.focus_line, m.cols);
      return;
    case K_PGUP:
      MoveTo(m, m.focus_line - PageLines(m), m.focus_col);
      return;
    case K_PGDN:
      MoveTo(m, m.focus_line + PageLines(m), m.focus_col);
      return;
    default:
      break;
  }
  if (Printable(key)) {
    const std::string initial(1, static_cast<char>(key));
    StartEdit(m, &initial);
  } else {
    const std::string empty;
    StartEdit(m, &empty);
  }
}

// What the editor needs of the text-edit routine: it shows the new state
// in the cell.
class Editor : public iup::event::EditControl {
 public:
  explicit Editor(Matrix& m) : m_(m) {}
  void Show(const iup::event::EditState& state) override {
    m_.edit = state;
    IupSetAttributeCopy(EditorElement(m_), "VALUE", state.text.c_str());
    Redraw(m_);
  }
  int MaxChars() override {
    long n = 0;
    return ReadInt(IupGetAttribute(EditorElement(m_), "NC"), &n) && n > 0 ? static_cast<int>(n)
                                                                          : 1 << 30;
  }
  std::string PasteText() override { return std::string(); }
  void CutText(const std::string&) override {}

 private:
  Matrix& m_;
};

// Whether a key leaves a "FIELD_CB" element: its "TAB_CHANGE",
// "STAB_CHANGE", "LEFT_BORDER" or "RIGHT_BORDER" (1 or 0). Unset, Tab and
// Shift+Tab leave (as they leave the matrix's own editor), the arrows stay.
bool FieldLeavesOn(Matrix& m, int key) {
  const char* name = key == K_TAB    ? "TAB_CHANGE"
                     : key == K_sTAB ? "STAB_CHANGE"
                     : key == K_LEFT ? "LEFT_BORDER"
                                     : "RIGHT_BORDER";
  long v = 0;
  if (ReadInt(IupGetAttribute(m.field, name), &v)) return v == 1;
  return key == K_TAB || key == K_sTAB;
}

// A key for a field that is not a TEXT: its own "K_ANY" handles it.
void FieldKey(Matrix& m, int key) {
  const int serial = IupGetSerial(m.self);
  IupElement* self = m.self;
  if (IupCallback cb = Callback(m.field, "K_ANY")) Cast<IupCallbackI>(cb)(m.field, key);
  if (IupFromSerial(serial) != self) return;
  ReadFieldValue(m);
  Redraw(m);
}

void EditKey(Matrix& m, int key) {
  const int size = static_cast<int>(m.edit.text.size());
  const bool list = m.editing == EditKind::List;
  if (m.editing == EditKind::Field) {
    if (EditorElement(m) != m.field) {
      // the field is gone: the cell keeps the text it had last
      EndEdit(m, false);
      return;
    }
    if ((key == K_TAB || key == K_sTAB || key == K_LEFT || key == K_RIGHT) &&
        !FieldLeavesOn(m, key)) {
      if (!FieldIsText(m)) return FieldKey(m, key);
      if (key == K_TAB || key == K_sTAB) return;  // a TEXT has no use for them
    } else if (key == K_LEFT || key == K_RIGHT) {
      if (!EndEdit(m, false)) return;
      MoveTo(m, m.focus_line, m.focus_col + (key == K_RIGHT ? 1 : -1));
      return;
    } else if (key != K_TAB && key != K_sTAB && key != K_CR && key != K_sCR && key != K_ESC &&
               !FieldIsText(m)) {
      return FieldKey(m, key);
    }
  }
  auto finish_and_move = [&](int dl, int dc, bool tab) {
    if (!EndEdit(m, false)) return;
    if (tab)
      NextCell(m, dc > 0);
    else
      MoveTo(m, m.focus_line + dl, m.focus_col + dc);
  };
  switch (key) {
    case K_CR:
      finish_and_move(1, 0, false);
      return;
    case K_sCR:
      finish_and_move(-1, 0, false);
      return;
    case K_ESC:
      EndEdit(m, true);
      return;
    case K_TAB:
      finish_and_move(0, 1, true);
      return;
    case K_sTAB:
      finish_and_move(0, -1, true);
      return;
    default:
      break;
  }
  if (list) {
    if (key == K_UP && m.list_item > 1) m.list_item--;
    if (key == K_DOWN && Own(m.edit_list, "%d", m.list_item + 1) != nullptr) m.list_item++;
    Redraw(m);
    return;
  }
  const bool own_editor = m.editing == EditKind::Text;
  if (own_editor && key == K_LEFT && m.edit.caret == 0) return finish_and_move(0, -1, false);
  if (own_editor && key == K_RIGHT && m.edit.caret >= size) return finish_and_move(0, 1, false);
  Editor editor(m);
  const int serial = IupGetSerial(m.self);
  IupElement* self = m.self;
  if (iup::event::EditKey(EditorElement(m), m.edit, key, editor) !=
      iup::event::EditKeyOutcome::NotAnEdit)
    return;
  if (IupFromSerial(serial) != self) return;
  // caret moves
  int caret = m.edit.caret;
  if (key == K_LEFT) caret--;
  if (key == K_RIGHT) caret++;
  if (key == K_HOME) caret = 0;
  if (key == K_END) caret = size;
  m.edit.caret = m.edit.start = m.edit.end = std::clamp(caret, 0, size);
  Redraw(m);
}

int KeyCb(IupElement* e, int key) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  const int serial = IupGetSerial(e);
  if (IupCallback app = Callback(e, "IUP_MATRIX_APP_K_ANY")) {
    const int r = Cast<IupCallbackI>(app)(e, key);
    if (r == IUP_IGNORE || r == IUP_CLOSE) return r;
    if (IupFromSerial(serial) != e) return IUP_IGNORE;
  }
  const bool editing = m->editing != EditKind::None;
  const int k = AppAction(*m, key, editing);
  if (IupFromSerial(serial) != e) return IUP_IGNORE;
  if (k == IUP_CLOSE) return IUP_CLOSE;
  if (k < 0) return IUP_IGNORE;
  if (m->editing != EditKind::None)
    EditKey(*m, k);
  else
    NavigateKey(*m, k);
  return IUP_IGNORE;  // the matrix consumed the key
}

// ---- mouse ----------------------------------------------------------------------------
// The line and column under (x, y) (mouse y from the top); 0 for a title,
// -1 outside.
void CellAt(Matrix& m, int x, int y, int* line, int* col) {
  MeasureView(m);
  *line = *col = -1;
  if (y < m.title_h)
    *line = 0;
  else if (m.lines > 0) {
    const long offset = y - m.title_h + m.line_y[static_cast<size_t>(m.first_line)];
    if (offset < m.line_y[static_cast<size_t>(m.lines) + 1])
      *line = IndexAt(m.line_y, m.lines, offset);
  }
  if (x < m.title_w)
    *col = 0;
  else if (m.cols > 0) {
    const long offset = x - m.title_w + m.col_x[static_cast<size_t>(m.first_col)];
    if (offset < m.col_x[static_cast<size_t>(m.cols) + 1]) *col = IndexAt(m.col_x, m.cols, offset);
  }
}

// The column whose right border is within 3 pixels of x on the title line.
int BorderAt(Matrix& m, int x) {
  int right = m.title_w;
  for (int c = m.first_col; c <= m.cols && right < ViewWidth(m) + 4; c++) {
    right += m.col_w[static_cast<size_t>(c)];
    if (m.col_w[static_cast<size_t>(c)] > 0 && std::abs(x - right) <= 3) return c;
  }
  return 0;
}

const char* Mode(Matrix& m) {
  const char* mode = IupGetAttribute(m.self, "MARK_MODE");
  return mode != nullptr ? mode : "NO";
}
bool ModeIs(Matrix& m, const char* name) {
  return std::strcmp(Mode(m), name) == 0;
}
bool Multiple(Matrix& m) {
  return IupGetAttributeBool(m.self, "MULTIPLE") == 1;
}
bool Continuous(Matrix& m) {
  const char* area = IupGetAttribute(m.self, "AREA");
  return area == nullptr || std::strcmp(area, "CONTINUOUS") == 0;
}

void MarkRange(Matrix& m, int l0, int c0, int l1, int c1) {
  if (l0 > l1) std::swap(l0, l1);
  if (c0 > c1) std::swap(c0, c1);
  for (int l = l0; l <= l1; l++)
    for (int c = c0; c <= c1; c++) SetCellMark(m, l, c, true);
}

void MarkOnPress(Matrix& m, int line, int col, bool shift, bool ctrl) {
  const bool multiple = Multiple(m);
  const bool cells = ModeIs(m, "CELL");
  const bool by_line = ModeIs(m, "LIN") || ModeIs(m, "LINCOL");
  const bool by_col = ModeIs(m, "COL") || ModeIs(m, "LINCOL");
  const bool toggle = ctrl && multiple && !Continuous(m);
  if (line == 0 && col > 0 && by_col) {
    if (!toggle && !(shift && multiple)) ClearMarks(m);
    m.col_mark[static_cast<size_t>(col)] = toggle ? !m.col_mark[static_cast<size_t>(col)] : 1;
    m.last_marked_form = 'C';
    return;
  }
  if (col == 0 && line > 0 && by_line) {
    if (!toggle && !(shift && multiple)) ClearMarks(m);
    m.line_mark[static_cast<size_t>(line)] = toggle ? !m.line_mark[static_cast<size_t>(line)] : 1;
    m.last_marked_form = 'L';
    return;
  }
  if (!cells || line < 1 || col < 1) return;
  if (shift && multiple) {
    ClearMarks(m);
    MarkRange(m, m.mark_anchor_line, m.mark_anchor_col, line, col);
    return;
  }
  if (toggle) {
    SetCellMark(m, line, col, !Marked(m, line, col));
  } else {
    ClearMarks(m);
    SetCellMark(m, line, col, true);
  }
  m.mark_anchor_line = line, m.mark_anchor_col = col;
  m.marking = multiple;
}

// A left press while the drop-down edits the cell: on the cell it opens or
// closes the items, on an item it chooses that item and ends the edit.
// Elsewhere the items close and the press goes on (it ends the edit).
// True when the press was the list's.
bool ListPress(Matrix& m, int x, int y, int line, int col) {
  if (m.list_open && m.list_shown > 0 && x >= m.list_x0 && x <= m.list_x1 && y >= m.list_y0 &&
      y < m.list_y0 + m.list_shown * m.list_item_h) {
    m.list_item = (y - m.list_y0) / m.list_item_h + 1;
    m.list_open = false;
    EndEdit(m, false);
    return true;
  }
  if (line == m.focus_line && col == m.focus_col) {
    m.list_open = !m.list_open;
    Redraw(m);
    return true;
  }
  if (m.list_open) {
    m.list_open = false;
    Redraw(m);
  }
  return false;
}

int ButtonCb(IupElement* e, int button, int pressed, int x, int y, char* status) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  const int serial = IupGetSerial(e);
  const std::string st = status != nullptr ? status : "";
  const bool shift = st.size() > 0 && st[0] == 'S';
  const bool ctrl = st.size() > 1 && st[1] == 'C';
  const bool dbl = st.size() > 5 && st[5] == 'D';
  int line = -1, col = -1;
  CellAt(*m, x, y, &line, &col);
  if (button == IUP_BUTTON3) {
    if (pressed) {
      m->right_line = line, m->right_col = col;
    } else if (line == m->right_line && col == m->right_col && line > 0 && col > 0) {
      CallCell(*m, "RIGHTCLICK_CB", line, col);
    }
    return IUP_DEFAULT;
  }
  if (button != IUP_BUTTON1) return IUP_DEFAULT;
  if (!pressed) {
    m->marking = false;
    if (m->resizing_col > 0) {
      m->resizing_col = 0;
      PublishScroll(*m);
      Redraw(*m);
    }
    return IUP_DEFAULT;
  }
  if (m->editing == EditKind::List && ListPress(*m, x, y, line, col)) return IUP_DEFAULT;
  if (line == 0 && IupGetAttributeBool(e, "RESIZEMATRIX") == 1) {
    if (int c = BorderAt(*m, x)) {
      m->resizing_col = c, m->resize_x = x;
      m->resize_start_w = m->col_w[static_cast<size_t>(c)];
      return IUP_DEFAULT;
    }
  }
  if (line < 0 || col < 0) return IUP_DEFAULT;
  if (m->editing != EditKind::None && !EndEdit(*m, false)) return IUP_DEFAULT;
  if (IupFromSerial(serial) != e) return IUP_DEFAULT;
  if (line > 0 && col > 0 && !MoveTo(*m, line, col)) return IUP_DEFAULT;
  if (IupFromSerial(serial) != e) return IUP_DEFAULT;
  MarkOnPress(*m, line, col, shift, ctrl);
  Redraw(*m);
  if (dbl && line > 0 && col > 0 && StartEdit(*m, nullptr) && IupFromSerial(serial) == e &&
      m->editing == EditKind::List) {
    m->list_open = true;  // edited by mouse: the items are offered at once
    Redraw(*m);
  }
  return IUP_DEFAULT;
}

int MotionCb(IupElement* e, int x, int y, char* status) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  const bool down = status != nullptr && std::strlen(status) > 2 && status[2] == '1';
  MeasureView(*m);
  if (m->resizing_col > 0 && down) {
    const int w = std::max(1, m->resize_start_w + x - m->resize_x);
    m->dragged_width[static_cast<size_t>(m->resizing_col)] = w;
    m->dirty = true;
    Redraw(*m);
    return IUP_DEFAULT;
  }
  if (IupGetAttributeBool(e, "RESIZEMATRIX") == 1) {
    const bool over = y < m->title_h && BorderAt(*m, x) > 0;
    IupSetAttribute(e, "CURSOR", over ? "RESIZE_C" : "ARROW");
  }
  if (m->marking && down && ModeIs(*m, "CELL") && Continuous(*m)) {
    int line = -1, col = -1;
    CellAt(*m, x, y, &line, &col);
    if (line > 0 && col > 0) {
      ClearMarks(*m);
      MarkRange(*m, m->mark_anchor_line, m->mark_anchor_col, line, col);
      Redraw(*m);
    }
  }
  return IUP_DEFAULT;
}

int ScrollCb(IupElement* e, int op, float posx, float posy) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  const int serial = IupGetSerial(e);
  if (IupCallback app = Callback(e, "IUP_MATRIX_APP_SCROLL_CB")) {
    Cast<IupScrollCallback>(app)(e, op, posx, posy);
    if (IupFromSerial(serial) != e) return IUP_DEFAULT;
  }
  MeasureView(*m);
  const int page = PageLines(*m);
  switch (op) {
    case IUP_SBUP:
      m->first_line--;
      break;
    case IUP_SBDN:
      m->first_line++;
      break;
    case IUP_SBPGUP:
      m->first_line -= page;
      break;
    case IUP_SBPGDN:
      m->first_line += page;
      break;
    case IUP_SBLEFT:
      m->first_col--;
      break;
    case IUP_SBRIGHT:
      m->first_col++;
      break;
    case IUP_SBPGLEFT:
      m->first_col -= 2;
      break;
    case IUP_SBPGRIGHT:
      m->first_col += 2;
      break;
    case IUP_SBDRAGV:
    case IUP_SBPOSV:
      m->first_line =
          IndexAt(m->line_y, m->lines,
                  static_cast<long>(posy * double(m->line_y[static_cast<size_t>(m->lines) + 1])));
      break;
    case IUP_SBDRAGH:
    case IUP_SBPOSH:
      m->first_col =
          IndexAt(m->col_x, m->cols,
                  static_cast<long>(posx * double(m->col_x[static_cast<size_t>(m->cols) + 1])));
      break;
    default:
      break;
  }
  m->first_line = std::clamp(m->first_line, 1, LastFirstLine(*m));
  m->first_col = std::clamp(m->first_col, 1, LastFirstCol(*m));
  PublishScroll(*m);
  Redraw(*m);
  return IUP_DEFAULT;
}

int RedrawCb(IupElement* e, float, float) {
  if (Matrix* m = DataOf(e)) Redraw(*m);
  return IUP_DEFAULT;
}

int MapCb(IupElement* e) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  if (!m->mapped_once) {
    m->mapped_once = true;
    m->callback_mode = IupGetOwnAttribute(e, "VALUE_CB") != nullptr;
    AdoptOwnCells(*m, 0, 0);
  }
  if (m->canvas.EnsureScreen(e)) m->canvas.Resize();
  m->has_picture = false;
  m->dirty = true;
  PublishScroll(*m);
  return IUP_DEFAULT;
}

int ResizeCb(IupElement* e, int, int) {
  Matrix* m = DataOf(e);
  if (m == nullptr || !m->canvas.EnsureScreen(e)) return IUP_DEFAULT;
  m->canvas.Resize();
  m->has_picture = false;
  m->dirty = true;
  m->first_line = std::clamp(m->first_line, 1, std::max(1, m->lines));
  PublishScroll(*m);
  Redraw(*m);
  return IUP_DEFAULT;
}

int FocusCb(IupElement* e) {
  if (IupCallback app = Callback(e, "IUP_MATRIX_APP_GETFOCUS_CB")) return app(e);
  return IUP_DEFAULT;
}
int KillFocusCb(IupElement* e, IupElement* next) {
  if (IupCallback app = Callback(e, "IUP_MATRIX_APP_KILLFOCUS_CB"))
    return Cast<IupKillFocusCallback>(app)(e, next);
  return IUP_DEFAULT;
}

// ---- the class -----------------------------------------------------------------------
struct OwnAction {
  const char* attribute;
  const char* ours;
  const char* app;  // where an application's value goes, or null
};
const OwnAction kOwnActions[] = {
    {"ACTION", "iupmatrixredraw", nullptr},
    {"MAP_CB", "iupmatrixmap", nullptr},
    {"RESIZE_CB", "iupmatrixresize", nullptr},
    {"BUTTON_CB", "iupmatrixbutton", nullptr},
    {"MOTION_CB", "iupmatrixmotion", nullptr},
    {"K_ANY", "iupmatrixkey", "IUP_MATRIX_APP_K_ANY"},
    {"GETFOCUS_CB", "iupmatrixgetfocus", "IUP_MATRIX_APP_GETFOCUS_CB"},
    {"KILLFOCUS_CB", "iupmatrixkillfocus", "IUP_MATRIX_APP_KILLFOCUS_CB"},
    {"SCROLL_CB", "iupmatrixscroll", "IUP_MATRIX_APP_SCROLL_CB"},
};

IupElement* Create(IupControlClass*, void** params) {
  const char* action = params != nullptr ? static_cast<const char*>(params[0]) : nullptr;
  IupElement* e = IupCreateCanvas("iupmatrixredraw");
  if (e == nullptr) return nullptr;
  auto* m = new Matrix;
  m->self = e;
  IupSetAttributePointer(e, kData, m);
  for (const OwnAction& a : kOwnActions) {
    if (a.app != nullptr)
      if (const char* app = IupGetOwnAttribute(e, a.attribute)) IupSetAttributeCopy(e, a.app, app);
    IupSetAttribute(e, a.attribute, a.ours);
  }
  if (action != nullptr) IupSetAttributeCopy(e, "iup_matrix_app_action", action);
  IupSetAttribute(e, "BORDER", "NO");
  IupSetAttribute(e, "SCROLLBAR", "YES");
  m->edit_text = IupCreateText(nullptr);
  IupSetAttribute(m->edit_text, "BORDER", "YES");
  IupSetAttributePointer(m->edit_text, "MATRIX_HANDLE", e);
  m->edit_list = IupCreateList(nullptr);
  IupSetAttribute(m->edit_list, "DROPDOWN", "YES");
  IupSetAttribute(m->edit_list, "MULTIPLE", "NO");
  IupSetAttributePointer(m->edit_list, "MATRIX_HANDLE", e);
  Resize(*m, 0, 0);
  return e;
}

int Destroy(IupElement* e) {
  Matrix* m = DataOf(e);
  if (m == nullptr) return IUP_DEFAULT;
  IupSetAttributePointer(e, kData, nullptr);
  IupDestroy(m->edit_text);
  IupDestroy(m->edit_list);
  delete m;
  return IUP_DEFAULT;
}

int Unmap(IupElement* e) {
  if (Matrix* m = DataOf(e)) {
    m->canvas.Release();
    m->has_picture = false;
    m->editing = EditKind::None;
    m->list_open = false;
  }
  return IUP_DEFAULT;
}

int GetSize(IupElement* e, int* w, int* h) {
  Matrix* m = DataOf(e);
  int cw = 6, ch = 13;
  IupGetCharSize(e, &cw, &ch);
  int own_w = -1, own_h = -1;
  if (const char* r = IupGetOwnAttribute(e, "RASTERSIZE")) {
    std::sscanf(r, "%dx%d", &own_w, &own_h);
  } else if (const char* s = IupGetOwnAttribute(e, "SIZE")) {
    int sw = -1, sh = -1;
    std::sscanf(s, "%dx%d", &sw, &sh);
    if (sw >= 0) own_w = sw * cw / 4;
    if (sh >= 0) own_h = sh * ch / 8;
  }
  *w = own_w, *h = own_h;
  if (m == nullptr) return IUP_DEFAULT;
  Measure(*m, 0, 0);
  long nv = 4;
  const bool bars = IupGetAttributeBool(e, "SCROLLBAR") != 0;
  if (own_w < 0) {
    if (!ReadInt(IupGetAttribute(e, "NUMCOL_VISIBLE"), &nv)) nv = 4;
    long width = m->title_w;
    for (int c = 1; c <= m->cols && c <= nv; c++) width += m->col_w[static_cast<size_t>(c)];
    *w = static_cast<int>(std::min(width + (bars ? kScrollbarSize : 0), 30000L));
  }
  if (own_h < 0) {
    if (!ReadInt(IupGetAttribute(e, "NUMLIN_VISIBLE"), &nv)) nv = 3;
    long height = m->title_h;
    for (int l = 1; l <= m->lines && l <= nv; l++) height += m->line_h[static_cast<size_t>(l)];
    *h = static_cast<int>(std::min(height + (bars ? kScrollbarSize : 0), 30000L));
  }
  m->dirty = true;
  return IUP_DEFAULT;
}

// "%d-%d" or "%d": a position and a count (default 1).
bool ReadPlace(const char* value, int* at, int* count) {
  *count = 1;
  if (value == nullptr) return false;
  const int n = std::sscanf(value, "%d-%d", at, count);
  return n >= 1 && *count >= 0;
}

void AddLines(Matrix& m, int after, int count) {
  if (after < 0 || after > m.lines || count <= 0) return;
  if (static_cast<long>(m.lines) + count > kMaxLines ||
      (static_cast<long>(m.lines) + count) * m.cols > kMaxCells)
    return;
  m.grid.insert(m.grid.begin() + after + 1, static_cast<size_t>(count), Line{});
  m.line_mark.insert(m.line_mark.begin() + after + 1, static_cast<size_t>(count), 0);
  m.lines += count;
  m.dirty = true;
}
void DelLines(Matrix& m, int at, int count) {
  if (at < 1 || at > m.lines || count <= 0) return;
  count = std::min(count, m.lines - at + 1);
  m.grid.erase(m.grid.begin() + at, m.grid.begin() + at + count);
  m.line_mark.erase(m.line_mark.begin() + at, m.line_mark.begin() + at + count);
  Resize(m, m.lines - count, m.cols);
}
void AddCols(Matrix& m, int after, int count) {
  if (after < 0 || after > m.cols || count <= 0) return;
  if (static_cast<long>(m.cols) + count > kMaxColumns ||
      (static_cast<long>(m.cols) + count) * m.lines > kMaxCells)
    return;
  for (Line& l : m.grid) {
    if (!l.text.empty()) l.text.insert(l.text.begin() + after + 1, static_cast<size_t>(count), "");
    if (!l.mark.empty()) l.mark.insert(l.mark.begin() + after + 1, static_cast<size_t>(count), 0);
  }
  m.col_mark.insert(m.col_mark.begin() + after + 1, static_cast<size_t>(count), 0);
  m.dragged_width.insert(m.dragged_width.begin() + after + 1, static_cast<size_t>(count), 0);
  m.cols += count;
  m.dirty = true;
}
void DelCols(Matrix& m, int at, int count) {
  if (at < 1 || at > m.cols || count <= 0) return;
  count = std::min(count, m.cols - at + 1);
  for (Line& l : m.grid) {
    if (!l.text.empty()) l.text.erase(l.text.begin() + at, l.text.begin() + at + count);
    if (!l.mark.empty()) l.mark.erase(l.mark.begin() + at, l.mark.begin() + at + count);
  }
  m.col_mark.erase(m.col_mark.begin() + at, m.col_mark.begin() + at + count);
  m.dragged_width.erase(m.dragged_width.begin() + at, m.dragged_width.begin() + at + count);
  Resize(m, m.lines, m.cols - count);
}

void SetMarked(Matrix& m, const char* value) {
  ClearMarks(m);
  if (value == nullptr) return;
  const size_t n = std::strlen(value);
  if (value[0] == 'L') {
    for (int l = 1; l <= m.lines && static_cast<size_t>(l) < n; l++)
      m.line_mark[static_cast<size_t>(l)] = value[l] == '1';
    m.last_marked_form = 'L';
  } else if (value[0] == 'C') {
    for (int c = 1; c <= m.cols && static_cast<size_t>(c) < n; c++)
      m.col_mark[static_cast<size_t>(c)] = value[c] == '1';
    m.last_marked_form = 'C';
  } else {
    size_t i = 0;
    for (int l = 1; l <= m.lines; l++)
      for (int c = 1; c <= m.cols; c++, i++)
        if (i < n && value[i] == '1') SetCellMark(m, l, c, true);
  }
}

const char* GetMarked(Matrix& m) {
  std::string out;
  bool any = false;
  char form = ModeIs(m, "LIN")      ? 'L'
              : ModeIs(m, "COL")    ? 'C'
              : ModeIs(m, "LINCOL") ? m.last_marked_form
                                    : 0;
  if (form == 'L') {
    out.push_back('L');  // a literal assigned here raises a false -Wrestrict at -O3
    for (int l = 1; l <= m.lines; l++) {
      const bool on = m.line_mark[static_cast<size_t>(l)] != 0;
      out += on ? '1' : '0';
      any |= on;
    }
  } else if (form == 'C') {
    out.push_back('C');
    for (int c = 1; c <= m.cols; c++) {
      const bool on = m.col_mark[static_cast<size_t>(c)] != 0;
      out += on ? '1' : '0';
      any |= on;
    }
  } else {
    out.reserve(static_cast<size_t>(m.lines) * static_cast<size_t>(m.cols));
    for (int l = 1; l <= m.lines; l++)
      for (int c = 1; c <= m.cols; c++) {
        const bool on = Marked(m, l, c);
        out += on ? '1' : '0';
        any |= on;
      }
  }
  if (!any) return nullptr;
  m.answer = out;
  return m.answer.c_str();
}

bool IsPrefixed(const char* name, const char* prefix) {
  return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

void Refused(const char* name, const char* value) {
  std::fprintf(stderr,
               "IupMatrix: %s %s is beyond the matrix's %ld lines, %ld columns or %ld cells!\n",
               name, value, kMaxLines, kMaxColumns, kMaxCells);
}

int SetAttr(IupElement* e, const char* name, const char* value) {
  Matrix* m = DataOf(e);
  iup::Driver* driver = iup::CurrentDriver();
  if (m == nullptr || std::strcmp(name, kData) == 0) {
    if (driver != nullptr) driver->SetAttribute(e, name, value);
    return IUP_DEFAULT;
  }
  // the control's own callbacks stay; an application's goes behind them
  for (const OwnAction& a : kOwnActions) {
    if (std::strcmp(name, a.attribute) != 0) continue;
    if (value != nullptr && std::strcmp(value, a.ours) == 0) return IUP_DEFAULT;
    if (a.app != nullptr) IupSetAttributeCopy(e, a.app, value);
    IupSetAttribute(e, a.attribute, a.ours);
    return IUP_DEFAULT;
  }
  int line = 0, col = 0;
  bool redraw = true, forget = false;
  char tail = 0;
  const bool cell = std::sscanf(name, "%d:%d%c", &line, &col, &tail) == 2;
  if (cell) {
    if (line >= 0 && col >= 0 && line <= m->lines && col <= m->cols && !m->callback_mode) {
      StoreText(*m, line, col, value != nullptr ? value : "");
      forget = true;  // the table holds it now
    }
  } else if (std::strcmp(name, "VALUE") == 0) {
    if (m->lines > 0 && m->cols > 0) {
      const std::string text = value != nullptr ? value : "";
      if (EditsText(*m)) {
        m->edit.text = text;
        m->edit.caret = m->edit.start = m->edit.end = static_cast<int>(text.size());
        IupSetAttributeCopy(EditorElement(*m), "VALUE", text.c_str());
      } else {
        Store(*m, text);
      }
    }
  } else if (std::strcmp(name, "CARET") == 0 || std::strcmp(name, "SELECTION") == 0) {
    const int size = static_cast<int>(m->edit.text.size());
    int a = 0, b = 0;
    if (name[0] == 'C' && value != nullptr && std::sscanf(value, "%d", &a) == 1) {
      m->edit.caret = m->edit.start = m->edit.end = std::clamp(a - 1, 0, size);
    } else if (value != nullptr && std::sscanf(value, "%d:%d", &a, &b) == 2) {
      m->edit.start = std::clamp(a - 1, 0, size), m->edit.end = std::clamp(b - 1, 0, size);
      m->edit.caret = m->edit.end;
    }
    IupSetAttributeCopy(m->edit_text, name, value);
  } else if (std::strcmp(name, "NUMLIN") == 0 || std::strcmp(name, "NUMCOL") == 0) {
    long n = 0;
    ReadInt(value, &n);
    const bool lines = name[3] == 'L';
    if (!Resize(*m, lines ? n : m->lines, lines ? m->cols : n)) {
      Refused(name, value);
      IupSetOwnAttribute(e, name, nullptr);
      return IUP_DEFAULT;
    }
  } else if (std::strcmp(name, "ADDLIN") == 0 || std::strcmp(name, "ADDCOL") == 0 ||
             std::strcmp(name, "DELLIN") == 0 || std::strcmp(name, "DELCOL") == 0) {
    int at = 0, count = 1;
    if (ReadPlace(value, &at, &count)) {
      if (name[0] == 'A')
        (name[3] == 'L' ? AddLines : AddCols)(*m, at, count);
      else
        (name[3] == 'L' ? DelLines : DelCols)(*m, at, count);
      m->focus_line = std::clamp(m->focus_line, 1, std::max(1, m->lines));
      m->focus_col = std::clamp(m->focus_col, 1, std::max(1, m->cols));
      m->first_line = std::clamp(m->first_line, 1, std::max(1, m->lines));
      m->first_col = std::clamp(m->first_col, 1, std::max(1, m->cols));
    }
    forget = true;
  } else if (std::strcmp(name, "MARKED") == 0) {
    SetMarked(*m, value);
    forget = true;
  } else if (std::strcmp(name, "FOCUS_CELL") == 0) {
    if (ReadCell(value, &line, &col) && m->lines > 0 && m->cols > 0) {
      m->focus_line = std::clamp(line, 1, m->lines);
      m->focus_col = std::clamp(col, 1, m->cols);
      ShowFocus(*m);
      PublishScroll(*m);
    }
    forget = true;
  } else if (std::strcmp(name, "ORIGIN") == 0) {
    if (ReadCell(value, &line, &col)) {
      MeasureView(*m);
      m->first_line = std::clamp(line, 1, std::max(1, m->lines));
      m->first_col = std::clamp(col, 1, std::max(1, m->cols));
      PublishScroll(*m);
    }
    forget = true;
  } else if (std::strcmp(name, "EDIT_MODE") == 0) {
    const bool on =
        value != nullptr && (std::strcmp(value, "YES") == 0 || std::strcmp(value, "ON") == 0);
    if (on)
      StartEdit(*m, nullptr);
    else
      EndEdit(*m, false);
    forget = true;
    redraw = false;
  } else if (std::strcmp(name, "POSX") == 0 || std::strcmp(name, "POSY") == 0) {
    const double f = value != nullptr ? std::atof(value) : 0;
    MeasureView(*m);
    if (name[3] == 'Y')
      m->first_line = std::clamp(
          IndexAt(m->line_y, m->lines,
                  static_cast<long>(f * double(m->line_y[static_cast<size_t>(m->lines) + 1]))),
          1, std::max(1, m->lines));
    else
      m->first_col = std::clamp(
          IndexAt(m->col_x, m->cols,
                  static_cast<long>(f * double(m->col_x[static_cast<size_t>(m->cols) + 1]))),
          1, std::max(1, m->cols));
    PublishScroll(*m);  // replaces the stored value by the position reached
    if (m->canvas.screen() != nullptr) Redraw(*m);
    return IUP_DEFAULT;
  } else if (IsPrefixed(name, "WIDTH") || IsPrefixed(name, "HEIGHT") ||
             std::strcmp(name, "FONT") == 0) {
    if (IsPrefixed(name, "WIDTH") && std::sscanf(name + 5, "%d", &col) == 1 && col >= 0 &&
        col <= m->cols)
      m->dragged_width[static_cast<size_t>(col)] = 0;
    m->dirty = true;
  } else if (std::strcmp(name, "REDRAW") == 0) {
    const Region region = RegionOf(value);
    IupSetOwnAttribute(e, name, nullptr);  // value may be the stored copy: read first
    if (m->canvas.screen() != nullptr) Redraw(*m, region);
    return IUP_DEFAULT;
  }
  // the matrix's own bookkeeping and the callbacks change nothing shown
  if (std::strcmp(name, "CURSOR") == 0 || IsPrefixed(name, "iup") || IsPrefixed(name, "IUP_") ||
      std::strstr(name, "_CB") != nullptr)
    redraw = false;
  if (forget) {
    // value may be the stored copy: the entry goes only after its last use
    IupSetOwnAttribute(e, name, nullptr);
  } else if (driver != nullptr && !cell) {
    driver->SetAttribute(e, name, value);
  }
  if (redraw && m->canvas.screen() != nullptr) {
    IupElement* dialog = IupGetDialog(e);
    if (dialog == nullptr || IupGetAttributeBool(dialog, "VISIBLE") != 0) Redraw(*m);
  }
  return IUP_DEFAULT;
}

const char* Answer(Matrix& m, const std::string& text) {
  m.answer = text;
  return m.answer.c_str();
}
const char* Number(Matrix& m, long n) {
  return Answer(m, std::to_string(n));
}

const char* GetAttr(IupElement* e, const char* name) {
  Matrix* m = DataOf(e);
  iup::Driver* driver = iup::CurrentDriver();
  if (m == nullptr) return driver != nullptr ? driver->GetAttribute(e, name).value : nullptr;
  int line = 0, col = 0;
  char tail = 0;
  if (std::sscanf(name, "%d:%d%c", &line, &col, &tail) == 2) {
    if (line < 0 || col < 0 || line > m->lines || col > m->cols) return nullptr;
    const std::string text = TextOf(*m, line, col);
    if (text.empty() && !m->callback_mode) return nullptr;
    return Answer(*m, text);
  }
  if (std::strcmp(name, "VALUE") == 0) {
    if (EditsText(*m)) {
      ReadFieldValue(*m);
      return Answer(*m, m->edit.text);
    }
    if (m->lines < 1 || m->cols < 1) return nullptr;
    return Answer(*m, TextOf(*m, m->focus_line, m->focus_col));
  }
  if (std::strcmp(name, "CARET") == 0 && EditsText(*m)) return Number(*m, m->edit.caret + 1);
  if (std::strcmp(name, "SELECTION") == 0 && EditsText(*m)) {
    if (m->edit.start == m->edit.end) return nullptr;
    return Answer(*m, std::to_string(m->edit.start + 1) + ":" + std::to_string(m->edit.end + 1));
  }
  if (std::strcmp(name, "NUMLIN") == 0) return Number(*m, m->lines);
  if (std::strcmp(name, "NUMCOL") == 0) return Number(*m, m->cols);
  if (std::strcmp(name, "MARKED") == 0) return GetMarked(*m);
  if (std::strcmp(name, "FOCUS_CELL") == 0)
    return Answer(*m, std::to_string(m->focus_line) + ":" + std::to_string(m->focus_col));
  if (std::strcmp(name, "ORIGIN") == 0)
    return Answer(*m, std::to_string(m->first_line) + ":" + std::to_string(m->first_col));
  if (std::strcmp(name, "EDIT_MODE") == 0) return m->editing != EditKind::None ? "YES" : "NO";
  if ((std::sscanf(name, "WIDTH%d%c", &col, &tail) == 1 && col >= 0 && col <= m->cols) ||
      (std::sscanf(name, "HEIGHT%d%c", &line, &tail) == 1 && line >= 0 && line <= m->lines)) {
    MeasureView(*m);
    if (name[0] == 'W')
      return Number(*m, col == 0 ? m->title_w : m->col_w[static_cast<size_t>(col)]);
    return Number(*m, line == 0 ? m->title_h : m->line_h[static_cast<size_t>(line)]);
  }
  if ((IsPrefixed(name, "FGCOLOR") || IsPrefixed(name, "BGCOLOR")) && name[7] != 0) {
    const std::string which(name, 7);
    if (std::sscanf(name + 7, "%d:%d%c", &line, &col, &tail) == 2) {
      if (const char* v = CellColourText(*m, which.c_str(), line, col)) return Answer(*m, v);
      return nullptr;
    }
  }
  if (driver != nullptr) return driver->GetAttribute(e, name).value;
  return nullptr;
}

const char* GetDefault(IupElement*, const char* name) {
  if (std::strcmp(name, "AREA") == 0) return "CONTINUOUS";
  if (std::strcmp(name, "MARK_MODE") == 0) return "NO";
  if (std::strcmp(name, "WIDTHDEF") == 0) return "80";
  if (std::strcmp(name, "HEIGHTDEF") == 0) return "8";
  if (std::strcmp(name, "NUMLIN_VISIBLE") == 0) return "3";
  if (std::strcmp(name, "NUMCOL_VISIBLE") == 0) return "4";
  if (std::strcmp(name, "RESIZEMATRIX") == 0) return "NO";
  if (std::strcmp(name, "ALIGNMENT0") == 0) return "ALEFT";
  if (IsPrefixed(name, "ALIGNMENT")) return "ACENTER";
  return nullptr;
}

}  // namespace

void IupMatrixOpen(void) {
  IupBindAction("iupmatrixredraw", IupAsCallback(RedrawCb));
  IupBindAction("iupmatrixmap", IupAsCallback(MapCb));
  IupBindAction("iupmatrixresize", IupAsCallback(ResizeCb));
  IupBindAction("iupmatrixbutton", IupAsCallback(ButtonCb));
  IupBindAction("iupmatrixmotion", IupAsCallback(MotionCb));
  IupBindAction("iupmatrixkey", IupAsCallback(KeyCb));
  IupBindAction("iupmatrixgetfocus", IupAsCallback(FocusCb));
  IupBindAction("iupmatrixkillfocus", IupAsCallback(KillFocusCb));
  IupBindAction("iupmatrixscroll", IupAsCallback(ScrollCb));
  if (matrix_class == nullptr) {
    matrix_class = IupNewControlClass("MATRIX", "s");
    IupSetControlMethod(matrix_class, "CREATE", IupAsControlMethod(Create));
    IupSetControlMethod(matrix_class, "DESTROY", IupAsControlMethod(Destroy));
    IupSetControlMethod(matrix_class, "UNMAP", IupAsControlMethod(Unmap));
    IupSetControlMethod(matrix_class, "GETSIZE", IupAsControlMethod(GetSize));
    IupSetControlMethod(matrix_class, "SETATTR", IupAsControlMethod(SetAttr));
    IupSetControlMethod(matrix_class, "GETATTR", IupAsControlMethod(GetAttr));
    IupSetControlMethod(matrix_class, "GETDEFAULTATTR", IupAsControlMethod(GetDefault));
  }
  IupAddControlClass("matrix", matrix_class);
}

IupElement* IupCreateMatrix(const char* action) {
  void* params[] = {const_cast<char*>(action), nullptr};
  return IupNewFromControlClass(IupLookupControlClass("matrix"), params);
}

void IupMatrixDraw(IupElement* matrix, int width, int height) {
  Matrix* m = DataOf(matrix);
  if (m == nullptr) return;
  if (!m->mapped_once) m->callback_mode = IupGetOwnAttribute(matrix, "VALUE_CB") != nullptr;
  m->dirty = true;
  Draw(*m, width, height);
  m->dirty = true;
}

long IupMatrixCellsDrawn(IupElement* matrix) {
  Matrix* m = DataOf(matrix);
  return m != nullptr ? m->cells_drawn : 0;
}
