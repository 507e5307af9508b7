// The text masks: the pattern language against texts (complete, prefix,
// none), patterns that do not compile, and masks on a TEXT typed into with
// real (injected) keys on the headless toolkit: accepted and refused keys,
// ranges, autofill, Backspace and Delete, chained actions and the match
// callback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcontrols.h"
#include "mask.h"

namespace {

using mask::Match;

TEST(MaskPattern, MatchesCompletePrefixOrNone) {
  struct Case {
    const char* pattern;
    const char* text;
    bool ignore_case;
    Match want;
  } cases[] = {
      {"abc", "", false, Match::Prefix},
      {"abc", "ab", false, Match::Prefix},
      {"abc", "abc", false, Match::Complete},
      {"abc", "abd", false, Match::None},
      {"abc", "abcd", false, Match::None},
      {"abc", "ABC", false, Match::None},
      {"abc", "ABC", true, Match::Complete},
      {"[a-c]+", "abcabc", false, Match::Complete},
      {"[a-c]+", "abd", false, Match::None},
      {"[^a-c]", "d", false, Match::Complete},
      {"[^a-c]", "b", false, Match::None},
      {"[+/-]?/d+", "-", false, Match::Prefix},
      {"[+/-]?/d+", "+12", false, Match::Complete},
      {"[+/-]?/d+", "1-", false, Match::None},
      {"/d+", "", false, Match::Prefix},
      {"/d+", "007", false, Match::Complete},
      {"/D", "7", false, Match::None},
      {"/l/L", "a1", false, Match::Complete},
      {"/w+", "a_9", false, Match::Complete},
      {"/W", "_", false, Match::None},
      {"/s/S", "\tx", false, Match::Complete},
      {"/s", "\xff", false, Match::Complete},
      {"a.c", "a\nc", false, Match::None},
      {"a.c", "a-c", false, Match::Complete},
      {"a/.c", "a-c", false, Match::None},
      {"a/.c", "a.c", false, Match::Complete},
      {"ab|cd", "cd", false, Match::Complete},
      {"ab|cd", "c", false, Match::Prefix},
      {"(ab)*c", "ababc", false, Match::Complete},
      {"(ab)*c", "aba", false, Match::Prefix},
      {"{ab}+", "abab", false, Match::Complete},
      {"colou?r", "color", false, Match::Complete},
      {"colou?r", "colouur", false, Match::None},
      {"~a", "b", false, Match::Complete},
      {"~a", "a", false, Match::None},
      {"~(ab|c)x", "cx", false, Match::None},
      {"~(ab|c)x", "bx", false, Match::Complete},
      {"^ab$", "ab", false, Match::Complete},
      {"/e/n/t", "\x1b\n\t", false, Match::Complete},
      {"/o101/x42/067", "ABC", false, Match::Complete},
      {"a/b", "a", false, Match::Complete},
      {"a/bb", "ab", false, Match::None},
      {"0|(0./d)|(0./d/d)|1", "0.5", false, Match::Complete},
      {"0|(0./d)|(0./d/d)|1", "0.57", false, Match::Complete},
      {"0|(0./d)|(0./d/d)|1", "0.571", false, Match::None},
      {"0|(0./d)|(0./d/d)|1", "2", false, Match::None},
      {"(/d+/.?/d*|/./d+)", ".", false, Match::Prefix},
      {"(/d+/.?/d*|/./d+)", ".5", false, Match::Complete},
      {"(/d+/.?/d*|/./d+)", "1.2.", false, Match::None},
  };
  for (const Case& c : cases) {
    auto m = mask::Machine::Compile(c.pattern);
    ASSERT_NE(m, nullptr) << c.pattern;
    EXPECT_EQ(m->Test(c.text, c.ignore_case), c.want) << c.pattern << " on \"" << c.text << "\"";
  }
}

TEST(MaskPattern, ForcedCharacters) {
  struct Case {
    const char* pattern;
    const char* text;
    const char* forced;
  } cases[] = {
      {"/d/d///d/d", "12", "/"}, {"/d/d///d/d", "1", ""},
      {"ab-cd", "", "ab-cd"},    {"ab|ac", "", "a"},
      {"x+", "x", ""},           {"(/d)(-)(/d)", "5", "-"},
      {"^12$", "", "12"},        {"a/b-", "a", "-"},
      {"a/bb", "a", ""},  // the only candidate would break the word boundary
  };
  for (const Case& c : cases) {
    auto m = mask::Machine::Compile(c.pattern);
    ASSERT_NE(m, nullptr) << c.pattern;
    EXPECT_EQ(m->Forced(c.text, false), c.forced) << c.pattern << " after \"" << c.text << "\"";
  }
}

// Found by the mask fuzzer: patterns that force characters without end
// (here a '$' in mid-pattern that no text can pass) stop after 1024 forced
// characters, each found with one step of the machine.
TEST(MaskPattern, EndlessForcingStopsAtItsBound) {
  const std::string pattern = "#\v\v\xc0\xc7\xc0" + std::string(6, '\v') + "*" +
                              std::string(13, '\v') + "+" + std::string(3, '\v') + "*" +
                              std::string(9, '\v') + "$\v/\v#\v##";
  auto m = mask::Machine::Compile(pattern);
  ASSERT_NE(m, nullptr);
  const std::string forced = m->Forced("", false);
  ASSERT_EQ(forced.size(), 1024u);
  EXPECT_EQ(forced.substr(0, 6), "#\v\v\xc0\xc7\xc0");
  EXPECT_EQ(forced.find_first_not_of('\v', 6), std::string::npos);
  EXPECT_EQ(m->Test(forced, false), mask::Match::Prefix);
}

TEST(MaskPattern, BadPatternsDoNotCompile) {
  std::string deep;
  for (int i = 0; i < 5000; i++) deep += "(";
  deep += "a";
  for (int i = 0; i < 5000; i++) deep += ")";
  const std::vector<std::string> bad = {"[abc", "(ab", "ab)", "{ab", "a}",    "*a",
                                        "a|*",  "+",   "?",   "[]",  "/",     "a]",
                                        "/300", "/x4", "/o9", "~",   "[z-a]", deep};
  for (const std::string& p : bad) EXPECT_EQ(mask::Machine::Compile(p), nullptr) << p;
  // hostile lengths neither overflow the stack nor hang
  EXPECT_EQ(mask::Machine::Compile(std::string(5000, '~') + "a"), nullptr);
  EXPECT_EQ(mask::Machine::Compile("a" + std::string(5000, '*')), nullptr);
  std::string branches;
  for (int i = 0; i < 20000; i++) branches += "ab|";
  branches += "c";
  auto wide = mask::Machine::Compile(branches);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->Test("c", false), Match::Complete);
  EXPECT_EQ(wide->Test("a", false), Match::Prefix);
  // the empty pattern is sound: it matches the empty text only
  auto empty = mask::Machine::Compile("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Test("", false), Match::Complete);
  EXPECT_EQ(empty->Test("a", false), Match::None);
}

// ---- masks on a TEXT typed into ---------------------------------------------------

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
int OnMatch(IupElement* e) {
  Log().push_back(std::string("match ") + IupGetAttribute(e, "VALUE"));
  return IUP_DEFAULT;
}
int OldAction(IupElement*, int key, char* after) {
  Log().push_back("action " + std::string(1, char(key)) + " " + after);
  return key == 'x' ? IUP_IGNORE : IUP_DEFAULT;
}

class TextMask : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    iup::headless::Reset();
    IupOpen();
    IupTextMaskOpen();
    IupBindAction("mask_test_match", IupAsCallback(OnMatch));
    IupBindAction("mask_test_action", IupAsCallback(OldAction));
    Log().clear();
    text_ = IupCreateText(nullptr);
    dialog_ = IupCreateDialog(text_);
    IupShow(dialog_);
    IupLoopStep();
  }
  void TearDown() override {
    IupDestroy(dialog_);
    iup::headless::Reset();
    IupClose();
  }
  // Types keys into the emptied field; returns what it shows.
  std::string Type(const std::vector<int>& keys, const char* start = "") {
    IupSetAttribute(text_, "VALUE", start);
    IupSetAttributeCopyF(text_, "CARET", "%d", int(std::string(start).size()) + 1);
    iup::headless::Focus(text_);
    for (int k : keys) iup::headless::TypeKey(k);
    iup::headless::DeliverNow();
    return iup::headless::Text(text_);
  }
  static std::vector<int> Keys(const char* s) {
    std::vector<int> keys;
    for (const char* p = s; *p; p++) keys.push_back((unsigned char)*p);
    return keys;
  }
  IupElement* text_ = nullptr;
  IupElement* dialog_ = nullptr;
};

TEST_F(TextMask, KeysAcceptedAndRefused) {
  enum Kind { Pattern, Integer, Real };
  struct Case {
    Kind kind;
    const char* pattern;
    double min, max;
    int autofill;
    const char* typed;
    const char* shown;
  } cases[] = {
      {Integer, nullptr, 0, 255, 0, "256", "25"},
      {Integer, nullptr, 0, 255, 0, "-", ""},
      {Integer, nullptr, 0, 255, 0, "12a3", "123"},
      {Integer, nullptr, -10, 10, 0, "-10", "-10"},
      {Integer, nullptr, -10, 10, 0, "-11", "-1"},
      {Real, nullptr, 0, 1, 0, "0.75", "0.75"},
      {Real, nullptr, 0, 1, 0, "1.5", "1."},
      {Real, nullptr, -1, 1, 0, "-.5x", "-.5"},
      {Pattern, "0|(0./d)|(0./d/d)|1", 0, 0, 0, "0.123", "0.12"},
      {Pattern, "0|(0./d)|(0./d/d)|1", 0, 0, 0, "2", ""},
      {Pattern, "/d/d///d/d", 0, 0, 1, "1234", "12/34"},
      {Pattern, "/d/d///d/d", 0, 0, 0, "1234", "12"},
      {Pattern, "/d/d///d/d", 0, 0, 1, "12a", "12"},
      {Pattern, "[A-Z]+", 0, 0, 0, "ABc", "AB"},
  };
  for (const Case& c : cases) {
    int ok = 0;
    if (c.kind == Integer) ok = IupTextMaskSetInteger(text_, c.autofill, int(c.min), int(c.max));
    if (c.kind == Real) ok = IupTextMaskSetReal(text_, c.autofill, float(c.min), float(c.max));
    if (c.kind == Pattern) ok = IupTextMaskSet(text_, c.pattern, c.autofill, 0);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(Type(Keys(c.typed)), c.shown)
        << (c.pattern           ? c.pattern
            : c.kind == Integer ? "integer"
                                : "real")
        << " [" << c.min << "," << c.max << "] typed " << c.typed;
  }
}

TEST_F(TextMask, IgnoreCaseAndTheMaskAttributes) {
  ASSERT_EQ(IupTextMaskSet(text_, "abc", 0, 1), 1);
  EXPECT_EQ(Type(Keys("AbC")), "AbC");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMASK"), "abc");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskCASE"), "YES");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskAUTOFILL"), "NO");
  EXPECT_EQ(IupGetAttribute(text_, "iupmaskTYPE"), nullptr);
  ASSERT_EQ(IupTextMaskSet(text_, "abc", 0, 0), 1);
  EXPECT_EQ(Type(Keys("AbC")), "");
  // the integer mask: pattern, bounds and type
  ASSERT_EQ(IupTextMaskSetInteger(text_, 0, -5, 300), 1);
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMASK"), "[+/-]?/d+");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMIN"), "-5");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMAX"), "300");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskTYPE"), "I");
  ASSERT_EQ(IupTextMaskSetReal(text_, 0, 0, 2.5), 1);
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMASK"), "(/d+/.?/d*|/./d+)");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskMAX"), "2.500000");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskTYPE"), "F");
}

TEST_F(TextMask, BackspaceAndDeleteAreChecked) {
  ASSERT_EQ(IupTextMaskSetInteger(text_, 0, 10, 20), 1);
  // "15" less its 5 would read 1, below the range: the key is refused
  EXPECT_EQ(Type({K_BS}, "15"), "15");
  ASSERT_EQ(IupTextMaskSet(text_, "a/d*", 0, 0), 1);
  EXPECT_EQ(Type({K_BS}, "a12"), "a1");
  // Delete at the caret (the start): "a" goes, "12" does not match
  IupSetAttribute(text_, "VALUE", "a12");
  IupSetAttribute(text_, "CARET", "1");
  iup::headless::Focus(text_);
  iup::headless::TypeKey(K_DEL);
  iup::headless::DeliverNow();
  EXPECT_EQ(iup::headless::Text(text_), "a12");
  IupSetAttribute(text_, "CARET", "2");
  iup::headless::TypeKey(K_DEL);
  iup::headless::DeliverNow();
  EXPECT_EQ(iup::headless::Text(text_), "a2");
}

TEST_F(TextMask, CheckReadsTheWholeTextAndRange) {
  ASSERT_EQ(IupTextMaskSetInteger(text_, 0, 0, 255), 1);
  struct Case {
    const char* value;
    int want;
  } cases[] = {{"", 0}, {"0", 1}, {"255", 1}, {"256", 0}, {"1a", 0}};
  for (const Case& c : cases) {
    IupSetAttribute(text_, "VALUE", c.value);
    EXPECT_EQ(IupTextMaskCheck(text_), c.want) << c.value;
  }
  IupElement* plain = IupCreateText(nullptr);
  EXPECT_EQ(IupTextMaskCheck(plain), 1) << "no mask: anything goes";
  IupDestroy(plain);
}

TEST_F(TextMask, ChainsThePreviousActionAndCallsTheMatch) {
  IupSetAttribute(text_, "ACTION", "mask_test_action");
  ASSERT_EQ(IupTextMaskSet(text_, "/d/d", 0, 0), 1);
  EXPECT_STREQ(IupGetAttribute(text_, "ACTION"), "iupmaskACTION");
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskInternalOldACTION"), "mask_test_action");
  IupSetAttribute(text_, "iupmaskMATCH_CB", "mask_test_match");
  EXPECT_EQ(Type(Keys("1a2")), "12");
  // the refused 'a' never reached the old action; the match came with the second digit
  const std::vector<std::string> want = {"action 1 1", "action 2 12", "match 1"};
  EXPECT_EQ(Log(), want);
  // a second mask keeps the remembered action
  ASSERT_EQ(IupTextMaskSet(text_, "[x/d]+", 0, 0), 1);
  EXPECT_STREQ(IupGetAttribute(text_, "iupmaskInternalOldACTION"), "mask_test_action");
  Log().clear();
  EXPECT_EQ(Type(Keys("x1")), "1") << "the old action's IUP_IGNORE still refuses";
}

TEST_F(TextMask, ABadPatternLeavesTheFieldAlone) {
  IupSetAttribute(text_, "ACTION", "mask_test_action");
  for (const char* bad : {"[0-9", "(a", "*", "/"}) {
    EXPECT_EQ(IupTextMaskSet(text_, bad, 1, 0), 0) << bad;
    EXPECT_STREQ(IupGetAttribute(text_, "ACTION"), "mask_test_action") << bad;
    EXPECT_EQ(IupGetAttribute(text_, "iupmaskMASK"), nullptr) << bad;
  }
  EXPECT_EQ(IupTextMaskSet(nullptr, "a", 0, 0), 0);
  EXPECT_EQ(IupTextMaskSet(text_, nullptr, 0, 0), 0);
  EXPECT_EQ(IupTextMaskSetCell(text_, "a", 0, 0, 1, 1), 0) << "a TEXT has no cells";
  Log().clear();
  EXPECT_EQ(Type(Keys("ab")), "ab");
}

}  // namespace

// ---- the "MASK" attribute of a TEXT ---------------------------------------------

int mask_calls[2];
int OnMaskCb(IupElement*, int status) {
  mask_calls[status ? 1 : 0]++;
  return IUP_DEFAULT;
}

TEST_F(TextMask, TheMaskAttributeOfAText) {
  IupBindAction("mask_test_mask_cb", IupAsCallback(OnMaskCb));
  IupSetAttribute(text_, "MASK_CB", "mask_test_mask_cb");
  struct Case {
    const char* mask;
    const char* typed;
    const char* shown;
    int refused, matched;  // "MASK_CB" calls with 0 and with 1
  } cases[] = {
      {"###", "1a23", "123", 1, 1},
      {"###", "1234", "123", 1, 1},
      {"##/##", "1234", "12/34", 0, 1},  // the slash comes by itself after the second digit
      {"$##/##", "1234", "12", 2, 0},    // no completion: the 3 is refused
      {"$##/##", "12/34", "12/34", 0, 1},
      {"@@#", "ab1", "ab1", 0, 1},
      {"[a-c~]x", "dx", "", 2, 0},    // the '~' after a character is one of the set
      {"[~a-c]x", "dx", "dx", 1, 1},  // the x comes by itself: the typed one is refused
      {"\\(2-3)#-", "12-", "12-", 0, 1},
      {"\\3#", "1234", "123", 1, 3},  // 0 to 3 digits: complete after each
      {"a\\*b", "a*b", "a*b", 2, 1},  // "*b" is forced after the a
  };
  for (const Case& c : cases) {
    IupSetAttribute(text_, "MASK", nullptr);
    IupSetAttribute(text_, "VALUE", "");
    IupSetAttribute(text_, "MASK", c.mask);
    mask_calls[0] = mask_calls[1] = 0;
    EXPECT_EQ(Type(Keys(c.typed)), c.shown) << c.mask << " typed " << c.typed;
    EXPECT_EQ(mask_calls[0], c.refused) << c.mask << " typed " << c.typed;
    EXPECT_EQ(mask_calls[1], c.matched) << c.mask << " typed " << c.typed;
  }
  // setting the mask brings the value to a match
  IupSetAttribute(text_, "MASK", nullptr);
  IupSetAttribute(text_, "VALUE", "xyz");
  IupSetAttribute(text_, "MASK", "ab#");
  EXPECT_EQ(iup::headless::Text(text_), "ab");
  IupSetAttribute(text_, "MASK", nullptr);
  IupSetAttribute(text_, "VALUE", "12");
  IupSetAttribute(text_, "MASK", "##:##");
  EXPECT_EQ(iup::headless::Text(text_), "12:");
  // masks that do not parse are dropped: the field keeps no mask
  for (const char* bad : {"[0-9", "\\(2-3)", "\\(3-1)#", "\\(2#", "#]", "\\"}) {
    IupSetAttribute(text_, "MASK", bad);
    EXPECT_EQ(IupGetOwnAttribute(text_, "MASK"), nullptr) << bad;
    EXPECT_EQ(Type(Keys("a1")), "a1") << bad;
  }
}
