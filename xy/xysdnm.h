// Subdivisions write the tick labels of an axis; the numeric one prints
// each tick value through a printf format, thinning the labels out so that
// they never overlap.
#ifndef VARKO_XY_XYSDNM_H
#define VARKO_XY_XYSDNM_H

class XYAxis;
class XYText;

class XYSubdivision {
 public:
  XYSubdivision() = default;
  XYSubdivision(const XYSubdivision&) = delete;
  XYSubdivision& operator=(const XYSubdivision&) = delete;
  virtual ~XYSubdivision();
  // first and last are the visible tick indices; the labels ignore them
  virtual void drawLabels(XYAxis* axis, int first, int last) = 0;
  virtual void labelsBox(XYAxis* axis, int* x0, int* y0, int* x1, int* y1) = 0;
};

class XYNumericSubdivision : public XYSubdivision {
 public:
  // format is not copied: the caller keeps it alive
  XYNumericSubdivision(const char* format, XYText* labelText);
  XYNumericSubdivision(const char* format, XYText* labelText, double divisor);

  void drawLabels(XYAxis* axis, int first, int last) override;
  void labelsBox(XYAxis* axis, int* x0, int* y0, int* x1, int* y1) override;
  virtual const char* getFormat();
  virtual void setFormat(const char* format);
  double getDivisor() const { return divisor_; }
  void setDivisor(double divisor) { divisor_ = divisor; }

 private:
  struct Layout;
  bool prepare(XYAxis* axis, Layout* layout);
  void labelText(double value, char* out);

  const char* format_;
  XYText* labelText_;
  double divisor_ = 1.0;
};

#endif
