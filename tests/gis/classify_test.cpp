// Classes of categorical and continuous bands: the edge cases a raster
// file can bring (constant bands, repeated values, negative categories,
// nodata with no value of its own).
#include "classify.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gis {
namespace {

const double kNaN = std::nan("");

std::vector<std::string> Descriptions(const Classification& c) {
  std::vector<std::string> out;
  for (const auto& k : c.classes) out.push_back(k.description);
  return out;
}

TEST(GisContinuous, ConstantBandMakesOneClass) {
  std::vector<unsigned char> indices;
  ContinuousOutcome out =
      ClassifyContinuous({4, 4, 4, kNaN}, {Method::EqualInterval, 5, {}}, &indices);
  ASSERT_EQ(out.problem, "");
  EXPECT_EQ(Descriptions(out.classification), (std::vector<std::string>{"No data", "4 - 4"}));
  EXPECT_EQ(indices, (std::vector<unsigned char>{1, 1, 1, 0}));
}

TEST(GisContinuous, QuantilesNeverSplitEqualValues) {
  std::vector<unsigned char> indices;
  ContinuousOutcome out =
      ClassifyContinuous({1, 1, 1, 1, 2, 3}, {Method::Quantile, 3, {}}, &indices);
  ASSERT_EQ(out.problem, "");
  EXPECT_EQ(Descriptions(out.classification), (std::vector<std::string>{"1 - 1", "1 - 3"}));
  EXPECT_EQ(indices, (std::vector<unsigned char>{1, 1, 1, 1, 2, 2}));
}

TEST(GisContinuous, BreaksOutsideTheDataStillClassify) {
  std::vector<unsigned char> indices;
  ContinuousOutcome out = ClassifyContinuous({0, 5, 10}, {Method::Breaks, 0, {-3, 100}}, &indices);
  ASSERT_EQ(out.problem, "");
  EXPECT_EQ(out.classification.classes.size(), 3u);
  EXPECT_EQ(indices, (std::vector<unsigned char>{2, 2, 2}));
}

TEST(GisContinuous, Failures) {
  std::vector<unsigned char> indices;
  EXPECT_EQ(ClassifyContinuous({1, 2}, {Method::Breaks, 0, {3, 3}}, &indices).problem,
            "the breaks must be ascending");
  EXPECT_EQ(ClassifyContinuous({kNaN, kNaN}, {Method::EqualInterval, 3, {}}, &indices).problem,
            "the band holds no valid value");
}

TEST(GisCategorical, NegativeValuesAreNumberedAndNodataIsZero) {
  std::vector<unsigned char> indices;
  CategoricalOutcome out = ClassifyCategories({-5, 300, -5, kNaN, 7}, {}, {}, &indices);
  ASSERT_EQ(out.problem, "");
  EXPECT_EQ(Descriptions(out.classification),
            (std::vector<std::string>{"No data", "Value -5", "Value 7", "Value 300"}));
  EXPECT_EQ(indices, (std::vector<unsigned char>{1, 3, 1, 0, 2}));
  EXPECT_EQ(out.classification.classes[0].weight, kImpassable);
}

TEST(GisCategorical, ByteValuesKeepTheirIndexAndColour) {
  std::vector<unsigned char> indices;
  ColourTable colours = {0x000000, 0x112233, 0x445566};
  CategoricalOutcome out =
      ClassifyCategories({2, 1, 2, kNaN}, colours, {"", "Forest", "Water"}, &indices);
  ASSERT_EQ(out.problem, "");
  EXPECT_EQ(indices, (std::vector<unsigned char>{2, 1, 2, 0}));  // nodata takes the free index 0
  EXPECT_EQ(Descriptions(out.classification),
            (std::vector<std::string>{"No data", "Forest", "Water"}));
  EXPECT_EQ(out.classification.palette[2], 0x445566u);
}

TEST(GisCategorical, Refusals) {
  std::vector<unsigned char> indices;
  EXPECT_EQ(ClassifyCategories({1, 2.5}, {}, {}, &indices).problem,
            "a categorical band needs integer values, 2.5 is not");
  std::vector<double> many;
  for (int v = 0; v < 256; ++v) many.push_back(v);
  EXPECT_EQ(ClassifyCategories(many, {}, {}, &indices).problem,
            "a categorical band has at most 255 distinct values, this one has more");
  EXPECT_FALSE(LooksCategorical(many));
  many.pop_back();
  EXPECT_TRUE(LooksCategorical(many));
}

TEST(GisByteCategories, NodataWithoutValueTakesTheLowestFreeIndex) {
  std::vector<long long> counts(256, 0);
  counts[0] = 3;
  counts[1] = 2;
  counts[5] = 1;
  unsigned char lut[256];
  unsigned char nodata = 99;
  Classification c = ClassifyByteCategories(counts, 4, std::nullopt, {}, {}, lut, &nodata);
  EXPECT_EQ(nodata, 2);
  EXPECT_EQ(Descriptions(c),
            (std::vector<std::string>{"Value 0", "Value 1", "No data", "Value 5"}));
  EXPECT_EQ(lut[5], 5);
}

TEST(GisByteCategories, NodataValueIsItsOwnIndex) {
  std::vector<long long> counts(256, 0);
  counts[3] = 1;
  unsigned char lut[256];
  unsigned char nodata = 0;
  Classification c = ClassifyByteCategories(counts, 2, 255, {}, {}, lut, &nodata);
  EXPECT_EQ(nodata, 255);
  ASSERT_EQ(c.classes.size(), 2u);
  EXPECT_EQ(c.classes[1].colorindex, 255);
  EXPECT_EQ(c.classes[1].weight, kImpassable);
}

}  // namespace
}  // namespace gis
