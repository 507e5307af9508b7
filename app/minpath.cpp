// Least-cost search between two points over the node grid. The open list is
// a radix heap on the stored cost that keeps equal costs in order of
// placement, which settles nodes in the same order as a list sorted by
// decreasing cost where a node placed or lowered goes in front of every node
// of equal cost.
#include "minpath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <type_traits>

#include <immintrin.h>

#include "moveprices.h"

namespace route {

SearchGrid::SearchGrid(int width, int height, int s) : step(s) {
  columns = (width - 1) / step + 1;
  rows = (height - 1) / step + 1;
  offX = (width - 1 - (columns - 1) * step) / 2;
  offY = (height - 1 - (rows - 1) * step) / 2;
}

Point SearchGrid::NodeOf(Point pixel) const {
  const long long c = (static_cast<long long>(pixel.x) - offX) / step;
  const long long r = (static_cast<long long>(pixel.y) - offY) / step;
  return {static_cast<int>(std::clamp<long long>(c, 0, columns - 1)),
          static_cast<int>(std::clamp<long long>(r, 0, rows - 1))};
}

std::vector<Point> AllowedMoves(int radius, int limit) {
  std::vector<Point> moves;
  const int r = std::max(0, std::min(radius, limit));  // a negative radius allows no move
  for (int di = -r; di <= r; ++di) {
    for (int dj = -r; dj <= r; ++dj) {
      if (std::gcd(di, dj) == 1) moves.push_back({di, dj});
    }
  }
  return moves;
}

EdgeCache::EdgeCache(long long nodes, std::size_t moves, bool wanted, long long wholeBytes)
    : wanted_(wanted && nodes > 0 && moves > 0), wholeBytes_(wholeBytes) {}

EdgeCache EdgeCache::For(const CostContext& ctx, bool wanted, long long wholeBytes) {
  const SearchGrid grid(ctx.width, ctx.height, ctx.searchStep);
  return EdgeCache(static_cast<long long>(grid.columns) * grid.rows,
                   AllowedMoves(ctx.searchRadius, std::max(grid.columns, grid.rows)).size(), wanted,
                   wholeBytes);
}

void EdgeCache::FreeMemory::operator()(void* p) const {
  std::free(p);
}

bool EdgeCache::Use(std::size_t nodes, std::size_t bandIds, std::size_t moves) {
  if (!wanted_ || nodes == 0 || moves == 0 ||
      moves > static_cast<std::size_t>(kBudgetBytes) / sizeof(float) / nodes)
    return false;
  if (blocks_.empty()) {
    nodes_ = nodes;
    moves_ = moves;
    reuses_ = static_cast<long long>(nodes * moves * sizeof(float)) > wholeBytes_;
    // 256 ids, 16 tiles of 4 x 4 nodes, where blocks are given back
    blockBits_ =
        reuses_ ? 8 : static_cast<unsigned>(std::bit_width(std::max<std::size_t>(bandIds, 2) - 1));
    blocks_.assign((nodes + BlockIds() - 1) >> blockBits_, nullptr);
  }
  return nodes == nodes_ && moves == moves_;
}

float* EdgeCache::Claim(std::size_t b) {
  if (!reuses_) {
    // one table in the order of node ids, each block priced before it is read: it needs no filling
    if (whole_ == nullptr) {
      whole_.reset(static_cast<float*>(std::malloc(nodes_ * moves_ * sizeof(float))));
      if (whole_ == nullptr) return nullptr;
      AdviseHugePages(whole_.get(), nodes_ * moves_ * sizeof(float));
    }
    blocks_[b] = whole_.get() + b * BlockIds() * moves_;
    return blocks_[b];
  }
  if (spare_.empty()) {
    // blocks are priced before they are read: they need no filling; a few
    // MiB at a time, so that most of it can be had as huge pages
    const std::size_t bytes = BlockIds() * moves_ * sizeof(float);
    const std::size_t count = std::max<std::size_t>(1, (std::size_t{8} << 20) / bytes);
    std::unique_ptr<float[], FreeMemory> memory(static_cast<float*>(std::malloc(count * bytes)));
    if (memory == nullptr) return nullptr;
    AdviseHugePages(memory.get(), count * bytes);
    for (std::size_t k = count; k-- > 0;) spare_.push_back(memory.get() + k * BlockIds() * moves_);
    owned_.push_back(std::move(memory));
  }
  blocks_[b] = spare_.back();
  spare_.pop_back();
  return blocks_[b];
}

bool EdgeCache::Priced(std::size_t band) {
  if (band >= priced_.size()) priced_.resize(band + 1);
  const bool was = priced_[band];
  priced_[band] = true;
  return was;
}

void EdgeCache::Release(std::size_t b) {
  spare_.push_back(blocks_[b]);
  blocks_[b] = nullptr;
}

namespace {

constexpr float kSettledCost = -1.0f;  // below every sum, so a settled node is never lowered again

uint32_t Bits(float cost) {
  return std::bit_cast<uint32_t>(cost);
}

// Memory that starts zero, the way calloc gives it: a large block comes
// straight from the kernel, whose pages are zeroed only as the search first
// touches them, so no pass fills the node arrays up front.
struct FreeMemory {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using ZeroedArray = std::unique_ptr<T[], FreeMemory>;

template <typename T>
ZeroedArray<T> AllocateZeroed(std::size_t count) {
  static_assert(std::is_trivial_v<T>);
  ZeroedArray<T> array(static_cast<T*>(std::calloc(count, sizeof(T))));
  if (array) AdviseHugePages(array.get(), count * sizeof(T));
  return array;
}

// Node costs in a store that starts zero: each kept as its bits XOR the
// ceiling's, so that a node not reached yet reads as the ceiling.
class NodeCosts {
 public:
  explicit NodeCosts(std::size_t count) : words_(AllocateZeroed<uint32_t>(count)) {}
  bool valid() const { return words_ != nullptr; }
  uint32_t Key(uint32_t n) const { return words_[n] ^ kCeilingBits; }
  float Get(uint32_t n) const { return std::bit_cast<float>(Key(n)); }
  void Set(uint32_t n, float cost) { words_[n] = Bits(cost) ^ kCeilingBits; }
  const void* Address(uint32_t n) const { return &words_[n]; }
  const uint32_t* Words() const { return words_.get(); }
  static constexpr uint32_t kCeilingBits = std::bit_cast<uint32_t>(kImpassable);

 private:
  ZeroedArray<uint32_t> words_;
};

// A radix heap on the stored cost's bits. Stored costs are never negative, so
// their bit patterns order as the costs do, and a node placed during the
// search never costs less than the node last taken out, as the radix heap
// requires. The buckets split on the bits above the lowest few; the keys
// whose high bits are those of the least key go to one of the lowest
// buckets by their low bits, so each of those holds a single key. Every
// bucket keeps its entries in the order they were placed (pushes append; a
// bucket is refilled only from a higher one while it is empty): among equal
// costs the node placed first is settled first. A lowered node gets a new
// entry; its old one, whose cost no longer matches, is skipped when it comes
// up (stored costs only fall).
class OpenList {
 public:
  explicit OpenList(const NodeCosts& costs) : costs_(costs) {}
  // Also fetches the edge costs kept in `cache` of the next nodes to come out.
  void PrefetchAlso(const EdgeCache* cache, std::size_t moves) {
    also_ = cache;
    alsoBytes_ = moves * sizeof(float);
  }
  bool empty() const { return live_ == 0; }
  // The node due to come out next unless it proves stale; UINT32_MAX when none is known cheaply.
  uint32_t Next() const {
    if (words_ == 0) return UINT32_MAX;
    const KeyBucket& next = lowest_[Least()];
    return next.entries[next.taken].node;
  }

  // A node entering, or lowered from `previous`, goes behind all nodes of
  // equal cost. A lowering that rounds to the same stored cost leaves the
  // node where it stands, as a sorted list walking from its place would.
  void Place(uint32_t n, float previous, bool entering) {
    if (!entering && costs_.Get(n) == previous) return;
    if (entries_ > 2 * live_ + kSlack) DropStale();
    if (entering) ++live_;
    Push({costs_.Key(n), n});
    ++entries_;
  }

  uint32_t PopMin() {
    for (;;) {
      if (words_ == 0) Refill();
      const std::size_t low = Least();
      KeyBucket& bucket = lowest_[low];
      const Entry top = bucket.entries[bucket.taken++];
      if (bucket.taken == bucket.entries.size()) {
        bucket.entries.clear();
        bucket.taken = 0;
        Unmark(low);
      }
      --entries_;
      if (Stale(top)) continue;
      --live_;
      // the next node's line is wanted by its stale check soon after this node's moves
      if (words_ != 0) {
        const KeyBucket& next = lowest_[Least()];
        __builtin_prefetch(costs_.Address(next.entries[next.taken].node));
        // the edge costs of the next few nodes, which wait longest for memory
        const std::size_t ahead = std::min(next.entries.size(), next.taken + kAhead);
        for (std::size_t k = next.taken; also_ != nullptr && k < ahead; ++k) {
          const char* line = reinterpret_cast<const char*>(also_->Edges(next.entries[k].node));
          if (line == nullptr) continue;
          for (std::size_t b = 0; b < alsoBytes_; b += 64) __builtin_prefetch(line + b);
          __builtin_prefetch(line + alsoBytes_ - 1);  // the costs need not start a line
        }
      }
      return top.node;
    }
  }

 private:
  static constexpr int kLowBits = 12;  // keys equal above these share the lowest buckets
  static constexpr uint32_t kLowMask = (1u << kLowBits) - 1;
  static constexpr std::size_t kSlack = 64;
  static constexpr std::size_t kAhead = 4;
  static constexpr std::size_t kWords = std::size_t{1}
                                        << (kLowBits - 6);  // of the lowest buckets' marks
  static_assert(kWords <= 64);
  struct Entry {
    uint32_t key;
    uint32_t node;
  };
  struct KeyBucket {
    std::vector<Entry> entries;
    std::size_t taken = 0;  // entries before this are out
  };
  bool Stale(const Entry& e) const { return costs_.Key(e.node) != e.key; }
  // Lowered nodes leave old entries behind; past a bound they are dropped.
  void DropStale() {
    const auto stale = [&](const Entry& e) { return Stale(e); };
    for (std::size_t w = 0; w < kWords; ++w) {
      for (uint64_t marks = occupied_[w]; marks != 0; marks &= marks - 1) {
        const std::size_t low = w * 64 + static_cast<std::size_t>(std::countr_zero(marks));
        std::vector<Entry>& entries = lowest_[low].entries;
        entries.erase(entries.begin(),
                      entries.begin() + static_cast<std::ptrdiff_t>(lowest_[low].taken));
        lowest_[low].taken = 0;
        std::erase_if(entries, stale);
        if (entries.empty()) Unmark(low);
      }
    }
    for (auto& bucket : buckets_) std::erase_if(bucket, stale);
    entries_ = live_;
  }
  std::size_t BucketOf(uint32_t key) const {
    const uint32_t differ = (key >> kLowBits) ^ (last_ >> kLowBits);
    return differ == 0 ? 0 : 32 - static_cast<std::size_t>(std::countl_zero(differ));
  }
  void Push(const Entry& e) {
    const std::size_t b = BucketOf(e.key);
    if (b != 0) {
      buckets_[b].push_back(e);
      return;
    }
    const uint32_t low = e.key & kLowMask;
    lowest_[low].entries.push_back(e);
    Mark(low);
  }
  // Marks of the lowest buckets that hold entries, and of the words of marks not zero.
  void Mark(std::size_t low) {
    occupied_[low >> 6] |= uint64_t{1} << (low & 63);
    words_ |= uint64_t{1} << (low >> 6);
  }
  void Unmark(std::size_t low) {
    uint64_t& word = occupied_[low >> 6];
    word &= ~(uint64_t{1} << (low & 63));
    if (word == 0) words_ &= ~(uint64_t{1} << (low >> 6));
  }
  std::size_t Least() const {
    const std::size_t w = static_cast<std::size_t>(std::countr_zero(words_));
    return w * 64 + static_cast<std::size_t>(std::countr_zero(occupied_[w]));
  }
  // Moves the entries of the first non-empty bucket down, in order, around
  // their least key.
  void Refill() {
    std::size_t b = 1;
    while (buckets_[b].empty()) ++b;
    std::vector<Entry> moving;
    moving.swap(buckets_[b]);
    uint32_t least = moving[0].key;
    for (const Entry& e : moving) least = std::min(least, e.key);
    last_ = least;
    for (const Entry& e : moving) Push(e);
    moving.clear();
    if (buckets_[b].capacity() < moving.capacity()) buckets_[b].swap(moving);
  }

  const NodeCosts& costs_;
  std::vector<KeyBucket> lowest_ =
      std::vector<KeyBucket>(std::size_t{1} << kLowBits);  // by the key's low bits
  std::array<uint64_t, kWords> occupied_{};
  uint64_t words_ = 0;
  std::array<std::vector<Entry>, 33 - kLowBits> buckets_;  // [0] unused: those are the lowest
  uint32_t last_ = 0;
  std::size_t live_ = 0, entries_ = 0;
  const EdgeCache* also_ = nullptr;
  std::size_t alsoBytes_ = 0;
};

// Cell prices of crossing lengths, for cost grids read without slope: one
// table of 256 values per distinct length, filled by the cost model itself.
struct PricedStep {
  std::ptrdiff_t offset;  // cell offset from the walk's start in the cost grid
  uint32_t table;         // first price of this step's length
};

bool FlatTerrain(const CostContext& ctx) {
  if (ctx.slopeMode == 0) return ctx.slopeImage.data == nullptr;
  if (ctx.slopeMode == 1) return ctx.slopeGrid.data == nullptr;
  return true;
}

// Recorded walks of the moves, with their steps priced by table where the
// terrain is flat and every crossed cell lies on the cost grid.
struct MovePlans {
  std::vector<RecordedWalk> walks;
  bool priced = false;
  std::vector<uint32_t> first;  // steps of move m: first[m] .. first[m + 1]
  std::vector<PricedStep> steps;
  std::vector<float> prices;

  MovePlans(const CostContext& ctx, const SearchGrid& grid, const std::vector<Point>& moves)
      : walks(moves.size()) {
    const long long limit = static_cast<long long>(std::max(ctx.width, ctx.height)) + 1;
    for (std::size_t m = 0; m < moves.size(); ++m) {
      walks[m] = RecordWalk(ctx, -moves[m].x * grid.step, -moves[m].y * grid.step, limit);
    }
    const ByteGrid& g = ctx.costGrid;
    priced =
        FlatTerrain(ctx) && g.data != nullptr && g.width >= ctx.width && g.height >= ctx.height;
    if (!priced) return;
    std::vector<double> lengths;
    first.push_back(0);
    for (const RecordedWalk& walk : walks) {
      for (const WalkStep& step : walk.steps) {
        auto at = std::find(lengths.begin(), lengths.end(), step.length);
        if (at == lengths.end()) at = lengths.insert(at, step.length);
        steps.push_back({step.dcol + static_cast<std::ptrdiff_t>(step.drow) * g.width,
                         static_cast<uint32_t>((at - lengths.begin()) * 256)});
      }
      first.push_back(static_cast<uint32_t>(steps.size()));
    }
    // the same float operations as a crossed cell of the walk
    std::vector<unsigned char> value(256);
    std::iota(value.begin(), value.end(), 0);
    CostContext one = ctx;
    one.costGrid = {value.data(), 256, 1};
    one.classGrid = {};
    for (double len : lengths) {
      for (int v = 0; v < 256; ++v) {
        RecordedWalk cell;
        cell.steps.push_back({0, 0, len});
        prices.push_back(RecordedSegmentCost(one, v, 0, cell));
      }
    }
  }

  // Cost of move m from the neighbour at pixel there back to the current node.
  float Cost(const CostContext& ctx, std::size_t m, Point there, Point here) const {
    if (!walks[m].usable) return SegmentCost(ctx, there.x, there.y, here.x, here.y, nullptr);
    if (!priced) return RecordedSegmentCost(ctx, there.x, there.y, walks[m]);
    const unsigned char* cell =
        ctx.costGrid.data + there.x + static_cast<std::ptrdiff_t>(there.y) * ctx.costGrid.width;
    float total = 0.0f;
    for (uint32_t k = first[m]; k < first[m + 1]; ++k)
      AddCrossedPrice(total, prices[steps[k].table + cell[steps[k].offset]]);
    return total;
  }
};

// Nodes stored in tiles of 4 x 4, one cache line of costs, so that a node's
// neighbours and a stretch of the search front in any direction share lines.
struct TiledNodes {
  uint32_t tilesX = 0;
  long long size = 0;
  TiledNodes(int columns, int rows)
      : tilesX(static_cast<uint32_t>((columns + 3) / 4)),
        size(static_cast<long long>(tilesX) * ((rows + 3) / 4) * 16) {}
  uint32_t Id(int c, int r) const {
    return ((static_cast<uint32_t>(r >> 2) * tilesX + static_cast<uint32_t>(c >> 2)) << 4) |
           static_cast<uint32_t>(((r & 3) << 2) | (c & 3));
  }
  Point Node(uint32_t id) const {
    const uint32_t tile = id >> 4;
    return {static_cast<int>(tile % tilesX * 4 + (id & 3)),
            static_cast<int>(tile / tilesX * 4 + ((id >> 2) & 3))};
  }
  // Id offset from a node at place `local` of its tile to the node (dx, dy) from it.
  std::ptrdiff_t Offset(uint32_t local, int dx, int dy) const {
    const int x = static_cast<int>(local & 3) + dx, y = static_cast<int>(local >> 2) + dy;
    const int tx = x >> 2, ty = y >> 2;  // floor division: tiles to the left or below are negative
    const std::ptrdiff_t tiles = tx + static_cast<std::ptrdiff_t>(ty) * tilesX;
    return tiles * 16 + ((y & 3) << 2 | (x & 3)) - static_cast<std::ptrdiff_t>(local);
  }
};

// Sums `steps` prices per move, staged step by step across `count` moves,
// into e with the float operations of AddCrossedPrice in order: eight moves
// at a time with AVX2 (the caller checks for it).
__attribute__((target("avx2"))) void SumSteps(const float* stage, std::size_t steps,
                                              std::size_t count, float* e) {
  const __m256 ceiling = _mm256_set1_ps(kImpassable);
  std::size_t m = 0;
  for (; m + 8 <= count; m += 8) {
    __m256 total = _mm256_setzero_ps();
    for (std::size_t k = 0; k < steps; ++k) {
      const __m256 price = _mm256_loadu_ps(stage + k * count + m);
      const __m256 adds = _mm256_and_ps(_mm256_cmp_ps(price, ceiling, _CMP_LT_OQ),
                                        _mm256_cmp_ps(total, ceiling, _CMP_LT_OQ));
      total = _mm256_blendv_ps(ceiling, _mm256_add_ps(total, price), adds);
    }
    _mm256_storeu_ps(e + m, total);
  }
  for (; m < count; ++m) {
    float total = 0.0f;
    for (std::size_t k = 0; k < steps; ++k) AddCrossedPrice(total, stage[k * count + m]);
    e[m] = total;
  }
}

// Moves from the nodes at least a move's reach from the border: a neighbour
// is found by an id offset. At step 1 over flat terrain a recorded move's
// crossed cells are read from a copy of the cost grid laid out as the nodes
// are, by id offsets from the node the move ends on.
class TiledMoves {
 public:
  TiledMoves(const CostContext& ctx, const SearchGrid& grid, const std::vector<Point>& moves,
             const MovePlans& plans, const TiledNodes& layout)
      : moves_(moves.size()), columns_(grid.columns), rows_(grid.rows), layout_(layout) {
    neighbours_.resize(16 * moves_);
    for (std::size_t m = 0; m < moves_; ++m) {
      const Point move = moves[m];
      reach_ = std::max({reach_, std::abs(move.x), std::abs(move.y)});
      for (uint32_t local = 0; local < 16; ++local)
        neighbours_[local * moves_ + m] = layout.Offset(local, move.x, move.y);
    }
    const auto narrow = [](std::ptrdiff_t d) { return d >= INT32_MIN && d <= INT32_MAX; };
    if (std::all_of(neighbours_.begin(), neighbours_.end(), narrow)) {
      narrowNeighbours_.assign(neighbours_.begin(), neighbours_.end());
    }
    constexpr std::size_t kMostCells = 1u << 14;  // offset tables of a few MiB at most
    if (ctx.searchStep != 1 || !plans.priced || moves.empty() || plans.steps.size() > kMostCells)
      return;
    cells_ = plans.steps.size();
    crossed_.resize(16 * cells_);
    first_ = plans.first;
    walked_.resize(moves_);
    for (std::size_t m = 0; m < moves_; ++m) {
      const Point move = moves[m];
      walked_[m] = !plans.walks[m].usable;
      recorded_ = recorded_ && !walked_[m];
      padSteps_ = std::max<std::size_t>(padSteps_, plans.first[m + 1] - plans.first[m]);
      // the walk runs from the neighbour back to this node
      for (uint32_t k = plans.first[m]; k < plans.first[m + 1]; ++k) {
        const WalkStep& step = plans.walks[m].steps[k - plans.first[m]];
        for (uint32_t local = 0; local < 16; ++local) {
          crossed_[local * cells_ + k] = {
              &plans.prices[plans.steps[k].table],
              layout.Offset(local, move.x + step.dcol, move.y + step.drow)};
        }
      }
    }
    slot_.resize(cells_);
    for (std::size_t m = 0; m < moves_; ++m) {
      for (uint32_t k = plans.first[m]; k < plans.first[m + 1]; ++k)
        slot_[k] = (k - plans.first[m]) * moves_ + m;
    }
    values_ = AllocateZeroed<unsigned char>(static_cast<std::size_t>(layout.size));
    if (!values_) return;
    const std::ptrdiff_t width = ctx.costGrid.width;
    for (int r = 0; r < grid.rows; ++r) {
      const unsigned char* row = ctx.costGrid.data + r * width;
      for (int c = 0; c < grid.columns; c += 4) {
        std::memcpy(&values_[layout.Id(c, r)], row + c,
                    static_cast<std::size_t>(std::min(4, grid.columns - c)));
      }
    }
    king_ = moves_ == 8 && reach_ == 1;
    for (std::size_t m = 0; m < moves_ && king_; ++m) {
      // radius 1 crosses the half cells of its two nodes, the neighbour's first
      const uint32_t k = plans.first[m];
      king_ = plans.walks[m].usable && plans.first[m + 1] == k + 2 &&
              crossed_[k].offset == neighbours_[m] && crossed_[k + 1].offset == 0;
      if (!king_) break;
      there_[m] = &plans.prices[plans.steps[k].table];
      here_[m] = &plans.prices[plans.steps[k + 1].table];
    }
  }
  // The eight moves of radius 1, priced from the two nodes' values alone.
  bool king() const { return king_; }
  float KingCost(std::size_t m, unsigned char there, unsigned char here) const {
    float total = 0.0f;
    AddCrossedPrice(total, there_[m][there]);
    AddCrossedPrice(total, here_[m][here]);
    return total;
  }
  unsigned char Value(uint32_t n) const { return values_[n]; }
  bool active() const { return values_ != nullptr; }
  // Whether node (col, row) has all its moves on the grid.
  bool Inner(Point node) const {
    return node.x >= reach_ && node.y >= reach_ && node.x < columns_ - reach_ &&
           node.y < rows_ - reach_;
  }
  // Fetches the lines of node costs that the moves of node n reach: with
  // tiles four nodes wide, nodes at most four apart from -reach to reach
  // across and down lie in every tile between.
  void PrefetchAround(const uint32_t* words, uint32_t n) const {
    for (int dy = -reach_;; dy = std::min(dy + 4, reach_)) {
      for (int dx = -reach_;; dx = std::min(dx + 4, reach_)) {
        __builtin_prefetch(words + static_cast<std::ptrdiff_t>(n) + layout_.Offset(n & 15, dx, dy));
        if (dx == reach_) break;
      }
      if (dy == reach_) break;
    }
  }
  // Whether it is also priced from the copy of the cost grid.
  bool Covers(Point node) const { return values_ && Inner(node); }
  uint32_t Neighbour(uint32_t n, std::size_t m) const {
    return static_cast<uint32_t>(static_cast<std::ptrdiff_t>(n) +
                                 neighbours_[(n & 15) * moves_ + m]);
  }
  // The id offsets of node n's neighbours by move, as 32-bit integers; null when they do not fit.
  const int32_t* NarrowNeighbours(uint32_t n) const {
    return narrowNeighbours_.empty() ? nullptr : &narrowNeighbours_[(n & 15) * moves_];
  }
  // Whether move m is walked cell by cell rather than recorded.
  bool Walked(std::size_t m) const { return walked_[m]; }
  // Floats of the staging area CostAll asks for, to be zero at first.
  std::size_t StageSize() const { return padSteps_ * moves_; }
  // Cost of every move back to node n, all recorded, into e: the crossed
  // cells' prices are staged step by step across the moves (a move with fewer
  // steps adds zeros, which leave its total as it is), then summed eight
  // moves at a time with the same float operations as Cost.
  void CostAll(uint32_t n, float* stage, float* e) const {
    const Crossing* crossed = &crossed_[(n & 15) * cells_];
    const unsigned char* at = &values_[n];
    for (std::size_t k = 0; k < cells_; ++k)
      stage[slot_[k]] = crossed[k].prices[at[crossed[k].offset]];
    SumSteps(stage, padSteps_, moves_, e);
  }
  // Whether every move is recorded, so that all are cheap to price.
  bool Recorded() const { return active() && recorded_; }
  // Cost of recorded move m from its neighbour back to node n.
  float Cost(std::size_t m, uint32_t n) const {
    const Crossing* crossed = &crossed_[(n & 15) * cells_];
    const unsigned char* at = &values_[n];
    float total = 0.0f;
    for (uint32_t k = first_[m]; k < first_[m + 1]; ++k)
      AddCrossedPrice(total, crossed[k].prices[at[crossed[k].offset]]);
    return total;
  }

 private:
  std::size_t moves_ = 0, cells_ = 0;
  int reach_ = 0, columns_ = 0, rows_ = 0;
  bool king_ = false, recorded_ = true;
  std::size_t padSteps_ = 0;       // the most priced steps of a move
  std::vector<std::size_t> slot_;  // by priced step: its place in CostAll's staging area
  std::array<const float*, 8> there_{}, here_{};
  struct Crossing {
    const float* prices;    // by cost value, for the length crossed
    std::ptrdiff_t offset;  // of the cell from the node
  };
  std::vector<std::ptrdiff_t> neighbours_;  // by place in the tile, then move
  std::vector<int32_t> narrowNeighbours_;   // the same where they all fit in 32 bits
  std::vector<Crossing> crossed_;           // by place in the tile, then priced step
  std::vector<uint32_t> first_;             // priced steps of move m: first_[m] .. first_[m + 1]
  std::vector<bool> walked_;
  TiledNodes layout_;
  ZeroedArray<unsigned char> values_;
};

// Marks bit m for each of `count` (at most 64) moves whose sum e[m] + base,
// in double, lies below the cost stored at neighbour node + offsets[m]: the
// moves that lower their neighbour. Eight moves at a time with AVX2, so that
// no branch waits on whether a neighbour is settled.
__attribute__((target("avx2"))) uint64_t LoweringMoves(const uint32_t* words, uint32_t node,
                                                       const int32_t* offsets, const float* e,
                                                       std::size_t count, float base) {
  const __m256i ceiling = _mm256_set1_epi32(static_cast<int>(NodeCosts::kCeilingBits));
  const __m256d from = _mm256_set1_pd(base);
  const int* at = reinterpret_cast<const int*>(words + node);
  uint64_t marks = 0;
  std::size_t m = 0;
  for (; m + 8 <= count; m += 8) {
    // eight loads rather than a gather, which is slow on some processors
    const int32_t* o = offsets + m;
    const __m256i stored = _mm256_setr_epi32(at[o[0]], at[o[1]], at[o[2]], at[o[3]], at[o[4]],
                                             at[o[5]], at[o[6]], at[o[7]]);
    const __m256 previous = _mm256_castsi256_ps(_mm256_xor_si256(stored, ceiling));
    const __m256 edge = _mm256_loadu_ps(e + m);
    const __m256d low = _mm256_add_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(edge)), from);
    const __m256d high = _mm256_add_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(edge, 1)), from);
    const int lower = _mm256_movemask_pd(
        _mm256_cmp_pd(low, _mm256_cvtps_pd(_mm256_castps256_ps128(previous)), _CMP_LT_OQ));
    const int upper = _mm256_movemask_pd(
        _mm256_cmp_pd(high, _mm256_cvtps_pd(_mm256_extractf128_ps(previous, 1)), _CMP_LT_OQ));
    marks |= static_cast<uint64_t>(lower | upper << 4) << m;
  }
  for (; m < count; ++m) {
    const float previous = std::bit_cast<float>(
        words[static_cast<std::ptrdiff_t>(node) + offsets[m]] ^ NodeCosts::kCeilingBits);
    if (static_cast<double>(e[m]) + base < previous) marks |= uint64_t{1} << m;
  }
  return marks;
}

// Copies the prices of `count` moves at eight nodes side by side along a
// row, laid out move by move (`stride` floats from one move to the next),
// to each node's list of its moves' prices: eight moves at a time, turned
// through an 8 x 8 transposition.
__attribute__((target("avx2"))) void CopyToNodes(const float* in, std::size_t stride,
                                                 std::size_t count, float* const* out) {
  std::size_t m = 0;
  for (; m + 8 <= count; m += 8) {
    __m256 r[8];
    for (std::size_t k = 0; k < 8; ++k) r[k] = _mm256_loadu_ps(in + (m + k) * stride);
    // pairs, then quadruples, of moves interleaved node by node
    const __m256 a0 = _mm256_unpacklo_ps(r[0], r[1]), a1 = _mm256_unpackhi_ps(r[0], r[1]);
    const __m256 a2 = _mm256_unpacklo_ps(r[2], r[3]), a3 = _mm256_unpackhi_ps(r[2], r[3]);
    const __m256 a4 = _mm256_unpacklo_ps(r[4], r[5]), a5 = _mm256_unpackhi_ps(r[4], r[5]);
    const __m256 a6 = _mm256_unpacklo_ps(r[6], r[7]), a7 = _mm256_unpackhi_ps(r[6], r[7]);
    const __m256 b0 = _mm256_shuffle_ps(a0, a2, 0x44), b1 = _mm256_shuffle_ps(a0, a2, 0xee);
    const __m256 b2 = _mm256_shuffle_ps(a1, a3, 0x44), b3 = _mm256_shuffle_ps(a1, a3, 0xee);
    const __m256 b4 = _mm256_shuffle_ps(a4, a6, 0x44), b5 = _mm256_shuffle_ps(a4, a6, 0xee);
    const __m256 b6 = _mm256_shuffle_ps(a5, a7, 0x44), b7 = _mm256_shuffle_ps(a5, a7, 0xee);
    // nodes 0 to 3 from the low halves, 4 to 7 from the high ones
    _mm256_storeu_ps(out[0] + m, _mm256_permute2f128_ps(b0, b4, 0x20));
    _mm256_storeu_ps(out[1] + m, _mm256_permute2f128_ps(b1, b5, 0x20));
    _mm256_storeu_ps(out[2] + m, _mm256_permute2f128_ps(b2, b6, 0x20));
    _mm256_storeu_ps(out[3] + m, _mm256_permute2f128_ps(b3, b7, 0x20));
    _mm256_storeu_ps(out[4] + m, _mm256_permute2f128_ps(b0, b4, 0x31));
    _mm256_storeu_ps(out[5] + m, _mm256_permute2f128_ps(b1, b5, 0x31));
    _mm256_storeu_ps(out[6] + m, _mm256_permute2f128_ps(b2, b6, 0x31));
    _mm256_storeu_ps(out[7] + m, _mm256_permute2f128_ps(b3, b7, 0x31));
  }
  for (; m < count; ++m) {
    for (std::size_t c = 0; c < 8; ++c) out[c][m] = in[m * stride + c];
  }
}

// What a search records beyond its route: the settled costs, and how far it
// settles (FindLeg stops at the target).
struct Sweep {
  float* surface = nullptr;    // settled cost at each node's pixel (width x height)
  std::vector<Point> sources;  // further start nodes, settled from cost 0 as the first
  bool hasTarget = true;       // else the search runs to the limit or until the open list is empty
  double limit = std::numeric_limits<double>::infinity();  // no node dearer than this is settled
  double past = 1;  // once the target is settled: limit = its cost * past
  float targetCost = kImpassable;
  bool ran = false;      // false: the node arrays could not be had
  bool stopped = false;  // the progress stopped the search
};

// One search over node costs and, per node, the move it was last reached by
// plus one (0: never placed), in the narrowest type that holds the moves.
template <typename Back>
std::vector<Point> Search(const CostContext& ctx, const SearchGrid& grid,
                          const std::vector<Point>& moves, Point s, Point t, EdgeCache* cache,
                          SearchProgress* progress, Sweep* sweep = nullptr) {
  const TiledNodes layout(grid.columns, grid.rows);
  const std::size_t size = static_cast<std::size_t>(layout.size);
  NodeCosts costs(size);
  ZeroedArray<Back> back = AllocateZeroed<Back>(size);
  if (!costs.valid() || !back) return {};
  if (sweep != nullptr) sweep->ran = true;
  const MovePlans plans(ctx, grid, moves);
  const TiledMoves tiled(ctx, grid, moves, plans, layout);
  // Off step 1 over flat terrain the moves are priced a block of node ids at
  // a time into the shared cache where there is one; else one by one where
  // the search asks for them.
  const std::size_t count = moves.size();
  const bool wide = __builtin_cpu_supports("avx2");
  bool cached = cache != nullptr && !tiled.active() && cache->Use(size, layout.tilesX * 16, count);
  std::vector<bool> wanted(count);
  for (std::size_t m = 0; m < count; ++m)
    wanted[m] = cached || !plans.priced || !plans.walks[m].usable;
  MovePrices prices(ctx, grid, moves, wanted);
  cached = cached && prices.HasAll();
  // Small blocks are priced in the order the search comes to them, from
  // anywhere on the grid: from one copy of its pixel rows. Larger ones load
  // the rows of a band at a time.
  const bool reuses = cached && cache->Reuses();
  if (reuses) prices.LoadBand(0, grid.rows - 1);
  // Nodes of each block that this leg may still settle: a block is given
  // back once they are all settled. A node on an impassable pixel is never
  // reached (should one be settled all the same, as a start, its block is
  // priced again where needed and given back after).
  std::vector<uint16_t> unsettled;
  if (reuses) {
    unsettled.resize((size + cache->BlockIds() - 1) / cache->BlockIds());
    for (int j = 0; j < grid.rows; ++j) {
      for (int i = 0; i < grid.columns; ++i) {
        const Point pixel = grid.Pixel(i, j);
        if (ctx.costGrid.At(pixel.x, pixel.y) != 255) ++unsettled[cache->BlockOf(layout.Id(i, j))];
      }
    }
  }
  // A block's tiles lie along one or more bands of four node rows. Its
  // moves are priced a band at a time, row by row and move by move into
  // `rows`, then copied to the block in the order of node ids, the order of
  // its memory. A row of prices takes a few more floats, so that the prices
  // of a node's moves do not all fall on the same few sets of the cache.
  const std::size_t columns = static_cast<std::size_t>(grid.columns);
  const std::size_t rowFloats = (reuses ? std::min(cache->BlockIds() / 4, columns) : columns) + 16;
  std::vector<float> rows(cached ? 4 * count * rowFloats : 0);
  // node n's costs go to costs + (n & mask) * count
  const auto priceRun = [&](float* costs, uint32_t mask, int band, int c0, int c1) {
    const int j0 = band * 4, j1 = std::min(grid.rows, j0 + 4);
    if (!reuses) prices.LoadBand(j0, j1 - 1);
    for (int j = j0; j < j1; ++j) {
      for (std::size_t m = 0; m < count; ++m) {
        const Point move = moves[m];
        const int first = std::max(c0, -move.x), last = std::min(c1, grid.columns - move.x);
        // the costs of moves off the grid are never read
        if (first >= last || j + move.y < 0 || j + move.y >= grid.rows) continue;
        float* out = &rows[(static_cast<std::size_t>(j - j0) * count + m) * rowFloats];
        prices.PriceRow(m, first + move.x, j + move.y, last - first, out + (first - c0));
      }
    }
    for (int j = j0; j < j1; ++j) {
      const float* in = &rows[static_cast<std::size_t>(j - j0) * count * rowFloats];
      int i = c0;
      for (std::array<float*, 8> out; wide && i + 8 <= c1; i += 8) {
        for (int k = 0; k < 8; ++k) out[k] = costs + (layout.Id(i + k, j) & mask) * count;
        CopyToNodes(in + (i - c0), rowFloats, count, out.data());
      }
      for (; i < c1; ++i) {
        float* out = costs + (layout.Id(i, j) & mask) * count;
        for (std::size_t m = 0; m < count; ++m)
          out[m] = in[m * rowFloats + static_cast<std::size_t>(i - c0)];
      }
    }
  };
  // The costs of node n's moves, its block priced first if need be: its own
  // stretches of bands where blocks are given back, else every band it
  // touches that is not priced yet, whole. Null when no memory could be had.
  const auto edgesOf = [&](uint32_t n) -> const float* {
    if (const float* e = cache->Edges(n)) return e;
    const std::size_t b = cache->BlockOf(n);
    float* block = cache->Claim(b);
    if (block == nullptr) return nullptr;
    const uint32_t tiles = static_cast<uint32_t>(cache->BlockIds() / 16),
                   firstTile = static_cast<uint32_t>(b) * tiles;
    for (uint32_t tile = firstTile; tile < firstTile + tiles;) {
      const uint32_t band = tile / layout.tilesX, x0 = tile % layout.tilesX;
      const uint32_t x1 = std::min(layout.tilesX, x0 + (firstTile + tiles - tile));
      if (static_cast<int>(band) * 4 >= grid.rows) break;
      if (reuses) {
        priceRun(block, static_cast<uint32_t>(cache->BlockIds() - 1), static_cast<int>(band),
                 static_cast<int>(x0) * 4, std::min(grid.columns, static_cast<int>(x1) * 4));
      } else if (!cache->Priced(band)) {
        priceRun(cache->Whole(), UINT32_MAX, static_cast<int>(band), 0, grid.columns);
      }
      tile += x1 - x0;
    }
    return cache->Edges(n);
  };
  // after node n's moves: its block is given back once the leg has settled all its nodes
  const auto settledIn = [&](uint32_t n) {
    if (!reuses) return;
    uint16_t& left = unsettled[cache->BlockOf(n)];
    if (left > 1) {
      --left;
    } else {
      left = 0;
      cache->Release(cache->BlockOf(n));
    }
  };
  const uint32_t start = layout.Id(s.x, s.y);
  // an id no node has (ids stay below 2^32 - 16) when the sweep has no target
  const uint32_t target = sweep != nullptr && !sweep->hasTarget ? UINT32_MAX : layout.Id(t.x, t.y);
  // a node's move prices at step 1, and the crossed cells' prices staged for their sums
  std::vector<float> stepOne(tiled.Recorded() ? count : 0), stage(tiled.StageSize());
  OpenList open(costs);
  if (cached) open.PrefetchAlso(cache, count);
  costs.Set(start, 0.0f);
  if (sweep != nullptr) {
    // the other sources wait in the open list at cost 0, behind the first
    for (const Point source : sweep->sources) {
      const uint32_t n = layout.Id(source.x, source.y);
      if (n == start || costs.Get(n) == 0.0f) continue;
      costs.Set(n, 0.0f);
      open.Place(n, kImpassable, true);
    }
  }
  uint32_t current = start;
  bool reached = false;
  // the progress is asked every few thousand settled nodes
  constexpr long long kProgressEvery = 4096;
  long long settled = 0;
  const long long nodes = static_cast<long long>(grid.columns) * grid.rows;
  for (;;) {
    if (progress != nullptr && ++settled % kProgressEvery == 0 &&
        !progress->Settled(settled, nodes)) {
      if (sweep != nullptr) sweep->stopped = true;
      return {};
    }
    const Point c = layout.Node(current);
    const float base = costs.Get(current);
    if (sweep != nullptr) {
      if (base > sweep->limit) break;
      const Point pixel = grid.Pixel(c.x, c.y);
      sweep->surface[pixel.x + static_cast<std::ptrdiff_t>(pixel.y) * ctx.width] = base;
    }
    costs.Set(current, kSettledCost);
    const auto relax = [&](uint32_t n, std::size_t m, float e, float previous) {
      const double sum = static_cast<double>(e) + base;
      if (sum < previous) {
        // only a node still at the ceiling may be unplaced (a lowering can round to the ceiling)
        const bool entering = previous == kImpassable && back[n] == 0;
        costs.Set(n, static_cast<float>(sum));
        back[n] = static_cast<Back>(m + 1);
        open.Place(n, previous, entering);
      }
    };
    // a lowering touches only its own neighbour: the marks stay true while the moves are taken in
    // order
    const auto relaxLowering = [&](const float* e, const int32_t* offsets) {
      for (std::size_t m0 = 0; m0 < count; m0 += 64) {
        const std::size_t group = std::min<std::size_t>(64, count - m0);
        for (uint64_t marks =
                 LoweringMoves(costs.Words(), current, offsets + m0, e + m0, group, base);
             marks != 0; marks &= marks - 1) {
          const std::size_t m = m0 + static_cast<std::size_t>(std::countr_zero(marks));
          const uint32_t n = tiled.Neighbour(current, m);
          relax(n, m, e[m], costs.Get(n));
        }
      }
    };
    const Point here = grid.Pixel(c.x, c.y);
    const auto walked = [&](std::size_t m, int i, int j) {
      return prices.Has(m) ? prices.Cost(m, i, j) : plans.Cost(ctx, m, grid.Pixel(i, j), here);
    };
    // a move costs at least 0: no sum from here can lower a node at base or below, settled ones
    // included
    if (tiled.Covers(c) && tiled.king()) {
      const unsigned char value = tiled.Value(current);
      for (std::size_t m = 0; m < 8; ++m) {
        const uint32_t n = tiled.Neighbour(current, m);
        const float previous = costs.Get(n);
        if (!(base < previous)) continue;
        relax(n, m, tiled.KingCost(m, tiled.Value(n), value), previous);
      }
    } else if (tiled.Covers(c) && tiled.Recorded() && wide &&
               tiled.NarrowNeighbours(current) != nullptr) {
      // every move priced from the tiled costs, then the lowering ones found as from the table
      tiled.CostAll(current, stage.data(), stepOne.data());
      relaxLowering(stepOne.data(), tiled.NarrowNeighbours(current));
    } else if (tiled.Covers(c)) {
      for (std::size_t m = 0; m < moves.size(); ++m) {
        const uint32_t n = tiled.Neighbour(current, m);
        const float previous = costs.Get(n);
        if (!(base < previous)) continue;
        const float e = tiled.Walked(m) ? walked(m, c.x + moves[m].x, c.y + moves[m].y)
                                        : tiled.Cost(m, current);
        relax(n, m, e, previous);
      }
    } else if (const float* e = cached ? edgesOf(current) : nullptr;
               e != nullptr && tiled.Inner(c)) {
      const int32_t* offsets = wide ? tiled.NarrowNeighbours(current) : nullptr;
      // the next node's neighbours, whose costs its lowering test waits for
      if (const uint32_t next = open.Next(); next != UINT32_MAX && tiled.Inner(layout.Node(next)))
        tiled.PrefetchAround(costs.Words(), next);
      if (offsets != nullptr) {
        relaxLowering(e, offsets);
      } else {
        for (std::size_t m = 0; m < count; ++m) {
          const uint32_t n = tiled.Neighbour(current, m);
          const float previous = costs.Get(n);
          if (!(base < previous)) continue;
          relax(n, m, e[m], previous);
        }
      }
      settledIn(current);
    } else {
      for (std::size_t m = 0; m < count; ++m) {
        const int i = c.x + moves[m].x, j = c.y + moves[m].y;
        if (i < 0 || j < 0 || i >= grid.columns || j >= grid.rows) continue;
        const uint32_t n = layout.Id(i, j);
        const float previous = costs.Get(n);
        if (!(base < previous)) continue;
        relax(n, m, e != nullptr ? e[m] : walked(m, i, j), previous);
      }
      if (e != nullptr) settledIn(current);
    }
    if (open.empty()) break;
    current = open.PopMin();
    if (current == target) {
      reached = true;
      if (sweep == nullptr) break;
      sweep->targetCost = costs.Get(current);
      sweep->limit = std::min(sweep->limit, sweep->targetCost * sweep->past);
    }
  }
  if (!reached || sweep != nullptr) return {};
  // back from the target along the moves that last lowered each node
  std::vector<Point> route;
  for (Point node = t; node != s;) {
    route.push_back(grid.Pixel(node.x, node.y));
    const Point move = moves[back[layout.Id(node.x, node.y)] - 1u];
    node = {node.x - move.x, node.y - move.y};
  }
  route.push_back(grid.Pixel(s.x, s.y));
  return route;
}

// The search between nodes s and t with the moves of the context's radius;
// none when the node ids would not fit in 32 bits (the open list keeps them so).
std::vector<Point> SearchNodes(const CostContext& ctx, const SearchGrid& grid, Point s, Point t,
                               EdgeCache* cache, SearchProgress* progress, Sweep* sweep) {
  if (TiledNodes(grid.columns, grid.rows).size >= (1LL << 32)) return {};
  const std::vector<Point> moves =
      AllowedMoves(ctx.searchRadius, std::max(grid.columns, grid.rows));
  if (moves.size() < 255) return Search<uint8_t>(ctx, grid, moves, s, t, cache, progress, sweep);
  return Search<uint32_t>(ctx, grid, moves, s, t, cache, progress, sweep);
}

// Gives every pixel that is not a node's own the cost of the node it snaps to.
void SpreadNodeCosts(const SearchGrid& grid, int width, int height, float* surface) {
  if (grid.step == 1) return;
  std::vector<int> nodeColumn(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x)
    nodeColumn[static_cast<std::size_t>(x)] = grid.Pixel(grid.NodeOf({x, 0}).x, 0).x;
  // only pixels of nodes are read, and each of them keeps its value
  for (int y = 0; y < height; ++y) {
    const int nodeRow = grid.Pixel(0, grid.NodeOf({0, y}).y).y;
    const float* from = surface + static_cast<std::ptrdiff_t>(nodeRow) * width;
    float* to = surface + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x) to[x] = from[nodeColumn[static_cast<std::size_t>(x)]];
  }
}

}  // namespace

SurfaceResult ComputeCostSurface(const CostContext& ctx, const std::vector<Point>& sources,
                                 const SurfaceReach& reach, float* surface,
                                 SearchProgress* progress) {
  SurfaceResult result;
  if (ctx.searchStep <= 0 || ctx.width <= 0 || ctx.height <= 0 || sources.empty()) return result;
  const SearchGrid grid(ctx.width, ctx.height, ctx.searchStep);
  std::fill(surface, surface + static_cast<std::ptrdiff_t>(ctx.width) * ctx.height, kImpassable);
  Sweep sweep;
  sweep.surface = surface;
  for (const Point source : sources) sweep.sources.push_back(grid.NodeOf(source));
  sweep.limit = reach.limit;
  sweep.past = reach.past;
  Point t{0, 0};
  if (reach.target) {
    t = grid.NodeOf(*reach.target);
    sweep.hasTarget =
        std::find(sweep.sources.begin(), sweep.sources.end(), t) == sweep.sources.end();
    if (!sweep.hasTarget) {
      // a source: the target costs nothing
      sweep.targetCost = 0.0f;
      sweep.limit = std::min(sweep.limit, 0.0);
    }
  } else {
    sweep.hasTarget = false;
  }
  SearchNodes(ctx, grid, sweep.sources.front(), t, nullptr, progress, &sweep);
  if (!sweep.ran) return result;
  if (sweep.stopped) {
    result.cancelled = true;
    return result;
  }
  SpreadNodeCosts(grid, ctx.width, ctx.height, surface);
  result.done = true;
  if (reach.target) result.targetCost = sweep.targetCost;
  return result;
}

std::vector<Point> FindLeg(const CostContext& ctx, Point from, Point to, EdgeCache* cache,
                           SearchProgress* progress) {
  if (ctx.searchStep <= 0 || ctx.width <= 0 || ctx.height <= 0) return {};
  const SearchGrid grid(ctx.width, ctx.height, ctx.searchStep);
  const Point s = grid.NodeOf(from), t = grid.NodeOf(to);
  if (s == t) return {grid.Pixel(s.x, s.y)};
  return SearchNodes(ctx, grid, s, t, cache, progress, nullptr);
}

}  // namespace route
