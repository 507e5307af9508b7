// Interleaving planes into pixel rows: every count around the sixteen-pixel
// groups gives the planes byte by byte in order, and nothing past the row
// is touched; splitting gives the planes back.
#include <gtest/gtest.h>

#include <vector>

#include "imrows.h"

namespace {

TEST(ImRows, InterleaveAndBackForEveryCountAroundTheGroups) {
  for (int count = 0; count <= 70; ++count) {
    SCOPED_TRACE(count);
    std::vector<unsigned char> a(count), b(count), c(count);
    for (int i = 0; i < count; ++i)
      a[i] = static_cast<unsigned char>(i * 7 + 1), b[i] = static_cast<unsigned char>(255 - i * 3),
      c[i] = static_cast<unsigned char>(i * 29 + 128);
    const size_t bytes = 3 * static_cast<size_t>(count);
    std::vector<unsigned char> row(bytes + 8, 0xEE);
    imrows::Interleave(a.data(), b.data(), c.data(), count, row.data());
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(row[3 * i], a[i]);
      EXPECT_EQ(row[3 * i + 1], b[i]);
      EXPECT_EQ(row[3 * i + 2], c[i]);
    }
    for (size_t i = bytes; i < row.size(); ++i)
      EXPECT_EQ(row[i], 0xEE) << "written past the row at " << i;
    std::vector<unsigned char> x(count), y(count), z(count);
    imrows::Deinterleave(row.data(), count, x.data(), y.data(), z.data());
    EXPECT_TRUE(x == a && y == b && z == c);
  }
}

}  // namespace
