// The toolkit core linked with no driver: IupOpen refuses, and elements a
// program makes anyway reach no platform instead of a null driver.
#include <gtest/gtest.h>

#include "iup.h"
#include "iupdriver.h"

namespace {

TEST(CoreAlone, IupOpenRefusesWithoutADriver) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(IupOpen(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "IupOpen: no driver installed!\n");
  EXPECT_EQ(iup::CurrentDriver(), nullptr);
  IupElement* dialog = IupCreateDialog(IupCreateButton("none", "b"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(IupShow(dialog), 0);  // nothing can be mapped
  IupDestroy(dialog);
}

}  // namespace
