/* The CGM element encoder: one function per metafile element, writing its
 * parameters through a table of token writers chosen by the encoding (the
 * binary encoding of ISO 8632-3 or our clear text). The CGM canvas driver
 * (cdcgm.cpp) is its only user. */
#ifndef VARKO_CDCGMENC_H
#define VARKO_CDCGMENC_H

#include <cstdio>
#include <string>
#include <vector>

namespace cdcgm {

enum { kBinary = 1, kClearText = 2 };

struct Encoder;

/* How one encoding writes the tokens of an element. */
struct TokenWriters {
  /* starts an element; open-ended elements (lists) always take the long
   * form in binary */
  void (*begin)(Encoder& e, int cls, int id, bool open_ended);
  void (*end)(Encoder& e);
  void (*integer)(Encoder& e, long v);
  void (*index)(Encoder& e, long v);
  void (*enumeration)(Encoder& e, int v, const char* const* words);
  void (*colour_index)(Encoder& e, unsigned long v);
  /* a direct colour, components from 0 to 1 */
  void (*colour)(Encoder& e, double r, double g, double b);
  void (*real)(Encoder& e, double v);
  /* the metric factor of SCALING MODE: always floating point in binary */
  void (*factor)(Encoder& e, double v);
  void (*vdc)(Encoder& e, double v);
  void (*point)(Encoder& e, double x, double y);
  void (*string)(Encoder& e, const char* s, size_t n);
  /* precisions: binary writes the bits, clear text the range they give */
  void (*precision)(Encoder& e, int bits);
  void (*colour_precision)(Encoder& e, int bits);
  void (*local_colour_precision)(Encoder& e, int bits);
  void (*real_precision)(Encoder& e, int index);
  /* clear text only: a new line, then blanks up to the column (from 1) */
  void (*newline)(Encoder& e, int column);
  /* clear text only: literal text */
  void (*literal)(Encoder& e, const char* text);
};

struct Encoder {
  FILE* file = nullptr;
  int encoding = kBinary;
  const TokenWriters* tokens = nullptr;
  int vdc_bits = 16; /* VDC integer precision */
  int column = 1;    /* clear text: the column of the next character */
  /* binary: the parameters of the open elements; the outer ones hold the
   * inner elements complete (metafile defaults replacement) */
  struct Open {
    int cls = 0, id = 0;
    bool open_ended = false;
    std::string params;
  };
  std::vector<Open> open;
  int depth = 0;
  std::string out; /* an encoded element on its way to the file */
  bool failed = false;
};

/* sets the encoding and its token writers */
void Start(Encoder& e, FILE* file, int encoding, int vdc_bits);

struct PointD {
  double x, y;
};

/* ---- delimiters ---- */
void BeginMetafile(Encoder& e, const char* name);
void EndMetafile(Encoder& e);
void BeginPicture(Encoder& e, const char* name);
void BeginPictureBody(Encoder& e);
void EndPicture(Encoder& e);

/* ---- metafile descriptor ---- */
void MetafileVersion(Encoder& e, int version);
void MetafileDescription(Encoder& e, const char* text);
void VdcType(Encoder& e, int type);
void IntegerPrecision(Encoder& e, int bits);
void RealPrecision(Encoder& e, int index);
void IndexPrecision(Encoder& e, int bits);
void ColourPrecision(Encoder& e, int bits);
void ColourIndexPrecision(Encoder& e, int bits);
void MaximumColourIndex(Encoder& e, unsigned long index);
void ColourValueExtent(Encoder& e);
void MetafileElementList(Encoder& e);
void BeginDefaults(Encoder& e);
void EndDefaults(Encoder& e);
void FontList(Encoder& e, const char* const* names, int n);

/* ---- picture descriptor and control ---- */
void ScalingMode(Encoder& e, int mode, double factor);
void ColourSelectionMode(Encoder& e, int mode);
void LineWidthSpecificationMode(Encoder& e, int mode);
void MarkerSizeSpecificationMode(Encoder& e, int mode);
void VdcExtent(Encoder& e, double x1, double y1, double x2, double y2);
void BackgroundColour(Encoder& e, long color);
void VdcIntegerPrecision(Encoder& e, int bits);
void VdcRealPrecision(Encoder& e, int index);
void AuxiliaryColour(Encoder& e, long color);
void Transparency(Encoder& e, int on);
void ClipRectangle(Encoder& e, double x1, double y1, double x2, double y2);
void ClipIndicator(Encoder& e, int on);

/* ---- primitives ---- */
void Polyline(Encoder& e, const PointD* points, int n);
void Polymarker(Encoder& e, const PointD* points, int n);
void Polygon(Encoder& e, const PointD* points, int n);
/* the text's pieces as the encoding splits them */
void Text(Encoder& e, double x, double y, const char* s);
void Rectangle(Encoder& e, double x1, double y1, double x2, double y2);
/* centre, conjugate diameter ends, start and end vectors; close: 0 pie,
 * 1 chord, -1 an open arc */
void EllipticalArc(Encoder& e, PointD centre, PointD cd1, PointD cd2, double dx1, double dy1,
                   double dx2, double dy2, int close);
/* nx x ny colours 0x00RRGGBB, row by row */
void CellArray(Encoder& e, PointD p, PointD q, PointD r, int nx, int ny, const long* colors);

/* ---- attributes ---- */
void LineType(Encoder& e, int type);
void LineWidth(Encoder& e, double width);
void LineColour(Encoder& e, long color);
void MarkerType(Encoder& e, int type);
void MarkerSize(Encoder& e, double size);
void MarkerColour(Encoder& e, long color);
void TextFontIndex(Encoder& e, int index);
void TextColour(Encoder& e, long color);
void CharacterHeight(Encoder& e, double height);
void TextAlignment(Encoder& e, int horizontal, int vertical);
void InteriorStyle(Encoder& e, int style);
void FillColour(Encoder& e, long color);
void HatchIndex(Encoder& e, int index);
void PatternIndex(Encoder& e, int index);
void EdgeVisibility(Encoder& e, int on);
void PatternTable(Encoder& e, int index, int nx, int ny, const long* colors);

}  // namespace cdcgm

#endif
