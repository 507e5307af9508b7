// The GTK3 native driver of the toolkit, as a program installing it sees it
// (iup::InstallDriver): no GTK types here, so its users stay free of GTK
// includes.
#ifndef VARKO_IUP_GTK_GTKDRIVER_H
#define VARKO_IUP_GTK_GTKDRIVER_H

#include <memory>

#include "iupdriver.h"

namespace iup::gtk {

// The driver, or null when no display can be opened.
std::unique_ptr<Driver> NewDriver();

}  // namespace iup::gtk

#endif
