// The progress dialogs: the gauge dialog shown while the combined theme is
// generated, and the counter dialog that the image library's progress
// callback opens while a file is read or written, with a Cancel button.
#ifndef VARKO_APP_GAUGE_H
#define VARKO_APP_GAUGE_H

namespace route {
void GaugeOpen(const char* title);
void GaugeShow();
void GaugeSet(double fraction);
void GaugeClose();
// true once the user pressed the gauge dialog's Cancel (or Esc, or closed it)
bool GaugeCancelled();

// The route search's progress dialog ("Searching the route", a gauge and
// Cancel; Esc and the close box cancel too), opened by a search that has run
// for half a second. Update shows the fraction done and runs one loop step;
// it answers false once the user cancelled. Other long work gives its own
// title and text.
void SearchDialogOpen(const char* title = "Route search",
                      const char* text = "Searching the route...");
bool SearchDialogUpdate(double fraction);
void SearchDialogClose();
}  // namespace route

// The image library's progress callback (file name, 0..100, writing):
// opens the counter dialog at 0 %, updates it, closes it at 100 % or when
// the user confirms Cancel; returns 1 to abandon the transfer.
int VarkoProgress(const char* file_name, int percent, int writing);
// Registers VarkoProgress for every format (start-up, after "varko.lua").
void RegisterProgressCallback();

#endif
