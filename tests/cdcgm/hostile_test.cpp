// Hostile metafiles (tests/cdcgm/hostile, written by make_fixtures.py and
// named after what they break): each is played into a recording canvas and
// into an RGB image canvas; the play returns, draws the lines the player
// can reach around the hostile part and never crashes or loops (the test's
// time limit catches a loop; the sanitizer builds catch the rest).
#include <gtest/gtest.h>

#include <string>

#include "cdcgm.h"
#include "cgm_files.h"
#include "picture.h"
#include "recorder.h"

namespace {

using namespace cgmtest;

struct Case {
  const char* file;
  int lines;  // two-point polylines drawn: the line before the hostile part, the one after
};

const Case kCases[] = {
    {"truncated_header.cgm", 1},
    {"truncated_short_element.cgm", 1},
    {"long_length_beyond_file.cgm", 1},
    {"partition_header_missing.cgm", 1},
    {"string_beyond_element.cgm", 1},
    {"huge_cell_array.cgm", 2},
    {"huge_run_length_cells.cgm", 2},
    {"huge_pattern_table.cgm", 2},
    {"huge_point_count_text.cgmt", 2},
    {"colour_index_beyond_table.cgm", 2},
    {"colour_extent_zero.cgm", 2},
    {"nested_pictures.cgm", 2},
    {"unterminated_picture.cgm", 2},
    {"nested_defaults.cgm", 2},
    {"wrong_precisions.cgm", 2},
    {"unknown_classes.cgm", 2},
    {"unknown_enumerations.cgm", 2},
    {"zero_vdc_extent.cgm", 0},  // one VDC unit wide: both lines lie outside it
    {"nan_real_vdc.cgm", 2},
    {"huge_sizes.cgm", 2},
    {"huge_coordinates.cgm", 3},  // the huge line itself is drawn, clipped by the canvas
    {"collinear_arc.cgm", 2},
    {"bad_cell_precision.cgm", 2},
    {"unterminated_string.cgmt", 0},
    {"unclosed_comment.cgmt", 1},
    {"unknown_words.cgmt", 1},
    {"brackets_and_junk.cgmt", 2},
};

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, PlaysWhatItCanAndStops) {
  const Case& c = GetParam();
  std::string bytes = ReadFile(std::string(VARKO_TEST_DATA) + "/hostile/" + c.file);
  ASSERT_FALSE(bytes.empty()) << c.file;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  int token = 0;
  cdCanvasHandle rec = cdCreateCanvas(RecorderDriver(), &token);
  ASSERT_NE(rec, nullptr);
  cdActivate(rec);
  Calls().clear();
  EXPECT_EQ(cdPlayCGMMemory(data, bytes.size(), 0, 100, 0, 100), CD_OK);
  int lines = 0;
  for (const Call& call : Only("poly"))
    lines += call.mode == CD_OPEN_LINES && call.points.size() == 2;
  EXPECT_EQ(lines, c.lines) << c.file;
  cdKillCanvas(rec);

  Picture picture(100, 100, 10);
  ASSERT_NE(picture.cv, nullptr);
  EXPECT_EQ(cdPlayCGMMemory(data, bytes.size(), 0, 100, 0, 100), CD_OK);
  // the first line is at row 10 wherever the file lets it be drawn
  if (c.lines > 0 && std::string(c.file) != "nan_real_vdc.cgm") {
    EXPECT_TRUE(picture.Ink(50, 10)) << c.file;
  }
}

std::string Name(const ::testing::TestParamInfo<Case>& info) {
  std::string name = info.param.file;
  for (char& ch : name)
    if (!isalnum((unsigned char)ch)) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Files, Hostile, ::testing::ValuesIn(kCases), Name);

// Colour indices beyond the table draw black; the second line of the
// nested-defaults file is dashed (the outer replacement ran, the inner one
// was skipped).
TEST(HostileDetail, IndexBeyondTableIsBlackAndNestedDefaultsAreSkipped) {
  int token = 0;
  cdCanvasHandle rec = cdCreateCanvas(RecorderDriver(), &token);
  ASSERT_NE(rec, nullptr);
  cdActivate(rec);
  for (const char* file : {"colour_index_beyond_table.cgm", "nested_defaults.cgm"}) {
    std::string bytes = ReadFile(std::string(VARKO_TEST_DATA) + "/hostile/" + file);
    Calls().clear();
    cdForeground(0x123456);
    cdPlayCGMMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0, 100, 0,
                    100);
    std::vector<Call> polys = Only("poly");
    ASSERT_EQ(polys.size(), 2u) << file;
    EXPECT_EQ(polys[1].color, 0x000000) << file;
    if (std::string(file) == "nested_defaults.cgm") {
      EXPECT_EQ(polys[1].line_style, CD_DASHED);
    }
  }
  cdKillCanvas(rec);
}

}  // namespace
