// What the core offers every driver: installing the platform.
#include <string>

#include "fixture.h"
#include "iupdriver.h"

namespace {

TEST_F(Toolkit, DriverInstallsOnlyWhileTheToolkitIsClosed) {
  iup::Driver* installed = iup::CurrentDriver();
  ASSERT_NE(installed, nullptr);
  EXPECT_FALSE(iup::InstallDriver(iup::headless::NewDriver()));  // open now
  EXPECT_EQ(iup::CurrentDriver(), installed);
  IupClose();
  EXPECT_FALSE(iup::InstallDriver(nullptr));
  EXPECT_EQ(iup::CurrentDriver(), installed);
  ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
  EXPECT_NE(iup::CurrentDriver(), installed);
  ASSERT_EQ(IupOpen(), 0);
  EXPECT_STREQ(IupGetGlobal("DRIVER"), "Headless");
}

}  // namespace
