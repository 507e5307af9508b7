// One coordinate (x or y) of a chart object's position: absolute pixels,
// a fraction of the owner's viewport, or placed beside another object.
#ifndef VARKO_XY_XYCOORD_H
#define VARKO_XY_XYCOORD_H

class XYObject;

class XYCoord {
 public:
  enum { kAbsolute = 0, kRelative = 1, kReference = 2 };
  XYCoord(double relative);                            // relative
  XYCoord(XYObject* reference, int side, int offset);  // beside an object
  XYCoord();                                           // relative 0.0
  XYCoord(int absolute);                               // pixels
  XYCoord(const XYCoord& other);
  XYCoord& operator=(const XYCoord& other);

  virtual ~XYCoord();
  virtual void setAbsolute(int absolute);
  virtual void setRelative(double relative);
  virtual void setReference(XYObject* reference, int side, int offset);
  virtual void getAbsolute(int* absolute);
  virtual void getRelative(double* relative);
  virtual int getMode();
  virtual void setMode(int mode);
  virtual XYObject* getReference();
  virtual void setReference(XYObject* reference);
  virtual int getSide();
  virtual void setSide(int side);
  virtual int getOffset();
  virtual void setOffset(int offset);

 private:
  double relative_ = 0.0;
  int absolute_ = 0;
  int mode_ = kRelative;
  XYObject* reference_ = nullptr;
  int side_ = 0;
  int offset_ = 0;
};

#endif
