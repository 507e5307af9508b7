// The fixture the GTK driver's test programs share: the toolkit opened on
// the GTK driver (in English when asked) and closed after each test.
#ifndef VARKO_TESTS_GTK_GTKFIXTURE_H
#define VARKO_TESTS_GTK_GTKFIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>

#include "gtk/gtkdriver.h"
#include "iup.h"

namespace gtkprobe {

class ToolkitTest : public ::testing::Test {
 protected:
  explicit ToolkitTest(bool english = false) : english_(english) {}
  // Derived set-ups call this first and stop on HasFatalFailure().
  void SetUp() override {
    if (english_) setenv("IUP_INGLES", "1", 1);
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::gtk::NewDriver()));
    }
    ASSERT_EQ(IupOpen(), 0);
    ASSERT_STREQ(IupGetGlobal("DRIVER"), "GTK");
  }
  void TearDown() override {
    IupClose();
    if (english_) unsetenv("IUP_INGLES");
  }

 private:
  bool english_;
};

}  // namespace gtkprobe

#endif
