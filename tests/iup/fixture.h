// Shared set-up of the toolkit tests: an opened toolkit on the headless
// driver, with every element a test makes destroyed afterwards.
#ifndef VARKO_TESTS_IUP_FIXTURE_H
#define VARKO_TESTS_IUP_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/iupheadless.h"
#include "iup.h"

class Toolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    iup::headless::Reset();
    IupOpen();
  }
  void TearDown() override {
    for (IupElement* d : owned_) IupDestroy(d);
    iup::headless::Reset();
    IupClose();
  }
  // The element is destroyed at the end of the test.
  IupElement* Own(IupElement* e) {
    owned_.push_back(e);
    return e;
  }

 private:
  std::vector<IupElement*> owned_;
};

// Records calls as text, so tests compare whole sequences.
inline std::string& Log() {
  static std::string log;
  return log;
}

#endif
