// The attribute-list parser: quoting, blanks, commas, names without values,
// long words and Latin-1 bytes.
#include <map>

#include "fixture.h"

namespace {

// Own attributes as name -> value (pairs are compared whole).
std::map<std::string, std::string> OwnAttributes(IupElement* e,
                                                 const std::vector<std::string>& names) {
  std::map<std::string, std::string> out;
  for (const std::string& n : names)
    if (const char* v = IupGetOwnAttribute(e, n.c_str())) out[n] = v;
  return out;
}

}  // namespace

TEST_F(Toolkit, AttributeListParser) {
  struct Case {
    const char* list;
    std::map<std::string, std::string> expected;
  };
  const std::vector<std::string> names = {"A",      "B",     "C",        "RASTERSIZE", "BORDER",
                                          "EXPAND", "TITLE", "\xC9POCA", "N\xE3O",     "K"};
  const Case cases[] = {
      {"RASTERSIZE=10x20,BORDER = NO,EXPAND = NO",
       {{"RASTERSIZE", "10x20"}, {"BORDER", "NO"}, {"EXPAND", "NO"}}},
      {"TITLE=\"a, b = c\",A=1", {{"TITLE", "a, b = c"}, {"A", "1"}}},
      {"A=1,,, ,B=2,", {{"A", "1"}, {"B", "2"}}},
      {"\tA\n=\r1\f,\vB=2", {{"A", "1"}, {"B", "2"}}},
      {"A=1 B=2", {{"A", "2"}}},  // no comma: the last word is the value
      {"A=\"unterminated", {{"A", "unterminated"}}},
      {"A=\"\",B", {{"A", ""}}},
      {"\xC9POCA=N\xE3O,N\xE3O=\xE9t\xE9", {{"\xC9POCA", "N\xE3O"}, {"N\xE3O", "\xE9t\xE9"}}},
      {"=1,A=2", {{"A", "2"}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    IupElement* e = IupCreateUser();
    IupSetAttributeList(e, c.list);
    EXPECT_EQ(OwnAttributes(e, names), c.expected);
    IupDestroy(e);
  }
}

TEST_F(Toolkit, AttributeListNameAloneRemoves) {
  IupElement* e = Own(IupCreateUser());
  IupSetAttribute(e, "A", "1");
  IupSetAttribute(e, "B", "2");
  IupSetAttributeList(e, "C=3, A");
  EXPECT_EQ(IupGetOwnAttribute(e, "A"), nullptr);
  EXPECT_STREQ(IupGetOwnAttribute(e, "B"), "2");
  EXPECT_STREQ(IupGetOwnAttribute(e, "C"), "3");
}

TEST_F(Toolkit, AttributeListWordsKeepAtMost255Bytes) {
  IupElement* e = Own(IupCreateUser());
  const std::string list = "K=" + std::string(300, 'v') + ",A=1";
  IupSetAttributeList(e, list.c_str());
  EXPECT_EQ(std::string(IupGetOwnAttribute(e, "K")), std::string(255, 'v'));
  EXPECT_STREQ(IupGetOwnAttribute(e, "A"), "1");
}

TEST_F(Toolkit, AttributeListValuesOutliveTheText) {
  IupElement* e = Own(IupCreateUser());
  {
    std::string list = "A=temporary";
    IupSetAttributeList(e, list.c_str());
    list.assign(list.size(), 'x');
  }
  EXPECT_STREQ(IupGetAttribute(e, "A"), "temporary");
}
