// The gauge dialog shown while the combined theme is generated.
#ifndef VARKO_APP_GAUGE_H
#define VARKO_APP_GAUGE_H

namespace route {
void GaugeOpen(const char* title);
void GaugeShow();
void GaugeSet(double fraction);
void GaugeClose();
}  // namespace route

#endif
