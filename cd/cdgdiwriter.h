/* The drawing half of the Windows metafile driver: canvas operations
 * turned into 16-bit Windows metafile records. Pens, brushes and fonts
 * are created when a primitive first needs them and deleted when replaced,
 * as a device context would hold them. */
#ifndef VARKO_CDGDIWRITER_H
#define VARKO_CDGDIWRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "cdgdifile.h"

namespace cdgdi {

struct Writer {
  cdCanvas* cv = nullptr;
  bool emf = false; /* enhanced metafile records, else Windows metafile records */
  std::string name;
  Bytes records; /* every record after the header */
  uint32_t record_count = 0;
  uint32_t largest_record = 0; /* in 16-bit words (WMF) */
  std::vector<bool> slots;     /* object table, true where an object lives */
  size_t max_objects = 0;

  struct Pen {
    int style = -1, width = 0;
    uint32_t color = 0;
    bool operator==(const Pen&) const = default;
  };
  struct Brush {
    int style = -1; /* BS_SOLID 0, BS_NULL 1, BS_HATCHED 2, BS_DIBPATTERNPT 6 */
    uint32_t color = 0;
    int hatch = 0;
    unsigned pattern_generation = 0;
    bool operator==(const Brush&) const = default;
  };
  struct Font {
    int height = 0, escapement = 0, weight = 400, italic = 0, pitch = 0;
    std::string face;
    bool operator==(const Font&) const = default;
  };
  Pen pen_selected;
  int pen_index = -1;
  Brush brush_selected;
  int brush_index = -1;
  Font font_selected, font_wanted;
  int font_index = -1;
  unsigned pattern_generation = 1;
  bool clip_saved = false; /* a SAVEDC is open for the clip */
  std::vector<cdPoint> clip_polygon;

  void Begin(); /* the records every picture starts with */
  std::vector<uint8_t> Finish();
  std::vector<uint8_t> FinishEnhanced(); /* the whole file */
  void Install(cdOperations& o);         /* the canvas operations */
};

/* the canvas' writer (driver_data of both drivers) */
inline Writer* WriterOf(cdCanvas* cv) {
  return static_cast<Writer*>(cv->driver_data);
}

}  // namespace cdgdi

#endif
